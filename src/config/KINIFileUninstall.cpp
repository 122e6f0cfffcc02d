// Saved INI copies: the reversed copy of each installed INI, with the keys the install created, and the
// uninstall that processes them.
#include "config/KINIFile.h"

#include "common/CFileUtility.h"
#include "common/CTraceScope.h"
#include "common/IniFlags.h"
#include "platform/CScopedHandle.h"
#include "platform/CRegistryKey.h"
#include "platform/CTextFile.h"
#include "platform/StringUtil.h"

namespace
{

const DWORD FOLDER_PAUSE_MS = 100;
const size_t SAVED_LINE_CHARS = 259;
// Keys this close to the root of HKEY_LOCAL_MACHINE are shared by everything installed; they are never
// deleted, whoever created them.
const size_t MIN_DELETABLE_DEPTH = 3;
const char* CREATED_KEYS_SECTION = "SavedINI.CreatedKeys";
const char* CREATED_KEY_ENTRY = "Key";
const char* CREATED_EMPTY_KEY_ENTRY = "EmptyKey";

bool StartsWithNoCase(const std::string& csText, size_t nPos, const char* pszPrefix)
{
    std::string csPrefix = pszPrefix;
    return csText.size() >= nPos + csPrefix.size() && EqualsNoCase(csText.substr(nPos, csPrefix.size()), csPrefix);
}

// A line of the INI as it is saved: what was added is deleted when the copy is installed.
std::string ReverseLine(const std::string& csLine)
{
    size_t nStart = csLine.find_first_not_of(" \t");
    if (nStart == std::string::npos)
        return csLine;
    if (StartsWithNoCase(csLine, nStart, "AddReg"))
        return csLine.substr(0, nStart) + "DelReg" + csLine.substr(nStart + 6);
    if (StartsWithNoCase(csLine, nStart, "CopyFiles"))
        return csLine.substr(0, nStart) + "DelFiles" + csLine.substr(nStart + 9);
    return csLine;
}

CStringList SplitKeyPath(const std::string& csPath)
{
    CStringList parts;
    size_t nStart = 0;
    while (nStart <= csPath.size())
    {
        size_t nSlash = csPath.find('\\', nStart);
        std::string csPart = csPath.substr(nStart, nSlash == std::string::npos ? std::string::npos : nSlash - nStart);
        if (!csPart.empty())
            parts.push_back(csPart);
        if (nSlash == std::string::npos)
            break;
        nStart = nSlash + 1;
    }
    return parts;
}

// The shallowest level of the path that does not exist yet, or empty when the key exists.
std::string FirstMissingLevel(HKEY hRoot, const std::string& csPath, size_t nMinDepth)
{
    CStringList parts = SplitKeyPath(csPath);
    std::string csLevel;
    for (size_t i = 0; i < parts.size(); ++i)
    {
        csLevel += (i ? "\\" : "") + parts[i];
        if (i + 1 >= nMinDepth && !CRegistryKey(hRoot, csLevel).Exists())
            return csLevel;
    }
    return std::string();
}

bool IsEmptyKey(HKEY hRoot, const std::string& csPath)
{
    CScopedRegKey key;
    if (csPath.empty() || RegOpenKeyExA(hRoot, csPath.c_str(), 0, KEY_READ, key.Receive()) != ERROR_SUCCESS)
        return false;
    DWORD dwSubKeys = 0;
    DWORD dwValues = 0;
    LONG lResult = RegQueryInfoKeyA(key.Get(), nullptr, nullptr, nullptr, &dwSubKeys, nullptr, nullptr, &dwValues,
                                    nullptr, nullptr, nullptr, nullptr);
    return lResult == ERROR_SUCCESS && dwSubKeys == 0 && dwValues == 0;
}

std::string FileNameOf(const std::string& csPath)
{
    size_t nSlash = csPath.find_last_of('\\');
    return nSlash == std::string::npos ? csPath : csPath.substr(nSlash + 1);
}

} // namespace

