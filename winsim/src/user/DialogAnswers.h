// Scripted button presses for the attached process's dialogs (`winsim run --answer`):
//
//     window:TITLE=BUTTON[@SECONDS]
//
// When a dialog whose title matches TITLE (any case, * and ? wildcards) appears, its button BUTTON (a
// control id, or the button's text without regard to case and '&') is pressed SECONDS of virtual time
// later (default 0: at the dialog's first idle moment). Each rule presses once per dialog it matches.
#pragma once

#include <string>
#include <vector>

#include "windows.h"

namespace winsim
{

class Runtime;

class DialogAnswers
{
public:
    static bool IsRule(const std::string& text);
    static bool Check(const std::string& text, std::string& error);
    // Replaces the rules of the attached process (only the window: rules of `rules` are taken).
    static void Set(const std::vector<std::string>& rules);
    // A dialog appeared: arms the first rule that matches its title.
    static void Watch(Runtime& rt, HWND dialog);
};

} // namespace winsim
