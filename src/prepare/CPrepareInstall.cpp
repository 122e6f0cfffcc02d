// Install preparation: the device list from the package's INFs and the devices present.
#include <vector>

#include "CPrepareInstall.h"

#include "common/CTraceScope.h"
#include "common/PlatformInfo.h"
#include "devapi/CScopedDevInfo.h"
#include "device/CDevNode.h"
#include "inf/CInf.h"
#include "platform/StringUtil.h"
#include "prepare/CSetupFilesInfo.h"
#include "prepare/FileSearch.h"

CPrepareInstall::CPrepareInstall() : m_nOSType(GetOSType()) {}

CPrepareInstall::~CPrepareInstall()
{
    RestoreOriginalParms();
    FreeDVXDLL();
}

void CPrepareInstall::CollectInstallDeviceInfo(const CStringList& installPaths, SETUP_PARMS* pSetupParms,
                                               CDeviceDataList& out)
{
    CTraceScope trace("CPrepareInstall::CollectInstallDeviceInfo");
    ReadPresentHardwareIDs();
    CDeviceDataList infDevices;
    for (const std::string& csPath : installPaths)
    {
        const std::string csPattern = csPath + "*.INF";
        TraceLine("Install Paths = %s\n", csPattern.c_str());
        const CStringList files = FindFiles(csPattern);
        for (const std::string& csFile : files)
        {
            CInf inf;
            std::string csClass;
            if (!inf.Initialize(csFile.c_str()))
            {
                TraceLine("FAILED : Cannot open %s : error %lu, line %u\n", csFile.c_str(),
                          static_cast<unsigned long>(inf.GetOpenError()), inf.GetErrorLine());
                continue;
            }
            inf.GetKeyValue("Version", "Class", csClass, 1);
            if (!EqualsNoCase(csClass, "SYSTEM") && !inf.HasValidModelHardwareID())
            {
                TraceLine("Skipped %s : no model with a hardware ID setup handles\n", csFile.c_str());
                continue;
            }
            if (m_nOSType == OS_WINNT4)
            {
                // On NT 4 the INF found names the others of its folder.
                for (const std::string& csOther : files)
                {
                    if (!EqualsNoCase(csOther, csFile))
                        GetDeviceDataInfo(csOther, infDevices);
                }
                break;
            }
            GetDeviceDataInfo(csFile, infDevices);
        }
    }

    CSetupFilesInfo setupFiles;
    setupFiles.GetINFAssociatedFiles(infDevices);

    m_bPresentIDsRead = false;
    m_presentIDs.clear();
    if (CheckDeviceInstallStatus(pSetupParms, FALSE, infDevices, out) == 0)
        CheckDeviceInstallStatus(pSetupParms, TRUE, infDevices, out);
    if (!out.IsEmpty() || !pSetupParms)
        return;
    DWORD& dwConfig = pSetupParms->dwSetupConfig;
    if ((dwConfig & SETUP_CFG_PRE) && !(dwConfig & SETUP_CFG_NO_HARDWARE))
    {
        TraceLine("Setting for No Enumeration Case\n");
        dwConfig |= SETUP_CFG_NO_HARDWARE;
    }
    if (dwConfig & SETUP_CFG_NO_HARDWARE)
    {
        for (const DEVICE_DATA& data : infDevices)
        {
            out.AddTail(data);
            TraceLine("Install this device = %s\n", data.csBusTypeAndDeviceID.c_str());
        }
    }
}

size_t CPrepareInstall::GetDeviceDataInfo(const std::string& csTestFile, CDeviceDataList& list)
{
    CTraceScope trace("CPrepareInstall::GetDeviceDataInfo", "csTestFile = %s", csTestFile.c_str());
    CInf inf;
    std::string csClass;
    inf.Initialize(csTestFile.c_str());
    inf.GetKeyValue("Version", "Class", csClass, 1);
    CStringList ids;
    inf.GetHardwareIDList(ids);
    const size_t nSlash = csTestFile.find_last_of('\\');
    for (const std::string& csID : ids)
    {
        DEVICE_DATA data;
        inf.GetModelLineField(csID, data.csDeviceDesc);
        SplitHardwareID(csID, csClass, data);
        data.csEnumFileName = csTestFile;
        data.csClassType = csClass;
        data.csInstallPath = nSlash == std::string::npos ? std::string() : csTestFile.substr(0, nSlash);
        data.SetupStatus = TestIfParentInstalled(data.csDeviceID) ? DEVICE_UPGRADE_PENDING : DEVICE_INSTALL_PENDING;
        for (const DEVICE_DATA& earlier : list)
        {
            // Kept as found; the install decides between the INFs.
            if (EqualsNoCase(earlier.csBusTypeAndDeviceID, data.csBusTypeAndDeviceID))
            {
                TraceLine("%s is also named by %s\n", data.csBusTypeAndDeviceID.c_str(),
                          earlier.csEnumFileName.c_str());
                break;
            }
        }
        list.AddTail(data);
    }
    return list.GetCount();
}