void KINIFile::SetupForUninstall(const char* pszINIFileName, const char* pszInstallSection)
{
    CTraceScope trace("KINIFile::SetupForUninstall", "pszINIFileName = %s, pszInstallSection = %s",
                      pszINIFileName ? pszINIFileName : "", pszInstallSection ? pszInstallSection : "");
    std::string csFolder = GetSavedINIFolder();
    std::string csSource = pszINIFileName ? pszINIFileName : "";
    if (csFolder.empty() || csSource.empty())
        return;
    std::string csCopy = csFolder + "\\" + FileNameOf(csSource);
    CFileUtility::CreateFolderPath(csCopy, 0);
    Sleep(FOLDER_PAUSE_MS);
    CTextFile source;
    CTextFile copy;
    if (!source.OpenRead(csSource.c_str()) || !copy.Create(csCopy.c_str()))
    {
        TraceLine("FAILED : no saved copy %s\n", csCopy.c_str());
        return;
    }
    std::string csLine;
    while (source.ReadLine(csLine, SAVED_LINE_CHARS))
        copy.Write(ReverseLine(csLine) + "\n");
    TraceLine("Saved copy = %s\n", csCopy.c_str());
}

CStringList KINIFile::FindKeysToBeCreated(const std::string& csInstallSection)
{
    // Entries "<entry name>,<root>,<path>": whole keys to delete, and shallower keys to delete when empty.
    // A copy kept from an earlier install of the same INI names keys that exist now only because of it.
    CStringList keys = ReadRecordedKeys(m_inf.GetINFFileName());
    CAddRegList hklm;
    m_inf.GetRegEntries(csInstallSection, "HKLM", CInf::REG_ENTRIES_ADDREG, hklm);
    for (const ADD_REG_INFO& info : hklm)
    {
        if (EqualsNoCase(info.kRegKey, "EMPTY"))
            continue;
        CStringList parts = SplitKeyPath(info.kRegKey);
        std::string csLevel;
        for (size_t i = 0; i < parts.size(); ++i)
        {
            csLevel += (i ? "\\" : "") + parts[i];
            if (CRegistryKey(HKEY_LOCAL_MACHINE, csLevel).Exists())
                continue;
            if (i + 1 >= MIN_DELETABLE_DEPTH)
            {
                keys.push_back(std::string(CREATED_KEY_ENTRY) + ",HKLM," + csLevel);
                break;
            }
            keys.push_back(std::string(CREATED_EMPTY_KEY_ENTRY) + ",HKLM," + csLevel);
        }
    }
    CAddRegList hkr;
    m_inf.GetRegEntries(csInstallSection, "HKR", CInf::REG_ENTRIES_ADDREG, hkr);
    HKEY hDriverKey = m_devNode.RegOpenClassDeviceKey();
    if (hDriverKey && hDriverKey != reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE))
    {
        for (const ADD_REG_INFO& info : hkr)
        {
            if (EqualsNoCase(info.kRegKey, "EMPTY"))
                continue;
            std::string csLevel = FirstMissingLevel(hDriverKey, info.kRegKey, 1);
            if (!csLevel.empty())
                keys.push_back(std::string(CREATED_KEY_ENTRY) + ",HKR," + csLevel);
        }
    }
    m_devNode.CloseClassDeviceKey();
    return keys;
}

CStringList KINIFile::ReadRecordedKeys(const std::string& csINIFileName)
{
    CStringList keys;
    std::string csFolder = GetSavedINIFolder();
    CInf saved;
    if (csFolder.empty() || !saved.Initialize((csFolder + "\\" + FileNameOf(csINIFileName)).c_str()))
        return keys;
    for (const char* pszEntry : {CREATED_KEY_ENTRY, CREATED_EMPTY_KEY_ENTRY})
    {
        std::string csRoot;
        std::string csPath;
        for (int n = 0; saved.GetNthKeyField(CREATED_KEYS_SECTION, pszEntry, 0, 1, n, csRoot) &&
                        saved.GetNthKeyField(CREATED_KEYS_SECTION, pszEntry, 0, 2, n, csPath);
             ++n)
        {
            if (!Trim(csPath).empty())
                keys.push_back(std::string(pszEntry) + "," + Trim(csRoot) + "," + Trim(csPath));
        }
    }
    return keys;
}

