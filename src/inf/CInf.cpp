// Opening an INF, its models and hardware IDs, and single-line queries.
#include "CInf.h"

#include "common/CTraceScope.h"
#include "common/PlatformInfo.h"
#include "inf/InfDecoration.h"
#include "devapi/KDeviceApi.h"
#include "platform/StringUtil.h"

namespace
{

const char* NO_MANUFACTURER_TAG = "NVLS_XYZ_INF";

// Whether a model's first hardware ID has a form setup can install (enumerator, then the rest).
bool IsSupportedHardwareIDForm(const std::string& csID)
{
    std::string csUpper = ToUpper(csID);
    size_t nSlash = csUpper.find('\\');
    std::string csEnum = Trim(csUpper.substr(0, nSlash));
    std::string csRest = nSlash == std::string::npos ? std::string() : Trim(csUpper.substr(nSlash + 1));
    auto has = [&](const char* psz) { return csRest.find(psz) != std::string::npos; };
    if (csEnum == "PCI")
    {
        if (!has("VEN_") || !has("DEV_"))
            return false;
        return has("SUBSYS_") ? (csRest.size() == 33 || csRest.size() == 40) : csRest.size() == 17;
    }
    if (csEnum == "USB")
        return has("VID_") && (has("PID_") ? csRest.size() == 17 : csRest.size() == 8);
    return csEnum == "HDAUDIO" || csEnum == "SERENUM" || csEnum == "PCMCIA";
}

} // namespace

CInf::~CInf()
{
    CloseINF();
}

void CInf::CloseINF()
{
    if (m_hInf)
    {
        if (KDeviceApi* pApi = GetDeviceApi())
            pApi->KSetupCloseInfFile(m_hInf);
    }
    m_hInf = nullptr;
}

BOOL CInf::Initialize(const char* pszINFFileName)
{
    CTraceScope trace("CInf :: Initialize", "pszINFFileName = %s", pszINFFileName ? pszINFFileName : "");
    m_dwPlatform = GetOSType();
    m_bNT = IsNTPlatform();
    m_hardwareIDs.clear();
    m_bHardwareIDsRead = false;
    m_models.Clear();
    CloseINF();
    m_szINFFileName = pszINFFileName ? pszINFFileName : "";
    size_t nSlash = m_szINFFileName.find_last_of('\\');
    m_szINFPath = nSlash == std::string::npos ? m_szINFFileName : m_szINFFileName.substr(0, nSlash);
    m_szManufacturerTag = NO_MANUFACTURER_TAG;

    KDeviceApi* pApi = GetDeviceApi();
    HINF hInf =
        pApi ? pApi->KSetupOpenInfFile(m_szINFFileName.c_str(), nullptr, INF_STYLE_WIN4, &m_uErrorLine) : nullptr;
    // The platform reports failure as -1, a missing function as 0: both mean no INF.
    if (!hInf || hInf == INVALID_HANDLE_VALUE)
    {
        m_dwOpenError = pApi ? GetLastError() : ERROR_PROC_NOT_FOUND;
        return trace.Return(FALSE);
    }
    m_dwOpenError = ERROR_SUCCESS;
    m_hInf = hInf;

    ForEachLine("Manufacturer",
                [&](INFCONTEXT& context)
                {
                    std::string csModels;
                    if (!ReadField(context, 1, csModels))
                        return false;
                    std::string csDecoration;
                    m_szManufacturerTag =
                        GetBestINFDecoration(&context, csDecoration) ? csModels + "." + csDecoration : csModels;
                    return true;
                });
    TraceLine("m_szManufacturerTag = %s\n", m_szManufacturerTag.c_str());
    ReadModels();
    return trace.Return(TRUE);
}

BOOL CInf::ReadField(INFCONTEXT& context, DWORD dwField, std::string& csValue)
{
    KDeviceApi* pApi = GetDeviceApi();
    char szField[MAX_PATH] = {0};
    if (!pApi || !pApi->KSetupGetStringField(&context, dwField, szField, MAX_PATH, nullptr))
    {
        if (pApi && GetLastError() == ERROR_INSUFFICIENT_BUFFER)
            TraceLine("Field %lu of line %u is longer than %d characters : left out\n",
                      static_cast<unsigned long>(dwField), context.Line, MAX_PATH - 1);
        return FALSE;
    }
    csValue = szField;
    return TRUE;
}

