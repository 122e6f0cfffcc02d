#include "CodePage.h"

#include <iconv.h>

#include "windows.h"

namespace winsim
{

namespace
{

// One conversion through iconv; false when the input has something the target lacks or is malformed.
bool Convert(const char* to, const char* from, const std::string& input, std::string& output)
{
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    std::string in = input;
    output.assign(in.size() * 4 + 16, '\0');
    char* inPtr = in.data();
    size_t inLeft = in.size();
    char* outPtr = output.data();
    size_t outLeft = output.size();
    bool ok = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1) &&
              // Stateful code pages (1255, 1258) hold the last character back until told the input ended.
              iconv(cd, nullptr, nullptr, &outPtr, &outLeft) != static_cast<size_t>(-1);
    iconv_close(cd);
    output.resize(output.size() - outLeft);
    return ok;
}

std::string IconvName(uint32_t codePage)
{
    return "CP" + std::to_string(codePage);
}

std::string Utf16Bytes(const std::u16string& text)
{
    std::string bytes;
    for (char16_t c : text)
    {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

std::u16string FromUtf16Bytes(const std::string& bytes)
{
    std::u16string text;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        text += static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) | (static_cast<uint8_t>(bytes[i + 1]) << 8));
    return text;
}

} // namespace

uint32_t CodePage::AnsiOf(uint16_t languageId)
{
    switch (PRIMARYLANGID(languageId))
    {
    case LANG_JAPANESE:
        return 932;
    case LANG_KOREAN:
        return 949;
    case LANG_CHINESE:
    {
        const uint16_t sub = SUBLANGID(languageId);
        return sub == SUBLANG_CHINESE_SIMPLIFIED || sub == SUBLANG_CHINESE_SINGAPORE ? 936 : 950;
    }
    case LANG_THAI:
        return 874;
    case LANG_CROATIAN:
        // Shared by Croatian and Serbian; sublanguage 3 is Serbian written in Cyrillic.
        return SUBLANGID(languageId) == 0x03 ? 1251 : 1250;
    case LANG_POLISH:
    case LANG_CZECH:
    case LANG_HUNGARIAN:
    case LANG_SLOVAK:
    case LANG_SLOVENIAN:
    case LANG_ROMANIAN:
    case LANG_ALBANIAN:
        return 1250;
    case LANG_RUSSIAN:
    case LANG_UKRAINIAN:
    case LANG_BELARUSIAN:
    case LANG_BULGARIAN:
    case LANG_MACEDONIAN:
        return 1251;
    case LANG_GREEK:
        return 1253;
    case LANG_TURKISH:
        return 1254;
    case LANG_HEBREW:
        return 1255;
    case LANG_ARABIC:
    case LANG_FARSI:
    case LANG_URDU:
        return 1256;
    case LANG_ESTONIAN:
    case LANG_LATVIAN:
    case LANG_LITHUANIAN:
        return 1257;
    case LANG_VIETNAMESE:
        return 1258;
    default:
        return 1252;
    }
}

std::vector<std::string> CodePage::CharactersOf(const std::u16string& text, uint32_t codePage)
{
    std::vector<std::string> characters;
    const std::string target = IconvName(codePage);
    for (size_t i = 0; i < text.size(); ++i)
    {
        std::u16string one(1, text[i]);
        if (text[i] >= 0xD800 && text[i] < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000)
            one += text[++i];
        std::string bytes;
        if (!Convert(target.c_str(), "UTF-16LE", Utf16Bytes(one), bytes) || bytes.empty())
            bytes = "?";
        characters.push_back(bytes);
    }
    return characters;
}

std::string CodePage::FromUtf16(const std::u16string& text, uint32_t codePage)
{
    std::string result;
    for (const std::string& character : CharactersOf(text, codePage))
        result += character;
    return result;
}

std::u16string CodePage::ToUtf16(const std::string& text, uint32_t codePage)
{
    std::string bytes;
    if (Convert("UTF-16LE", IconvName(codePage).c_str(), text, bytes))
        return FromUtf16Bytes(bytes);
    // Bytes the code page does not define: each becomes one character of its own, as ISO 8859-1 reads it.
    std::u16string fallback;
    for (char c : text)
        fallback += static_cast<char16_t>(static_cast<uint8_t>(c));
    return fallback;
}

std::u16string CodePage::FromUtf8(const std::string& text)
{
    std::string bytes;
    Convert("UTF-16LE", "UTF-8", text, bytes);
    return FromUtf16Bytes(bytes);
}

} // namespace winsim