void KINIFile::RecordCreatedKeys(const std::string& csINIFileName, const CStringList& keys)
{
    std::string csFolder = GetSavedINIFolder();
    if (csFolder.empty() || keys.empty())
        return;
    CTextFile copy;
    if (!copy.OpenWrite((csFolder + "\\" + FileNameOf(csINIFileName)).c_str()) || !copy.SeekToEnd())
        return;
    std::string csText = std::string("\n[") + CREATED_KEYS_SECTION + "]\n";
    CStringList written;
    for (const std::string& csKey : keys)
    {
        bool bSeen = false;
        for (const std::string& csDone : written)
            bSeen = bSeen || EqualsNoCase(csDone, csKey);
        if (bSeen)
            continue;
        written.push_back(csKey);
        size_t nFirst = csKey.find(',');
        size_t nSecond = csKey.find(',', nFirst + 1);
        csText += csKey.substr(0, nFirst) + " = " + csKey.substr(nFirst + 1, nSecond - nFirst - 1) + ",\"" +
                  csKey.substr(nSecond + 1) + "\"\n";
    }
    copy.Write(csText);
}

void KINIFile::DeleteRecordedKeys(const std::string&)
{
    std::string csPath;
    for (int n = 0; m_inf.GetNthKeyField(CREATED_KEYS_SECTION, CREATED_KEY_ENTRY, 0, 2, n, csPath); ++n)
    {
        std::string csRoot;
        m_inf.GetNthKeyField(CREATED_KEYS_SECTION, CREATED_KEY_ENTRY, 0, 1, n, csRoot);
        csPath = Trim(csPath);
        if (csPath.empty())
            continue;
        TraceLine("Created key = %s\\%s\n", csRoot.c_str(), csPath.c_str());
        if (EqualsNoCase(csRoot, "HKLM"))
        {
            if (SplitKeyPath(csPath).size() >= MIN_DELETABLE_DEPTH)
                CRegistryKey(HKEY_LOCAL_MACHINE, csPath).DeleteKey();
        }
        else if (EqualsNoCase(csRoot, "HKR"))
        {
            HKEY hDriverKey = m_devNode.RegOpenClassDeviceKey();
            if (hDriverKey && hDriverKey != reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE))
                CRegistryKey(hDriverKey, csPath).DeleteKey();
            m_devNode.CloseClassDeviceKey();
        }
    }
    // Shallower keys the INI created go only when nothing else has come to live in them; deepest first.
    CStringList emptyKeys;
    for (int n = 0; m_inf.GetNthKeyField(CREATED_KEYS_SECTION, CREATED_EMPTY_KEY_ENTRY, 0, 2, n, csPath); ++n)
        emptyKeys.push_back(Trim(csPath));
    for (auto it = emptyKeys.rbegin(); it != emptyKeys.rend(); ++it)
    {
        if (!IsEmptyKey(HKEY_LOCAL_MACHINE, *it))
            continue;
        TraceLine("Created empty key = HKLM\\%s\n", it->c_str());
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, it->c_str());
    }
}

DWORD KINIFile::UninstallINIFiles()
{
    if (!m_bInitialized)
        return 0;
    CTraceScope trace("KINIFile::UninstallINIFiles");
    DWORD dwFlags = 0;
    std::string csFolder = GetSavedINIFolder();
    CStringList files;
    if (!csFolder.empty())
        LocateINIFileNames(csFolder.c_str(), files);
    for (const std::string& csFile : files)
    {
        DWORD dwFileFlags = 0;
        std::string csSection;
        BOOL bDone = m_inf.Initialize(csFile.c_str()) && GetINIInfo(csSection, &dwFileFlags) &&
                     CheckIfValidINIFile(dwFileFlags, csFile.c_str()) && ProcessINIFile(csSection.c_str());
        dwFlags |= dwFileFlags;
        if (bDone)
            DeleteRecordedKeys(csFile);
        m_inf.CloseINF();
        // A copy that could not be processed stays for the next uninstall.
        if (bDone)
            DeleteFileA(csFile.c_str());
    }
    if (!csFolder.empty())
        RemoveDirectoryA(csFolder.c_str());
    UninstallAppsInstalledByINIFile(UNINSTALL_ROOT, &dwFlags);
    UninstallAppsInstalledByINIFile(UNINSTALL_ROOT_WOW64, &dwFlags);
    TraceLine("KINIFile::UninstallINIFiles : dwFlags = %d\n", static_cast<int>(dwFlags));
    return dwFlags;
}