BOOL CInf::FirstLine(const std::string& csSection, INFCONTEXT& context)
{
    KDeviceApi* pApi = GetDeviceApi();
    return m_hInf && pApi && pApi->KSetupFindFirstLine(m_hInf, csSection.c_str(), nullptr, &context);
}

BOOL CInf::SectionExists(const std::string& csSection)
{
    INFCONTEXT context;
    return FirstLine(csSection, context);
}

std::string CInf::DecoratedSection(const std::string& csSection)
{
    std::string csDecorated = csSection;
    if (m_hInf)
        DecorateNTSection(m_hInf, csDecorated);
    return csDecorated;
}

BOOL CInf::ForEachLine(const std::string& csSection, const std::function<bool(INFCONTEXT&)>& fnLine)
{
    KDeviceApi* pApi = GetDeviceApi();
    INFCONTEXT context;
    for (BOOL bLine = FirstLine(csSection, context); bLine; bLine = pApi->KSetupFindNextLine(&context, &context))
    {
        if (fnLine(context))
            return TRUE;
    }
    return FALSE;
}

void CInf::ReadModels()
{
    m_models.Clear();
    ForEachLine(m_szManufacturerTag,
                [&](INFCONTEXT& context)
                {
                    INF_MODEL_LINE line;
                    line.bHasDescription = ReadField(context, 0, line.csDescription) != FALSE;
                    ReadField(context, 1, line.csInstallSection);
                    std::string csID;
                    for (DWORD dwField = 2; ReadField(context, dwField, csID); ++dwField)
                        line.hardwareIDs.push_back(csID);
                    m_models.Add(line);
                    return false;
                });
}

CStringList CInf::DirectiveValues(const std::string& csSection, const char* pszDirective)
{
    CStringList values;
    ForEachLine(csSection,
                [&](INFCONTEXT& context)
                {
                    std::string csKey;
                    if (!ReadField(context, 0, csKey) || !EqualsNoCase(csKey, pszDirective))
                        return false;
                    std::string csValue;
                    for (DWORD dwField = 1; ReadField(context, dwField, csValue); ++dwField)
                        values.push_back(csValue);
                    return false;
                });
    return values;
}

BOOL CInf::HasValidModelHardwareID()
{
    if (m_dwPlatform == OS_WINNT4)
    {
        std::string csIgnored;
        return GetKeyValue("Version", "SetupNtDriverInfFile", csIgnored, 1);
    }
    for (const INF_MODEL_LINE& line : m_models.Lines())
    {
        if (!line.hardwareIDs.empty() && IsSupportedHardwareIDForm(line.hardwareIDs[0]))
            return TRUE;
    }
    return FALSE;
}

BOOL CInf::GetKeyValue(const char* pszSection, const char* pszKey, std::string& csValue, DWORD dwField)
{
    return ForEachLine(pszSection ? pszSection : "",
                       [&](INFCONTEXT& context)
                       {
                           std::string csKey;
                           return ReadField(context, 0, csKey) && EqualsNoCase(csKey, pszKey ? pszKey : "") &&
                                  ReadField(context, dwField, csValue);
                       });
}

BOOL CInf::GetModelLineField(const std::string& csHardwareID, std::string& csField)
{
    const std::vector<size_t>& lines = m_models.LinesWithFirstID(csHardwareID);
    if (lines.empty())
        return FALSE;
    const INF_MODEL_LINE& line = m_models.Lines()[lines.front()];
    if (line.bHasDescription)
        csField = line.csDescription;
    return line.bHasDescription;
}

size_t CInf::GetHardwareIDList(CStringList& list)
{
    if (!m_bHardwareIDsRead)
    {
        m_bHardwareIDsRead = true;
        for (const INF_MODEL_LINE& line : m_models.Lines())
        {
            for (const std::string& csID : line.hardwareIDs)
                AddBounded(m_hardwareIDs, ToUpper(Trim(csID)));
        }
    }
    list = m_hardwareIDs;
    return list.size();
}