BOOL CPrepareInstall::TestIfParentInstalled(const std::string& csDeviceID)
{
    CTraceScope trace("CPrepareInstall::TestIfParentInstalled", "csDeviceID = %s", csDeviceID.c_str());
    if (!MayBePresent(csDeviceID))
        return trace.Return(FALSE);
    CDevNode node(csDeviceID.c_str(), TRUE);
    char szText[MAX_PATH] = {0};
    DWORD dwSize = MAX_PATH;
    if (!node.GetDeviceRegistryProperty(SPDRP_DEVICEDESC, reinterpret_cast<BYTE*>(szText), &dwSize))
        return trace.Return(FALSE);
    if (IsNTPlatform())
    {
        DWORD dwFlags = 0;
        dwSize = sizeof(dwFlags);
        if (!node.GetDeviceRegistryProperty(SPDRP_CONFIGFLAGS, reinterpret_cast<BYTE*>(&dwFlags), &dwSize))
            return trace.Return(FALSE);
    }
    dwSize = MAX_PATH;
    if (!node.GetDeviceRegistryProperty(SPDRP_DRIVER, reinterpret_cast<BYTE*>(szText), &dwSize))
        return trace.Return(FALSE);
    szText[0] = '\0';
    dwSize = MAX_PATH - 1;
    if (!node.GetDeviceRegistryProperty(SPDRP_CLASS, reinterpret_cast<BYTE*>(szText), &dwSize))
        return trace.Return(FALSE);
    return trace.Return(!EqualsNoCase(szText, "UNKNOWN"));
}

void CPrepareInstall::ReadPresentHardwareIDs()
{
    m_presentIDs.clear();
    m_bPresentIDsRead = false;
    KDeviceApi* pApi = GetDeviceApi();
    CScopedDevInfo set(pApi ? pApi->KSetupDiGetClassDevs(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES)
                            : nullptr);
    if (!set)
        return;
    SP_DEVINFO_DATA device = {};
    device.cbSize = sizeof(device);
    for (DWORD dwIndex = 0; pApi->KSetupDiEnumDeviceInfo(set.Get(), dwIndex, &device); ++dwIndex)
    {
        DWORD dwSize = 0;
        pApi->KSetupDiGetDeviceRegistryProperty(set.Get(), &device, SPDRP_HARDWAREID, nullptr, nullptr, 0, &dwSize);
        std::vector<char> buffer(dwSize + 2, '\0');
        if (dwSize && pApi->KSetupDiGetDeviceRegistryProperty(set.Get(), &device, SPDRP_HARDWAREID, nullptr,
                                                              reinterpret_cast<BYTE*>(buffer.data()), dwSize, nullptr))
            // A multi-string on NT, comma-separated on Windows 9x: either way every ID is in the text.
            m_presentIDs.push_back(ToUpper(std::string(buffer.data(), dwSize)));
    }
    m_bPresentIDsRead = true;
}

bool CPrepareInstall::MayBePresent(const std::string& csDeviceID) const
{
    if (!m_bPresentIDsRead)
        return true;
    const std::string csUpper = ToUpper(csDeviceID);
    for (const std::string& csIDs : m_presentIDs)
    {
        if (csIDs.find(csUpper) != std::string::npos)
            return true;
    }
    return false;
}

size_t CPrepareInstall::CheckDeviceInstallStatus(const SETUP_PARMS* pSetupParms, BOOL bReadPhysicalHW,
                                                 const CDeviceDataList& infDevices, CDeviceDataList& out)
{
    CTraceScope trace("CPrepareInstall::CheckDeviceInstallStatus", "bReadPhysicalHW = %d", bReadPhysicalHW);
    CStringList ids;
    for (const DEVICE_DATA& data : infDevices)
    {
        bool bHeld = false;
        for (const std::string& csID : ids)
            bHeld = bHeld || csID == data.csDeviceID;
        if (!bHeld)
            ids.push_back(data.csDeviceID);
    }
    std::string csFolder;
    GetExeFolder(csFolder, FALSE);
    const std::string csRlm = pSetupParms ? pSetupParms->csRlmInstallPathAC97 : std::string();
    const std::string csRlp = pSetupParms ? pSetupParms->csRlpInstallPathAC97 : std::string();
    for (const DEVICE_DATA& data : infDevices)
    {
        if (!TestIfHardwareExist(data.csDeviceID.c_str(), bReadPhysicalHW, TRUE, &ids, csFolder.c_str()))
            continue;
        if (!csRlm.empty() || !csRlp.empty())
        {
            // Two AC'97 modem families: each installs only from its own package folder.
            const int nFamily = IsNvlsACLinkDevice(data.csDeviceID.c_str());
            const std::string csPath = data.csInstallPath + "\\";
            if ((nFamily == 1 && !csRlp.empty() && csPath.find(csRlp) != std::string::npos) ||
                (nFamily == 2 && !csRlm.empty() && csPath.find(csRlm) != std::string::npos))
            {
                TraceLine("AC'97 family %d : not from %s\n", nFamily, csPath.c_str());
                continue;
            }
        }
        out.AddTail(data);
        TraceLine("Install this device = %s\n", data.csBusTypeAndDeviceID.c_str());
    }
    if (out.IsEmpty())
        m_csDeviceClass =
            infDevices.IsEmpty() ? std::string() : infDevices.GetAt(infDevices.GetCount() - 1).csClassType;
    return out.GetCount();
}

BOOL CPrepareInstall::TestIfHardwareExist(const char* pszDeviceID, BOOL bReadPhysicalHW, BOOL bSetTRUEIfNoDVXDLL,
                                          const CStringList* pAllIDs, const char* pszFolder)
{
    return TestIfHardwareExists(pszDeviceID, bReadPhysicalHW, bSetTRUEIfNoDVXDLL, pAllIDs, pszFolder);
}

void CPrepareInstall::GetCopyFileListFromINF(const CDeviceDataList& list, CCopyFilesList& out)
{
    CSetupFilesInfo setupFiles;
    setupFiles.GetCopyFileListFromINF(list, out);
}
