// The fixture on a real Windows machine (or Wine): scratch folder and key, removed afterwards.
#include <windows.h>

#include <string>

#include "TestMachine.h"

namespace
{

void RemoveTree(const std::string& folder)
{
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE)
    {
        do
        {
            std::string name = data.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = folder + "\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
            {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(folder.c_str());
}

void RemoveKeyTree(HKEY root, const std::string& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS)
    {
        char name[MAX_PATH];
        DWORD size = sizeof(name);
        while (RegEnumKeyExA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
        {
            RemoveKeyTree(key, name);
            size = sizeof(name);
        }
        RegCloseKey(key);
    }
    RegDeleteKeyA(root, path.c_str());
}

} // namespace

std::string TestMachine::MakeMachine(const std::string&)
{
    return {};
}

std::string TestMachine::DeriveProfile(const std::string&, const std::string&, const std::string&)
{
    return {};
}

void TestMachine::SetUp()
{
    char temp[MAX_PATH];
    ASSERT_NE(0u, GetTempPathA(MAX_PATH, temp));
    std::string unique = std::to_string(GetCurrentProcessId()) + "_" + std::to_string(GetTickCount());
    m_scratchFolder = std::string(temp) + "drvsetup-test-" + unique;
    ASSERT_TRUE(CreateDirectoryA(m_scratchFolder.c_str(), nullptr));
    m_scratchKey = "Software\\drvsetup-tests\\" + unique;
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, m_scratchKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &key, nullptr));
    RegCloseKey(key);
}

void TestMachine::TearDown()
{
    RemoveTree(m_scratchFolder);
    RemoveKeyTree(HKEY_CURRENT_USER, m_scratchKey);
}
