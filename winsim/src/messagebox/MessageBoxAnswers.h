// The scripted answers of the attached process's message boxes. A rule is
//
//     [PATTERN=]ANSWER[,ANSWER...]
//
// PATTERN matches the caption (or, written "text:PATTERN", the text), without regard to case, with * and ?
// as wildcards; left out, it matches every box. The answers go to the matching boxes one each, in turn,
// and the last one answers every later match. An answer is IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE,
// IDYES, IDNO, IDTRYAGAIN or IDCONTINUE ("ID" may be left out, any case), a number, or "default" (the box's
// default button). The first rule that matches a box answers it; a box no rule matches gets its default
// button, and so does a box that has no button for the answer it is given.
#pragma once

#include <string>
#include <vector>

namespace winsim
{

struct AnswerRule
{
    bool matchText = false;
    bool window = false;      // a dialog button rule (window:...), not a message box's
    std::string pattern;      // upper-case
    std::vector<int> answers; // 0: the default button
    size_t used = 0;
};

class MessageBoxAnswers
{
public:
    static bool Parse(const std::string& text, AnswerRule& rule, std::string& error);
    // The rules `winsim run` hands over in kEnvAnswers (one per line), checked; none when it is not set.
    static bool ReadEnvironment(std::vector<std::string>& rules, std::string& error);
    // Replaces the rules of the attached process.
    static bool Set(const std::vector<std::string>& rules, std::string& error);
    // The answer the script gives a box, counting it as used; 0 when no rule matches or the rule says
    // "default".
    static int Next(const std::string& caption, const std::string& text);
};

} // namespace winsim
