#include "WildcardPattern.h"

#include "NameCase.h"

namespace winsim
{

WildcardPattern::WildcardPattern(const std::string& pattern)
{
    for (size_t i = 0; i < pattern.size(); ++i)
    {
        const char c = pattern[i];
        const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
        if (c == '?')
            m_tokens.push_back({Kind::DosQuestion, 0});
        else if (c == '*')
            m_tokens.push_back({next == '.' ? Kind::DosStar : Kind::Star, 0});
        else if (c == '.' && (next == '\0' || next == '?' || next == '*'))
            m_tokens.push_back({Kind::DosDot, 0});
        else
            m_tokens.push_back({Kind::Literal, NameCase::Upper(c)});
    }
}

bool WildcardPattern::Matches(const std::string& name) const
{
    const std::string upper = NameCase::Upper(name);
    const size_t lastDot = upper.rfind('.');
    std::vector<signed char> memo((m_tokens.size() + 1) * (upper.size() + 1), -1);
    return MatchFrom(0, 0, upper, lastDot, memo);
}

bool WildcardPattern::MatchFrom(size_t token, size_t position, const std::string& name, size_t lastDot,
                                std::vector<signed char>& memo) const
{
    const size_t length = name.size();
    if (token == m_tokens.size())
        return position == length;
    signed char& cached = memo[token * (length + 1) + position];
    if (cached >= 0)
        return cached != 0;

    bool matched = false;
    const Token& t = m_tokens[token];
    switch (t.kind)
    {
    case Kind::Literal:
        matched =
            position < length && name[position] == t.upper && MatchFrom(token + 1, position + 1, name, lastDot, memo);
        break;
    case Kind::Star:
        for (size_t end = position; !matched && end <= length; ++end)
            matched = MatchFrom(token + 1, end, name, lastDot, memo);
        break;
    case Kind::DosStar:
    {
        // Runs up to the last dot of the name, or to its end when no dot lies ahead.
        const size_t limit = lastDot != std::string::npos && lastDot >= position ? lastDot : length;
        for (size_t end = position; !matched && end <= limit; ++end)
            matched = MatchFrom(token + 1, end, name, lastDot, memo);
        break;
    }
    case Kind::DosQuestion:
        if (position == length || name[position] == '.')
            matched = MatchFrom(token + 1, position, name, lastDot, memo);
        else
            matched = MatchFrom(token + 1, position + 1, name, lastDot, memo);
        break;
    case Kind::DosDot:
        if (position == length)
            matched = MatchFrom(token + 1, position, name, lastDot, memo);
        else
            matched = name[position] == '.' && MatchFrom(token + 1, position + 1, name, lastDot, memo);
        break;
    }
    cached = matched ? 1 : 0;
    return matched;
}

} // namespace winsim