BOOL CInf::FindHardwareID(const std::string& csDeviceID, std::string* pcsMatch)
{
    CStringList ids;
    GetHardwareIDList(ids);
    std::string csDevice = ToUpper(csDeviceID);
    for (const std::string& csID : ids)
    {
        size_t nSlash = csID.find('\\');
        std::string csRest = Trim(nSlash == std::string::npos ? csID : csID.substr(nSlash + 1));
        if (csRest.find(csDevice) != std::string::npos || csDevice.find(csRest) != std::string::npos)
        {
            if (pcsMatch)
                *pcsMatch = csID;
            return TRUE;
        }
    }
    return FALSE;
}

BOOL CInf::GetInstallSectionForID(const std::string& csDeviceID, std::string& csSection)
{
    // The last model line with a hardware ID the device ID begins with.
    size_t nLine = 0;
    if (!m_models.LastLineWithPrefixOf(csDeviceID, nLine))
        return FALSE;
    csSection = DecoratedSection(m_models.Lines()[nLine].csInstallSection);
    return TRUE;
}

BOOL CInf::GetNthKeyField(const std::string& csSection, const std::string& csKey, DWORD dwKeyField, DWORD dwValueField,
                          int nOccurrence, std::string& csValue)
{
    int nSeen = 0;
    BOOL bRead = FALSE;
    ForEachLine(csSection,
                [&](INFCONTEXT& context)
                {
                    std::string csField;
                    if (!ReadField(context, dwKeyField, csField) || !EqualsNoCase(csField, csKey) ||
                        nSeen++ != nOccurrence)
                        return false;
                    bRead = ReadField(context, dwValueField, csValue);
                    return true;
                });
    return bRead;
}

BOOL CInf::IncludesKernelStreaming(const std::string& csHardwareID)
{
    const std::vector<size_t>& lines = m_models.LinesWithFirstID(csHardwareID);
    if (lines.empty())
        return FALSE;
    const INF_MODEL_LINE& line = m_models.Lines()[lines.front()];
    for (const std::string& csInclude : DirectiveValues(DecoratedSection(line.csInstallSection), "Include"))
    {
        if (EqualsNoCase(csInclude, "ks.inf") || EqualsNoCase(csInclude, "kscaptur.inf") ||
            EqualsNoCase(csInclude, "ksfilter.inf"))
            return TRUE;
    }
    return FALSE;
}

BOOL CInf::InstallINFSection(const char* pszInstallSection, HKEY hKey)
{
    CTraceScope trace("CInf::InstallINFSection");
    TraceLine("pszInstallSection = %s, hKey = %d\n", pszInstallSection ? pszInstallSection : "",
              static_cast<int>(reinterpret_cast<INT_PTR>(hKey)));
    KDeviceApi* pApi = GetDeviceApi();
    if (!pApi || !m_hInf)
        return trace.Return(FALSE);
    PVOID pContext = pApi->KSetupInitDefaultQueueCallback(nullptr);
    BOOL bRetVal1 = pApi->KSetupInstallFromInfSection(nullptr, m_hInf, pszInstallSection, SPINST_REGISTRY, hKey,
                                                      nullptr, 0, nullptr, nullptr, nullptr, nullptr);
    TraceLine("bRetVal1 = %d\n", bRetVal1);
    BOOL bRetVal2 = FALSE;
    HMODULE hSetupApi = GetModuleHandleA("SETUPAPI.DLL");
    auto pfnCallback = reinterpret_cast<PSP_FILE_CALLBACK_A>(
        reinterpret_cast<void (*)()>(hSetupApi ? GetProcAddress(hSetupApi, "SetupDefaultQueueCallbackA") : nullptr));
    if (pfnCallback)
        bRetVal2 =
            pApi->KSetupInstallFromInfSection(nullptr, m_hInf, pszInstallSection, SPINST_FILES, nullptr, nullptr,
                                              SP_COPY_NEWER | SP_COPY_NOSKIP, pfnCallback, pContext, nullptr, nullptr);
    TraceLine("bRetVal2 = %d\n", bRetVal2);
    if (pContext && hSetupApi)
    {
        auto pfnTerm = reinterpret_cast<void(WINAPI*)(PVOID)>(
            reinterpret_cast<void (*)()>(GetProcAddress(hSetupApi, "SetupTermDefaultQueueCallback")));
        if (pfnTerm)
            pfnTerm(pContext);
    }
    return trace.Return(bRetVal1 || bRetVal2);
}
