// One opened driver INF (or device INI, which uses INF syntax) and the questions setup asks of it. All
// reading goes through the platform's INF functions, bound by name in the device layer.
#pragma once

#include <functional>
#include <string>

#include "inf/CInfModels.h"
#include "inf/InfRecords.h"
#include "platform/StringList.h"
#include "platform/win32.h"

class CInf
{
public:
    CInf() = default;
    ~CInf();
    CInf(const CInf&) = delete;
    CInf& operator=(const CInf&) = delete;

    BOOL Initialize(const char* pszINFFileName);
    void CloseINF();
    BOOL IsOpen() const { return m_hInf != nullptr; }
    const std::string& GetManufacturerTag() const { return m_szManufacturerTag; }
    const std::string& GetINFPath() const { return m_szINFPath; }
    const std::string& GetINFFileName() const { return m_szINFFileName; }
    // Why the last Initialize could not open its INF, and the line of a syntax error.
    DWORD GetOpenError() const { return m_dwOpenError; }
    UINT GetErrorLine() const { return m_uErrorLine; }

    BOOL HasValidModelHardwareID();
    BOOL GetKeyValue(const char* pszSection, const char* pszKey, std::string& csValue, DWORD dwField);
    BOOL GetAddRegBinaryValue(const char* pszSection, const char* pszSubKey, const char* pszValueName, BYTE* pData,
                              DWORD cbData);
    BOOL GetModelLineField(const std::string& csHardwareID, std::string& csField);
    size_t GetHardwareIDList(CStringList& list);
    BOOL FindHardwareID(const std::string& csDeviceID, std::string* pcsMatch);
    BOOL GetChildHardwareID(const std::string& csSection, std::string& csChildID, const char* pszKey);
    BOOL GetChildHardwareIDForModel(const std::string& csHardwareID, std::string& csChildID);
    BOOL GetChildHardwareIDList(const std::string& csHardwareID, int nChildren, CStringList& list);
    BOOL GetWaveHardwareID(std::string& csWaveID);
    size_t GetCopyFilesList(const std::string& csHardwareID, CCopyFilesList& list);
    size_t GetAllCopyFilesList(CCopyFilesList& list);
    BOOL FindAddRegValue(const std::string& csHardwareID, const std::string& csSubKey, const std::string& csValueName,
                         std::string& csValue);
    size_t GetAddRegList(const std::string& csHardwareID, const std::string& csRoot, CAddRegList& list);
    BOOL GetRegEntries(const std::string& csSection, const std::string& csRoot, DWORD dwFlags, CAddRegList& list);
    BOOL GetInstallSectionForID(const std::string& csDeviceID, std::string& csSection);
    size_t GetKillAppsList(CStringList& list);
    BOOL GetNthKeyField(const std::string& csSection, const std::string& csKey, DWORD dwKeyField, DWORD dwValueField,
                        int nOccurrence, std::string& csValue);
    BOOL InstallINFSection(const char* pszInstallSection, HKEY hKey);
    BOOL IsNvlsINF();
    BOOL IncludesKernelStreaming(const std::string& csHardwareID);
    BOOL GetINIVistaWaveRTRegData(const char* pszSection, CVistaWaveRTRegList& list);

    // GetRegEntries flags.
    static const DWORD REG_ENTRIES_ADDREG = 1;
    static const DWORD REG_ENTRIES_DELREG = 2;

private:
    // A field of a line into a 260-character buffer; a longer field counts as absent.
    BOOL ReadField(INFCONTEXT& context, DWORD dwField, std::string& csValue);
    BOOL FirstLine(const std::string& csSection, INFCONTEXT& context);
    BOOL SectionExists(const std::string& csSection);
    std::string DecoratedSection(const std::string& csSection);
    // Calls fnLine for each line of a section in order until it returns true; TRUE when it did.
    BOOL ForEachLine(const std::string& csSection, const std::function<bool(INFCONTEXT&)>& fnLine);
    // Reads the models section into m_models (once per opened INF).
    void ReadModels();
    CStringList DirectiveValues(const std::string& csSection, const char* pszDirective);
    void ReadCopyFilesSection(const std::string& csSection, CCopyFilesList& list);
    void ReadAddRegOfSection(const std::string& csSection, const std::string& csRoot, CAddRegList& list);
    BOOL ChildIDInSection(const std::string& csSection, std::string& csChildID, const char* pszKey);

    std::string m_szINFPath;
    std::string m_szINFFileName;
    UINT m_uErrorLine = 0;
    DWORD m_dwOpenError = ERROR_SUCCESS;
    HINF m_hInf = nullptr;
    std::string m_szManufacturerTag;
    CInfModels m_models;
    CStringList m_hardwareIDs;
    bool m_bHardwareIDsRead = false;
    BOOL m_bNT = FALSE;
    DWORD m_dwPlatform = 0;
};
