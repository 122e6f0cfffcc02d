// A registry key named by a root and a path, with the few operations every subsystem needs.
#pragma once

#include <string>

#include "platform/win32.h"

class CRegistryKey
{
public:
    CRegistryKey(HKEY hRoot, const std::string& csPath) : m_hRoot(hRoot), m_csPath(csPath) {}

    HKEY GetRoot() const { return m_hRoot; }
    const std::string& GetPath() const { return m_csPath; }

    BOOL Exists() const;
    // Creates the key and every missing level above it.
    BOOL Create() const;
    // Reads a REG_SZ or REG_EXPAND_SZ value.
    BOOL ReadString(const char* pszValue, std::string& csData) const;
    // Writes a string value, creating the key if needed.
    BOOL WriteString(const char* pszValue, const std::string& csData, DWORD dwType = REG_SZ) const;
    BOOL WriteBinary(const char* pszValue, const void* pData, DWORD cbData) const;
    BOOL DeleteValue(const char* pszValue) const;
    // Deletes the key with all its subkeys. bResetAccess first gives Everyone read and Administrators full
    // control on every key of the tree (keys such as the device tree deny writes otherwise);
    // bRemoveEmptyParents then removes the parent keys left with no subkeys and no values.
    BOOL DeleteKey(BOOL bResetAccess = FALSE, BOOL bRemoveEmptyParents = FALSE) const;

    // Replaces a key's access list with Everyone: read, Administrators: full control.
    static BOOL ResetAccess(HKEY hRoot, const std::string& csPath);

private:
    static BOOL DeleteTree(HKEY hRoot, const std::string& csPath, BOOL bResetAccess);
    void RemoveEmptyParents() const;

    HKEY m_hRoot;
    std::string m_csPath;
};
