#include "InstallerEffects.h"

#include <cstdlib>

#include "files/NameCase.h"
#include "windows.h"

namespace winsim
{

namespace
{

const char* kUninstallRoot = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

void WriteString(HKEY key, const char* name, const std::string& value)
{
    if (!value.empty())
        RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
}

void DeleteTree(const std::string& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    for (;;)
    {
        char name[MAX_PATH] = {0};
        DWORD chars = MAX_PATH;
        if (RegEnumKeyExA(key, 0, name, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        DeleteTree(path + "\\" + name);
    }
    RegCloseKey(key);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, path.c_str());
}

} // namespace

bool InstallerEffects::Set(const std::string& key, const std::string& value, std::string& what)
{
    what.clear();
    const std::string upper = NameCase::Upper(key);
    if (upper == "RESULTCODE")
    {
        char* end = nullptr;
        const long code = std::strtol(value.c_str(), &end, 10);
        if (value.empty() || !end || *end)
        {
            what = "ResultCode needs a number, not '" + value + "'";
            return false;
        }
        resultCode = static_cast<uint32_t>(code);
        return true;
    }
    std::string* field = upper == "UNINSTALLKEY"          ? &uninstallKey
                         : upper == "DISPLAYNAME"         ? &displayName
                         : upper == "UNINSTALLSTRING"     ? &uninstallString
                         : upper == "REMOVESUNINSTALLKEY" ? &removesUninstallKey
                                                          : nullptr;
    if (!field)
        return false;
    if (value.empty() || value.find('\n') != std::string::npos)
    {
        what = key + " needs a value";
        return false;
    }
    *field = value;
    return true;
}

std::string InstallerEffects::Text() const
{
    std::string text;
    if (resultCode)
        text += "ResultCode=" + std::to_string(static_cast<int32_t>(*resultCode)) + "\n";
    const std::pair<const char*, const std::string*> fields[] = {{"UninstallKey", &uninstallKey},
                                                                 {"DisplayName", &displayName},
                                                                 {"UninstallString", &uninstallString},
                                                                 {"RemovesUninstallKey", &removesUninstallKey}};
    for (const auto& field : fields)
    {
        if (!field.second->empty())
            text += std::string(field.first) + "=" + *field.second + "\n";
    }
    return text;
}

bool InstallerEffects::Empty() const
{
    return Text().empty();
}

void InstallerEffects::Apply(const std::string& image) const
{
    if (resultCode)
    {
        const size_t slash = image.find_last_of('\\');
        const std::string log = image.substr(0, slash == std::string::npos ? 0 : slash + 1) + "SETUP.LOG";
        const std::string text =
            "[ResponseResult]\r\nResultCode=" + std::to_string(static_cast<int32_t>(*resultCode)) + "\r\n";
        HANDLE file =
            CreateFileA(log.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE)
        {
            DWORD written = 0;
            WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
            CloseHandle(file);
        }
    }
    if (!uninstallKey.empty())
    {
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, (kUninstallRoot + uninstallKey).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr) == ERROR_SUCCESS)
        {
            WriteString(key, "DisplayName", displayName);
            WriteString(key, "UninstallString", uninstallString);
            RegCloseKey(key);
        }
    }
    if (!removesUninstallKey.empty())
        DeleteTree(kUninstallRoot + removesUninstallKey);
}

} // namespace winsim
