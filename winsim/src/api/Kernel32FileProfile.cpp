// KERNEL32 profile strings: GetPrivateProfileStringA, GetPrivateProfileIntA, WritePrivateProfileStringA,
// GetPrivateProfileSectionA, WritePrivateProfileSectionA.
#include <cctype>
#include <cstring>

#include "core/Runtime.h"
#include "faults/FaultPoint.h"
#include "files/ApiBuffers.h"
#include "files/ProfileFile.h"
#include "files/ProfileText.h"
#include "windows.h"

using namespace winsim;

namespace
{

// Matching quotes around a value are not part of it.
std::string Unquoted(const std::string& value)
{
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
        return value.substr(1, value.size() - 2);
    return value;
}

// Reads the file behind a profile call; a missing file reads as empty, leaving ERROR_FILE_NOT_FOUND.
ProfileText Load(Runtime& rt, const char* fileName)
{
    ProfileFile file;
    std::string text;
    if (file.Resolve(rt, fileName))
        file.Read(text);
    return ProfileText(text);
}

DWORD GetString(Runtime& rt, LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault, LPSTR lpReturnedString, DWORD nSize,
                LPCSTR lpFileName)
{
    // The default loses its trailing blanks.
    std::string fallback = lpDefault ? lpDefault : "";
    while (!fallback.empty() && fallback.back() == ' ')
        fallback.pop_back();
    ProfileText ini = Load(rt, lpFileName);
    if (!lpReturnedString)
        return 0;
    if (!lpAppName)
        return ApiBuffers::CopyList(ini.SectionNames(), lpReturnedString, nSize);
    if (!lpKeyName)
    {
        std::vector<std::string> keys = ini.KeyNames(lpAppName);
        if (!keys.empty())
            return ApiBuffers::CopyList(keys, lpReturnedString, nSize);
        return ApiBuffers::CopyTruncated(Unquoted(fallback), lpReturnedString, nSize);
    }
    if (!*lpKeyName)
        return ApiBuffers::CopyTruncated("", lpReturnedString, nSize);
    std::string value;
    if (!ini.GetValue(lpAppName, lpKeyName, value))
        value = fallback;
    return ApiBuffers::CopyTruncated(Unquoted(value), lpReturnedString, nSize);
}

// A number as the profile functions read it: blanks, a sign, then decimal digits or a 0x, 0o or 0b prefix;
// reading stops at the first character that is not a digit.
UINT ParseNumber(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    unsigned base = 10;
    if (i + 1 < text.size() && text[i] == '0')
    {
        char prefix = static_cast<char>(std::tolower(static_cast<unsigned char>(text[i + 1])));
        base = prefix == 'x' ? 16 : prefix == 'o' ? 8 : prefix == 'b' ? 2 : 10;
        if (base != 10)
            i += 2;
    }
    uint32_t value = 0;
    for (; i < text.size(); ++i)
    {
        int c = std::tolower(static_cast<unsigned char>(text[i]));
        unsigned digit = std::isdigit(c) ? static_cast<unsigned>(c - '0') : c >= 'a' && c <= 'f' ? c - 'a' + 10u : 99u;
        if (digit >= base)
            break;
        value = value * base + digit;
    }
    return negative ? 0u - value : value;
}

bool Save(Runtime& rt, const char* fileName, const ProfileText& ini)
{
    ProfileFile file;
    if (!file.Resolve(rt, fileName))
        return false;
    uint32_t error = file.Write(rt, ini.Text());
    if (error)
    {
        SetLastError(error);
        return false;
    }
    return true;
}

} // namespace

DWORD WINAPI GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault, LPSTR lpReturnedString,
                                      DWORD nSize, LPCSTR lpFileName)
{
    Runtime* rt = Runtime::Current();
    if (!rt)
    {
        SetLastError(ERROR_NOT_READY);
        return 0;
    }
    WINSIM_API_CALL();
    return GetString(*rt, lpAppName, lpKeyName, lpDefault, lpReturnedString, nSize, lpFileName);
}

UINT WINAPI GetPrivateProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault, LPCSTR lpFileName)
{
    Runtime* rt = Runtime::Current();
    if (!rt)
    {
        SetLastError(ERROR_NOT_READY);
        return static_cast<UINT>(nDefault);
    }
    WINSIM_API_CALL();
    // The value is read into a small buffer first, as Windows does.
    char buffer[30];
    if (GetString(*rt, lpAppName, lpKeyName, "", buffer, sizeof(buffer), lpFileName) == 0 || !buffer[0])
        return static_cast<UINT>(nDefault);
    return ParseNumber(buffer);
}

BOOL WINAPI WritePrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString, LPCSTR lpFileName)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    // All three NULL flushes the profile cache, which winsim does not keep; Windows then returns FALSE.
    if (!lpAppName)
    {
        if (lpKeyName || lpString)
            SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    ProfileText ini = Load(*rt, lpFileName);
    bool changed = !lpKeyName  ? ini.DeleteSection(lpAppName)
                   : !lpString ? ini.DeleteKey(lpAppName, lpKeyName)
                               : ini.SetValue(lpAppName, lpKeyName, lpString);
    if (!changed)
        return TRUE;
    return Save(*rt, lpFileName, ini) ? TRUE : FALSE;
}

DWORD WINAPI GetPrivateProfileSectionA(LPCSTR lpAppName, LPSTR lpReturnedString, DWORD nSize, LPCSTR lpFileName)
{
    Runtime* rt = Runtime::Current();
    if (!rt)
    {
        SetLastError(ERROR_NOT_READY);
        return 0;
    }
    WINSIM_API_CALL();
    if (!lpAppName || !lpReturnedString)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    ProfileText ini = Load(*rt, lpFileName);
    return ApiBuffers::CopyList(ini.SectionLines(lpAppName), lpReturnedString, nSize);
}

BOOL WINAPI WritePrivateProfileSectionA(LPCSTR lpAppName, LPCSTR lpString, LPCSTR lpFileName)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    if (!lpAppName)
    {
        if (lpString)
            SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    ProfileText ini = Load(*rt, lpFileName);
    bool changed = false;
    if (!lpString)
        changed = ini.DeleteSection(lpAppName);
    else
    {
        // The lines come as a list of strings ending in an empty one.
        std::vector<std::string> lines;
        for (const char* line = lpString; *line; line += std::strlen(line) + 1)
            lines.emplace_back(line);
        changed = ini.ReplaceSection(lpAppName, lines);
    }
    if (!changed)
        return TRUE;
    return Save(*rt, lpFileName, ini) ? TRUE : FALSE;
}
