// The machine's ANSI code page (1252): what registry names and .reg files are written in. NT keeps the
// registry in Unicode, so ordering and case folding follow the Unicode characters these bytes stand for.
#pragma once

#include <cstdint>
#include <string>

namespace winsim
{

class Cp1252
{
public:
    // The Unicode character of an ANSI byte; the five bytes 1252 leaves undefined map to U+0081 etc.
    static uint32_t ToUnicode(uint8_t byte);
    // The ANSI byte of a Unicode character, '?' when 1252 has none.
    static uint8_t FromUnicode(uint32_t codePoint);
    // Upper case as the registry folds names: ASCII letters and the accented letters of 1252.
    static uint8_t Upper(uint8_t byte);
    static std::string Upper(const std::string& text);
    // The upper-cased text as UTF-8: comparing these byte-wise orders names as NT does.
    static std::string SortKey(const std::string& text);
    static bool EqualNoCase(const std::string& a, const std::string& b);
};

} // namespace winsim
