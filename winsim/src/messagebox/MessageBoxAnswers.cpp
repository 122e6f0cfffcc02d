#include "MessageBoxAnswers.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <mutex>

#include "MessageBoxStyle.h"
#include "core/Runtime.h"
#include "user/DialogAnswers.h"
#include "winsim/winsim.h"

namespace winsim
{

namespace
{

std::string Upper(const std::string& text)
{
    std::string upper;
    for (char c : text)
        upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

// * any run of characters, ? any one character; text is upper-cased by the caller.
bool Matches(const char* pattern, const char* text)
{
    for (; *pattern; ++pattern, ++text)
    {
        if (*pattern == '*')
        {
            for (const char* rest = text;; ++rest)
            {
                if (Matches(pattern + 1, rest))
                    return true;
                if (!*rest)
                    return false;
            }
        }
        if (!*text || (*pattern != '?' && *pattern != *text))
            return false;
    }
    return !*text;
}

// The rules of the attached process. A new attachment (another machine or process) starts without any.
struct Script
{
    std::mutex mutex;
    std::string owner;
    std::vector<AnswerRule> rules;
};

Script& TheScript()
{
    static Script script;
    return script;
}

std::string OwnerOf(Runtime& runtime)
{
    return runtime.GetMachine().Folder() + "|" + std::to_string(runtime.Pid());
}

} // namespace

bool MessageBoxAnswers::Parse(const std::string& text, AnswerRule& rule, std::string& error)
{
    rule = AnswerRule();
    // Button presses for dialogs share the option; they are checked, and kept, by the dialog side.
    if (DialogAnswers::IsRule(text))
    {
        rule.window = true;
        return DialogAnswers::Check(text, error);
    }
    const size_t equals = text.rfind('=');
    std::string pattern = equals == std::string::npos ? "*" : text.substr(0, equals);
    const std::string answers = equals == std::string::npos ? text : text.substr(equals + 1);
    if (pattern.compare(0, 5, "text:") == 0)
    {
        rule.matchText = true;
        pattern = pattern.substr(5);
    }
    rule.pattern = Upper(pattern);
    size_t at = 0;
    while (at <= answers.size())
    {
        const size_t comma = answers.find(',', at);
        const std::string item = answers.substr(at, comma == std::string::npos ? std::string::npos : comma - at);
        int answer = 0;
        if (Upper(item) != "DEFAULT" && !MessageBoxStyle::Parse(item, answer))
        {
            error = "'" + item + "' is not a message box answer (IDOK, IDCANCEL, IDYES, IDNO, ... or default) in '" +
                    text + "'";
            return false;
        }
        rule.answers.push_back(answer);
        if (comma == std::string::npos)
            break;
        at = comma + 1;
    }
    return true;
}

bool MessageBoxAnswers::ReadEnvironment(std::vector<std::string>& rules, std::string& error)
{
    rules.clear();
    const char* script = std::getenv(kEnvAnswers);
    std::string text = script ? script : "";
    size_t at = 0;
    while (at < text.size())
    {
        size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(at, end - at);
        AnswerRule rule;
        if (!line.empty() && !Parse(line, rule, error))
        {
            error = std::string(kEnvAnswers) + ": " + error;
            return false;
        }
        if (!line.empty())
            rules.push_back(line);
        at = end + 1;
    }
    return true;
}

bool MessageBoxAnswers::Set(const std::vector<std::string>& texts, std::string& error)
{
    Runtime* runtime = Runtime::Current();
    if (!runtime)
    {
        error = "no machine is attached";
        return false;
    }
    std::vector<AnswerRule> rules;
    for (const std::string& text : texts)
    {
        AnswerRule rule;
        if (!Parse(text, rule, error))
            return false;
        if (!rule.window)
            rules.push_back(rule);
    }
    DialogAnswers::Set(texts);
    Script& script = TheScript();
    std::lock_guard<std::mutex> lock(script.mutex);
    script.owner = OwnerOf(*runtime);
    script.rules = rules;
    return true;
}

int MessageBoxAnswers::Next(const std::string& caption, const std::string& text)
{
    Runtime* runtime = Runtime::Current();
    if (!runtime)
        return 0;
    Script& script = TheScript();
    std::lock_guard<std::mutex> lock(script.mutex);
    if (script.owner != OwnerOf(*runtime))
        return 0;
    const std::string upperCaption = Upper(caption), upperText = Upper(text);
    for (AnswerRule& rule : script.rules)
    {
        if (!Matches(rule.pattern.c_str(), (rule.matchText ? upperText : upperCaption).c_str()))
            continue;
        const size_t index = std::min(rule.used, rule.answers.size() - 1);
        ++rule.used;
        return rule.answers[index];
    }
    return 0;
}

bool SetMessageBoxAnswers(const std::vector<std::string>& rules, std::string& error)
{
    return MessageBoxAnswers::Set(rules, error);
}

bool CheckMessageBoxAnswer(const std::string& text, std::string& error)
{
    AnswerRule rule;
    return MessageBoxAnswers::Parse(text, rule, error);
}

} // namespace winsim
