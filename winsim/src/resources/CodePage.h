// ANSI code pages: which one a machine uses (it follows the machine's language, as the system locale does
// on a localised Windows), and conversions between its bytes and UTF-16, as MultiByteToWideChar and
// WideCharToMultiByte make them (a character the code page lacks becomes '?').
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace winsim
{

class CodePage
{
public:
    // The ANSI code page of a language (1252 for the Western European ones and any it does not know).
    static uint32_t AnsiOf(uint16_t languageId);

    // The characters of a UTF-16 text in a code page, one string per character (a surrogate pair is one
    // character), so that a caller can cut the text between characters.
    static std::vector<std::string> CharactersOf(const std::u16string& text, uint32_t codePage);
    static std::string FromUtf16(const std::u16string& text, uint32_t codePage);
    static std::u16string ToUtf16(const std::string& text, uint32_t codePage);
    // UTF-8 text (winsim's own tables) in UTF-16.
    static std::u16string FromUtf8(const std::string& text);
};

} // namespace winsim
