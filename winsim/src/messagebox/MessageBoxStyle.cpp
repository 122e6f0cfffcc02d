#include "MessageBoxStyle.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "windows.h"

namespace winsim
{

namespace
{

struct AnswerName
{
    int answer;
    const char* name;    // after "ID"
    const char* caption; // on the button
};

constexpr AnswerName kNames[] = {
    {IDOK, "OK", "OK"},
    {IDCANCEL, "CANCEL", "Cancel"},
    {IDABORT, "ABORT", "Abort"},
    {IDRETRY, "RETRY", "Retry"},
    {IDIGNORE, "IGNORE", "Ignore"},
    {IDYES, "YES", "Yes"},
    {IDNO, "NO", "No"},
    {IDCLOSE, "CLOSE", "Close"},
    {IDHELP, "HELP", "Help"},
    {IDTRYAGAIN, "TRYAGAIN", "Try Again"},
    {IDCONTINUE, "CONTINUE", "Continue"},
};

} // namespace

bool MessageBoxStyle::Valid(uint32_t style)
{
    return (style & MB_TYPEMASK) <= MB_CANCELTRYCONTINUE;
}

std::vector<int> MessageBoxStyle::Buttons(uint32_t style)
{
    std::vector<int> buttons;
    switch (style & MB_TYPEMASK)
    {
    case MB_OK:
        buttons = {IDOK};
        break;
    case MB_OKCANCEL:
        buttons = {IDOK, IDCANCEL};
        break;
    case MB_ABORTRETRYIGNORE:
        buttons = {IDABORT, IDRETRY, IDIGNORE};
        break;
    case MB_YESNOCANCEL:
        buttons = {IDYES, IDNO, IDCANCEL};
        break;
    case MB_YESNO:
        buttons = {IDYES, IDNO};
        break;
    case MB_RETRYCANCEL:
        buttons = {IDRETRY, IDCANCEL};
        break;
    case MB_CANCELTRYCONTINUE:
        buttons = {IDCANCEL, IDTRYAGAIN, IDCONTINUE};
        break;
    default:
        break;
    }
    if (style & MB_HELP)
        buttons.push_back(IDHELP);
    return buttons;
}

int MessageBoxStyle::DefaultAnswer(uint32_t style)
{
    const std::vector<int> buttons = Buttons(style);
    if (buttons.empty())
        return 0;
    const size_t index = (style & MB_DEFMASK) >> 8;
    if (index >= buttons.size() || buttons[index] == IDHELP)
        return buttons.front();
    return buttons[index];
}

int MessageBoxStyle::Resolve(uint32_t style, int wanted)
{
    const std::vector<int> buttons = Buttons(style);
    if (wanted != IDHELP && std::find(buttons.begin(), buttons.end(), wanted) != buttons.end())
        return wanted;
    if (wanted == IDCANCEL && (style & MB_TYPEMASK) == MB_OK)
        return IDOK;
    return 0;
}

std::string MessageBoxStyle::Name(int answer)
{
    for (const AnswerName& entry : kNames)
    {
        if (entry.answer == answer)
            return std::string("ID") + entry.name;
    }
    return std::to_string(answer);
}

bool MessageBoxStyle::Parse(const std::string& text, int& answer)
{
    std::string upper;
    for (char c : text)
        upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (!upper.empty() && std::all_of(upper.begin(), upper.end(), [](char c) { return std::isdigit(c) != 0; }))
    {
        answer = std::atoi(upper.c_str());
        return upper.size() < 6 && answer > 0;
    }
    if (upper.compare(0, 2, "ID") == 0)
        upper = upper.substr(2);
    for (const AnswerName& entry : kNames)
    {
        if (upper == entry.name)
        {
            answer = entry.answer;
            return true;
        }
    }
    return false;
}

std::string MessageBoxStyle::ButtonText(uint32_t style)
{
    std::string text;
    for (int button : Buttons(style))
    {
        for (const AnswerName& entry : kNames)
        {
            if (entry.answer == button)
                text += (text.empty() ? "" : ", ") + std::string(entry.caption);
        }
    }
    return text;
}

} // namespace winsim
