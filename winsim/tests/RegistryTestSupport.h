// Helpers shared by the registry tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Runtime.h"
#include "registry/RegistryStore.h"
#include "windows.h"

namespace registry_test
{

// A key created (or opened) with full access; fails the test if that does not work.
inline HKEY Create(HKEY root, const std::string& path)
{
    HKEY key = nullptr;
    LONG rc = RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    EXPECT_EQ(ERROR_SUCCESS, rc) << path;
    return key;
}

inline LONG SetString(HKEY key, const char* name, const std::string& text)
{
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1));
}

inline LONG SetDword(HKEY key, const char* name, DWORD number)
{
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof(number));
}

inline std::vector<std::string> SubKeys(HKEY key)
{
    std::vector<std::string> names;
    char name[256];
    for (DWORD i = 0;; ++i)
    {
        DWORD size = sizeof(name);
        if (RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.push_back(name);
    }
    return names;
}

inline std::vector<std::string> ValueNames(HKEY key)
{
    std::vector<std::string> names;
    char name[256];
    for (DWORD i = 0;; ++i)
    {
        DWORD size = sizeof(name);
        if (RegEnumValueA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.push_back(name);
    }
    return names;
}

inline winsim::RegistryStore Store()
{
    winsim::Runtime* rt = winsim::Runtime::Current();
    return winsim::RegistryStore(rt->GetMachine().GetStore(), rt->Identity());
}

// The registry rows of the journal, as "op target detail".
inline std::vector<std::string> RegistryJournal()
{
    winsim::Statement rows = winsim::Runtime::Current()->GetMachine().GetStore().Prepare(
        "SELECT op, target, detail FROM journal WHERE kind = 'registry' ORDER BY seq");
    std::vector<std::string> lines;
    while (rows.Step())
        lines.push_back(rows.Text(0) + " " + rows.Text(1) + " " + rows.Text(2));
    return lines;
}

} // namespace registry_test
