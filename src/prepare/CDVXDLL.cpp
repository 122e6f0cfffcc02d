#include "CDVXDLL.h"

#include "common/CTraceScope.h"
#include "common/PlatformInfo.h"
#include "platform/StringUtil.h"

namespace
{

typedef int(WINAPI* PFN_IS_DEVICE_PLUGGED_IN)(const char*, BOOL);
typedef int(WINAPI* PFN_IS_PCI_CLASS_DEVICE_PLUGGED_IN)(DWORD);
typedef int(WINAPI* PFN_IS_NVLS_AC_LINK_DEVICE)(const char*);

template <typename T>
T As(FARPROC pfn)
{
    return reinterpret_cast<T>(reinterpret_cast<void (*)()>(pfn));
}

} // namespace

CDVXDLL::~CDVXDLL()
{
    FreeDVXDLL();
}

void CDVXDLL::FreeDVXDLL()
{
    if (!m_hDVXDLL)
        return;
    m_hDVXDLL.Reset();
    TraceLine("DVXDLL library freed\n");
}

BOOL CDVXDLL::LoadDVXDLL(const char* pszFolder)
{
    if (m_hDVXDLL)
        return TRUE;
    std::string csFolder = pszFolder ? pszFolder : "";
    if (csFolder.empty())
        GetExeFolder(csFolder, FALSE);
    else if (csFolder.back() != '\\')
        csFolder += '\\';
    const std::string csDVXDLL = csFolder + (IsNative64Bit() ? "DVXDLL64.DLL" : "DVXDLL.DLL");
    m_hDVXDLL.Reset(LoadLibraryA(csDVXDLL.c_str()));
    TraceLine("szDVXDLL = %s, m_hDVXDLL = %d\n", csDVXDLL.c_str(),
              static_cast<int>(reinterpret_cast<INT_PTR>(m_hDVXDLL.Get())));
    return m_hDVXDLL.IsValid();
}

FARPROC CDVXDLL::Export(const char* pszName)
{
    return m_hDVXDLL ? GetProcAddress(m_hDVXDLL.Get(), pszName) : nullptr;
}

BOOL CDVXDLL::TestIfHardwareExists(const char* pszDeviceID, BOOL bReadPhysicalHW, BOOL bSetTRUEIfNoDVXDLL,
                                   const CStringList* pAllIDs, const char* pszFolder)
{
    CTraceScope trace("CDVXDLL::TestIfHardwareExists", "pszDeviceID = %s, bReadPhysicalHW = %d",
                      pszDeviceID ? pszDeviceID : "", bReadPhysicalHW);
    if (!LoadDVXDLL(pszFolder))
    {
        TraceLine("FAILED : Could not load DVX DLL\n");
        return trace.Return(bSetTRUEIfNoDVXDLL);
    }
    auto pfnPlugged = As<PFN_IS_DEVICE_PLUGGED_IN>(Export("IsDevicePluggedIn"));
    const std::string csDevice = pszDeviceID ? pszDeviceID : "";
    if (!pfnPlugged || pfnPlugged(csDevice.c_str(), bReadPhysicalHW) != 1)
        return trace.Return(FALSE);
    if (!pAllIDs || ToUpper(csDevice).find("&SUBSYS") != std::string::npos)
        return trace.Return(TRUE);
    // A generic ID gives way to a more specific ID of the package whose hardware is present.
    for (const std::string& csOther : *pAllIDs)
    {
        if (!EqualsNoCase(csOther, csDevice) && csOther.find(csDevice) != std::string::npos &&
            pfnPlugged(csOther.c_str(), bReadPhysicalHW))
        {
            TraceLine("%s yields to %s\n", csDevice.c_str(), csOther.c_str());
            return trace.Return(FALSE);
        }
    }
    return trace.Return(TRUE);
}

int CDVXDLL::IsPCIClassDevicePluggedIn(DWORD dwClass, const char* pszFolder)
{
    if (!LoadDVXDLL(pszFolder))
        return 0;
    auto pfn = As<PFN_IS_PCI_CLASS_DEVICE_PLUGGED_IN>(Export("IsPCIClassDevicePluggedIn"));
    return pfn ? pfn(dwClass) : 0;
}

int CDVXDLL::IsNvlsACLinkDevice(const char* pszDeviceID, const char* pszFolder)
{
    if (!LoadDVXDLL(pszFolder))
        return 0;
    auto pfn = As<PFN_IS_NVLS_AC_LINK_DEVICE>(Export("IsNvlsACLinkDevice"));
    return pfn ? pfn(pszDeviceID ? pszDeviceID : "") : 0;
}
