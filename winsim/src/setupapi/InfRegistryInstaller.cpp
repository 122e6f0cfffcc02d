#include "InfRegistryInstaller.h"

#include <strings.h>

#include <cstdlib>
#include <vector>

#include "setupapi.h"

namespace winsim
{

namespace
{

uint32_t Number(const std::string& text)
{
    return static_cast<uint32_t>(std::strtoul(text.c_str(), nullptr, 0));
}

// A MULTI_SZ value as its strings.
std::vector<std::string> SplitMulti(const std::vector<BYTE>& data)
{
    std::vector<std::string> out;
    size_t at = 0;
    while (at < data.size() && data[at])
    {
        std::string s(reinterpret_cast<const char*>(&data[at]));
        at += s.size() + 1;
        out.push_back(std::move(s));
    }
    return out;
}

std::vector<BYTE> JoinMulti(const std::vector<std::string>& strings)
{
    std::vector<BYTE> out;
    for (const std::string& s : strings)
    {
        out.insert(out.end(), s.begin(), s.end());
        out.push_back(0);
    }
    out.push_back(0);
    if (out.size() == 1)
        out.push_back(0);
    return out;
}

bool ReadValue(HKEY key, const char* name, DWORD& type, std::vector<BYTE>& data)
{
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return false;
    data.resize(size);
    return RegQueryValueExA(key, name, nullptr, &type, data.data(), &size) == ERROR_SUCCESS;
}

} // namespace

HKEY InfRegistryInstaller::Root(const std::string& name) const
{
    if (!strcasecmp(name.c_str(), "HKR"))
        return m_relativeRoot;
    if (!strcasecmp(name.c_str(), "HKLM") || !strcasecmp(name.c_str(), "HKEY_LOCAL_MACHINE"))
        return HKEY_LOCAL_MACHINE;
    if (!strcasecmp(name.c_str(), "HKCU") || !strcasecmp(name.c_str(), "HKEY_CURRENT_USER"))
        return HKEY_CURRENT_USER;
    if (!strcasecmp(name.c_str(), "HKCR") || !strcasecmp(name.c_str(), "HKEY_CLASSES_ROOT"))
        return HKEY_CLASSES_ROOT;
    if (!strcasecmp(name.c_str(), "HKU") || !strcasecmp(name.c_str(), "HKEY_USERS"))
        return HKEY_USERS;
    return nullptr;
}

bool InfRegistryInstaller::AddReg(const std::string& section, uint32_t& error)
{
    const uint32_t index = m_model.FindSection(section);
    if (index == InfModel::kNone)
    {
        error = ERROR_SECTION_NOT_FOUND;
        return false;
    }
    for (size_t i = 0; i < m_model.LineCount(index); ++i)
        if (!AddLine(m_model.LineAt(index, static_cast<uint32_t>(i)), error))
            return false;
    return true;
}

bool InfRegistryInstaller::DelReg(const std::string& section, uint32_t& error)
{
    const uint32_t index = m_model.FindSection(section);
    if (index == InfModel::kNone)
    {
        error = ERROR_SECTION_NOT_FOUND;
        return false;
    }
    for (size_t i = 0; i < m_model.LineCount(index); ++i)
        if (!DelLine(m_model.LineAt(index, static_cast<uint32_t>(i)), error))
            return false;
    return true;
}

bool InfRegistryInstaller::AddLine(const InfModel::Line& line, uint32_t& error)
{
    // A registry line has no key; a single-field one reads as key and field 1 alike.
    auto field = [&](uint32_t n) { return n <= line.fieldCount ? m_model.FieldText(line, n) : std::string(); };
    const HKEY root = Root(field(1));
    if (!root)
    {
        error = ERROR_INVALID_PARAMETER;
        return false;
    }
    const std::string subkey = field(2);
    const bool hasName = line.fieldCount >= 3;
    const std::string name = field(3);
    const uint32_t flags = Number(field(4));
    const bool hasValue = line.fieldCount >= 5;

    if (flags & FLG_ADDREG_DELREG_BIT)
        return true; // a DelReg-only line in an AddReg section does nothing
    HKEY key = nullptr;
    if (flags & FLG_ADDREG_DELVAL)
    {
        if (RegOpenKeyExA(root, subkey.c_str(), 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS)
        {
            RegDeleteValueA(key, name.c_str());
            RegCloseKey(key);
        }
        return true;
    }
    LONG result = RegCreateKeyExA(root, subkey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                                  &key, nullptr);
    if (result != ERROR_SUCCESS)
    {
        error = static_cast<uint32_t>(result);
        return false;
    }
    struct Closer
    {
        HKEY key;
        ~Closer() { RegCloseKey(key); }
    } closer{key};
    if (flags & (FLG_ADDREG_KEYONLY | FLG_ADDREG_KEYONLY_COMMON))
        return true;
    if (!hasName && !hasValue)
        return true; // "root,subkey": the key alone
    const char* valueName = name.empty() ? nullptr : name.c_str();
    DWORD oldType = 0;
    std::vector<BYTE> old;
    const bool exists = ReadValue(key, valueName, oldType, old);
    if ((flags & FLG_ADDREG_NOCLOBBER) && exists)
        return true;
    if ((flags & FLG_ADDREG_OVERWRITEONLY) && !exists)
        return true;

    DWORD type = REG_SZ;
    std::vector<BYTE> data;
    const uint32_t typeBits = flags & FLG_ADDREG_TYPE_MASK;
    if (typeBits == FLG_ADDREG_TYPE_MULTI_SZ)
    {
        type = REG_MULTI_SZ;
        std::vector<std::string> strings;
        if (flags & FLG_ADDREG_APPEND)
        {
            if (exists && oldType == REG_MULTI_SZ)
                strings = SplitMulti(old);
            for (uint32_t n = 5; n <= line.fieldCount; ++n)
            {
                const std::string s = field(n);
                bool present = false;
                for (const std::string& have : strings)
                    present = present || !strcasecmp(have.c_str(), s.c_str());
                if (!present)
                    strings.push_back(s);
            }
        }
        else
            for (uint32_t n = 5; n <= line.fieldCount; ++n)
                strings.push_back(field(n));
        data = JoinMulti(strings);
    }
    else if (typeBits == FLG_ADDREG_TYPE_SZ || typeBits == FLG_ADDREG_TYPE_EXPAND_SZ)
    {
        if (flags & FLG_ADDREG_APPEND)
            return true; // appending applies to MULTI_SZ only
        type = typeBits == FLG_ADDREG_TYPE_SZ ? REG_SZ : REG_EXPAND_SZ;
        const std::string value = field(5);
        data.assign(value.begin(), value.end());
        data.push_back(0);
    }
    else if (typeBits == FLG_ADDREG_TYPE_DWORD && line.fieldCount == 5)
    {
        // One field: a number; several: the bytes, as a binary value of type DWORD.
        type = REG_DWORD;
        const uint32_t value = Number(field(5));
        data.resize(4);
        for (int b = 0; b < 4; ++b)
            data[b] = static_cast<BYTE>(value >> (8 * b));
    }
    else
    {
        // Binary data of the type in the high word (REG_BINARY for FLG_ADDREG_TYPE_BINARY).
        type = typeBits == FLG_ADDREG_TYPE_BINARY  ? REG_BINARY
               : typeBits == FLG_ADDREG_TYPE_NONE  ? REG_NONE
               : typeBits == FLG_ADDREG_TYPE_DWORD ? REG_DWORD
                                                   : (flags >> 16);
        for (uint32_t n = 5; n <= line.fieldCount; ++n)
        {
            const std::string text = field(n);
            char* end = nullptr;
            const unsigned long byte = std::strtoul(text.c_str(), &end, 16);
            if (text.empty() || *end || byte > 0xFF)
            {
                error = ERROR_INVALID_DATA;
                return false;
            }
            data.push_back(static_cast<BYTE>(byte));
        }
    }
    result = RegSetValueExA(key, valueName, 0, type, data.data(), static_cast<DWORD>(data.size()));
    if (result != ERROR_SUCCESS)
    {
        error = static_cast<uint32_t>(result);
        return false;
    }
    return true;
}

LONG InfRegistryInstaller::DeleteTree(HKEY parent, const std::string& subkey)
{
    HKEY key = nullptr;
    LONG result = RegOpenKeyExA(parent, subkey.c_str(), 0, KEY_ALL_ACCESS, &key);
    if (result != ERROR_SUCCESS)
        return result;
    std::vector<std::string> children;
    char name[256];
    for (DWORD i = 0;; ++i)
    {
        DWORD length = sizeof(name);
        if (RegEnumKeyExA(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        children.emplace_back(name, length);
    }
    for (const std::string& child : children)
        DeleteTree(key, child);
    RegCloseKey(key);
    return RegDeleteKeyA(parent, subkey.c_str());
}

bool InfRegistryInstaller::DelLine(const InfModel::Line& line, uint32_t& error)
{
    auto field = [&](uint32_t n) { return n <= line.fieldCount ? m_model.FieldText(line, n) : std::string(); };
    const HKEY root = Root(field(1));
    if (!root)
    {
        error = ERROR_INVALID_PARAMETER;
        return false;
    }
    const std::string subkey = field(2);
    if (line.fieldCount < 3)
    {
        // "root,subkey": the key and everything below it. Deleting the root itself is refused.
        if (!subkey.empty())
            DeleteTree(root, subkey);
        return true;
    }
    const std::string name = field(3);
    const uint32_t flags = Number(field(4));
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, subkey.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return true; // nothing to delete
    const char* valueName = name.empty() ? nullptr : name.c_str();
    if ((flags & FLG_DELREG_MULTI_SZ_DELSTRING) == FLG_DELREG_MULTI_SZ_DELSTRING)
    {
        // Remove one string from a MULTI_SZ value, keeping the others.
        DWORD type = 0;
        std::vector<BYTE> data;
        if (ReadValue(key, valueName, type, data) && type == REG_MULTI_SZ)
        {
            const std::string gone = field(5);
            std::vector<std::string> strings = SplitMulti(data);
            std::vector<std::string> kept;
            for (const std::string& s : strings)
                if (strcasecmp(s.c_str(), gone.c_str()) != 0)
                    kept.push_back(s);
            const std::vector<BYTE> joined = JoinMulti(kept);
            RegSetValueExA(key, valueName, 0, REG_MULTI_SZ, joined.data(), static_cast<DWORD>(joined.size()));
        }
    }
    else
        RegDeleteValueA(key, valueName);
    RegCloseKey(key);
    return true;
}

} // namespace winsim
