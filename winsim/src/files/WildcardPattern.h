// FindFirstFileA's pattern matching. Windows turns the pattern into DOS wildcards before matching:
// '?' matches one character, or nothing at a dot or at the end of the name; '*' followed by '.' stops at the
// last dot of the name; a '.' followed by a wildcard or ending the pattern also matches the end of the name.
// So "*.*" matches every name, dotless ones included, and "*." matches only names without an extension.
#pragma once

#include <string>
#include <vector>

namespace winsim
{

class WildcardPattern
{
public:
    explicit WildcardPattern(const std::string& pattern);

    // Compares without regard to case.
    bool Matches(const std::string& name) const;

private:
    enum class Kind
    {
        Literal,
        Star,
        DosStar,
        DosQuestion,
        DosDot
    };
    struct Token
    {
        Kind kind;
        char upper;
    };

    bool MatchFrom(size_t token, size_t position, const std::string& upperName, size_t lastDot,
                   std::vector<signed char>& memo) const;

    std::vector<Token> m_tokens;
};

} // namespace winsim
