#include "DialogAnswers.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>
#include <mutex>
#include <strings.h>

#include "UserWindows.h"
#include "core/Journal.h"
#include "core/Runtime.h"

namespace winsim
{

namespace
{

constexpr UINT_PTR kAnswerTimer = 0x5EED;

struct Rule
{
    std::string pattern; // upper-case
    std::string button;
    uint32_t delayMs = 0;
};

std::mutex g_mutex;
std::vector<Rule> g_rules;
std::map<HWND, std::string> g_pending;

std::string Upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

bool Wildcard(const char* pattern, const char* text)
{
    if (!*pattern)
        return !*text;
    if (*pattern == '*')
        return Wildcard(pattern + 1, text) || (*text && Wildcard(pattern, text + 1));
    return *text && (*pattern == '?' || *pattern == *text) && Wildcard(pattern + 1, text + 1);
}

bool Parse(const std::string& text, Rule& rule, std::string& error)
{
    const size_t equals = text.rfind('=');
    if (!DialogAnswers::IsRule(text) || equals == std::string::npos || equals < 7)
    {
        error = "'" + text + "' is not a window rule (window:TITLE=BUTTON[@SECONDS])";
        return false;
    }
    rule.pattern = Upper(text.substr(7, equals - 7));
    std::string answer = text.substr(equals + 1);
    const size_t at = answer.rfind('@');
    if (at != std::string::npos)
    {
        const std::string seconds = answer.substr(at + 1);
        char* end = nullptr;
        const double value = std::strtod(seconds.c_str(), &end);
        if (seconds.empty() || (*end && std::string(end) != "s") || value < 0 || value > 86400)
        {
            error = "'" + seconds + "' is not a number of seconds in '" + text + "'";
            return false;
        }
        rule.delayMs = static_cast<uint32_t>(value * 1000);
        answer.resize(at);
    }
    if (answer.empty())
    {
        error = "no button in '" + text + "'";
        return false;
    }
    rule.button = answer;
    return true;
}

std::string Shown(const std::string& text)
{
    std::string shown;
    for (char ch : text)
    {
        if (ch != '&')
            shown += ch;
    }
    return shown;
}

void CALLBACK Press(HWND dialog, UINT, UINT_PTR, DWORD)
{
    KillTimer(dialog, kAnswerTimer);
    std::string button;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        auto it = g_pending.find(dialog);
        if (it == g_pending.end())
            return;
        button = it->second;
        g_pending.erase(it);
    }
    Runtime* rt = Runtime::Current();
    if (!rt)
        return;
    char* end = nullptr;
    const long id = std::strtol(button.c_str(), &end, 10);
    HWND target = nullptr;
    for (HWND child : UserWindows::Of(*rt).Children(dialog))
    {
        WindowState state;
        if (!UserWindows::Of(*rt).Find(child, state))
            continue;
        if ((*end == '\0' && state.id == id) || strcasecmp(Shown(state.text).c_str(), Shown(button).c_str()) == 0)
            target = child;
    }
    if (!target)
        return;
    WindowState state;
    UserWindows::Of(*rt).Find(target, state);
    Journal::Record("ui", "press", state.text, std::to_string(state.id));
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(state.id, BN_CLICKED), reinterpret_cast<LPARAM>(target));
}

} // namespace

bool DialogAnswers::IsRule(const std::string& text)
{
    return strncasecmp(text.c_str(), "window:", 7) == 0;
}

bool DialogAnswers::Check(const std::string& text, std::string& error)
{
    Rule rule;
    return Parse(text, rule, error);
}

void DialogAnswers::Set(const std::vector<std::string>& rules)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_rules.clear();
    g_pending.clear();
    for (const std::string& text : rules)
    {
        Rule rule;
        std::string error;
        if (IsRule(text) && Parse(text, rule, error))
            g_rules.push_back(rule);
    }
}

void DialogAnswers::Watch(Runtime& rt, HWND dialog)
{
    WindowState state;
    if (!UserWindows::Of(rt).Find(dialog, state))
        return;
    const std::string title = Upper(state.text);
    uint32_t delay = 0;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        auto rule = std::find_if(g_rules.begin(), g_rules.end(),
                                 [&](const Rule& r) { return Wildcard(r.pattern.c_str(), title.c_str()); });
        if (rule == g_rules.end())
            return;
        g_pending[dialog] = rule->button;
        delay = rule->delayMs;
    }
    SetTimer(dialog, kAnswerTimer, std::max<uint32_t>(delay, 10), Press);
}

} // namespace winsim
