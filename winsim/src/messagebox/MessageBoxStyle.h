// What a message box style (uType of MessageBoxA) shows: its buttons, in order, and its default button;
// and the names of the answers (IDOK ...), for scripts, the journal and `winsim screen`.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace winsim
{

class MessageBoxStyle
{
public:
    // MB_OK to MB_CANCELTRYCONTINUE; the other button sets are invalid (ERROR_INVALID_MSGBOX_STYLE).
    static bool Valid(uint32_t style);
    // The answers of the buttons, left to right; MB_HELP adds Help (IDHELP) last.
    static std::vector<int> Buttons(uint32_t style);
    // The answer of the default button (MB_DEFBUTTON1 to 4). A default beyond the buttons is the first
    // one; so is Help, which does not close the box.
    static int DefaultAnswer(uint32_t style);
    // What the box returns for a wanted answer: the answer itself when the box has that button (Help does
    // not close it), IDOK for IDCANCEL on a box whose only closing button is OK (Esc and the close box
    // answer so), 0 when the box cannot give that answer.
    static int Resolve(uint32_t style, int wanted);

    // "IDOK" for 1 ...; the number for others.
    static std::string Name(int answer);
    // "IDOK", "OK", "ok", "1" ...; false for anything else.
    static bool Parse(const std::string& text, int& answer);
    // The button captions, "OK, Cancel".
    static std::string ButtonText(uint32_t style);
};

} // namespace winsim
