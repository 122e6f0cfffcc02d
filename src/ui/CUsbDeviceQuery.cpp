#include "CUsbDeviceQuery.h"

#include <cstddef>
#include <cstdio>
#include <vector>

#include "common/CTraceScope.h"
#include "platform/CScopedHandle.h"

namespace
{

constexpr int CONTROLLERS = 10;
// USB allows five hubs between the root and a device.
constexpr int MAX_DEPTH = 6;
constexpr DWORD NODE_INFORMATION_SIZE = 76;
constexpr DWORD CONNECTION_INFORMATION_SIZE = 365;
// Names longer than this are not hub names.
constexpr ULONG MAX_NAME_BYTES = 2048;

// Opens a device path for the walk; INVALID_HANDLE_VALUE when it cannot be opened.
HANDLE OpenDevice(const std::string& csPath)
{
    return CreateFileA(csPath.c_str(), GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
}

} // namespace

std::string CUsbDeviceQuery::Narrow(const BYTE* pName, size_t nBytes)
{
    std::string csName;
    for (size_t i = 0; i + 1 < nBytes && pName[i] != 0; i += 2)
        csName += static_cast<char>(pName[i]);
    return csName;
}

std::string CUsbDeviceQuery::RootHubName(HANDLE hController)
{
    USB_ROOT_HUB_NAME size{};
    DWORD nReturned = 0;
    if (!DeviceIoControl(hController, IOCTL_USB_GET_ROOT_HUB_NAME, nullptr, 0, &size, sizeof(size), &nReturned,
                         nullptr) ||
        nReturned < sizeof(ULONG))
    {
        TraceLine("ERROR: IOCTL_USB_GET_ROOT_HUB_NAME (size) failed, GetLastError = %lu, returned %lu\n",
                  static_cast<unsigned long>(GetLastError()), static_cast<unsigned long>(nReturned));
        return {};
    }
    if (size.ActualLength < sizeof(USB_ROOT_HUB_NAME) || size.ActualLength > MAX_NAME_BYTES)
    {
        TraceLine("ERROR: IOCTL_USB_GET_ROOT_HUB_NAME : ActualLength = %lu\n",
                  static_cast<unsigned long>(size.ActualLength));
        return {};
    }
    std::vector<BYTE> buffer(size.ActualLength, 0);
    if (!DeviceIoControl(hController, IOCTL_USB_GET_ROOT_HUB_NAME, nullptr, 0, buffer.data(),
                         static_cast<DWORD>(buffer.size()), &nReturned, nullptr))
    {
        TraceLine("ERROR: IOCTL_USB_GET_ROOT_HUB_NAME failed, GetLastError = %lu\n",
                  static_cast<unsigned long>(GetLastError()));
        return {};
    }
    const size_t nName = offsetof(USB_ROOT_HUB_NAME, RootHubName);
    const size_t nEnd = nReturned < buffer.size() ? nReturned : buffer.size();
    return nEnd > nName ? Narrow(buffer.data() + nName, nEnd - nName) : std::string();
}

std::string CUsbDeviceQuery::ConnectionName(HANDLE hHub, ULONG nPort)
{
    USB_NODE_CONNECTION_NAME size{};
    size.ConnectionIndex = nPort;
    DWORD nReturned = 0;
    if (!DeviceIoControl(hHub, IOCTL_USB_GET_NODE_CONNECTION_NAME, &size, sizeof(size), &size, sizeof(size), &nReturned,
                         nullptr) ||
        nReturned < offsetof(USB_NODE_CONNECTION_NAME, NodeName))
    {
        TraceLine("ERROR: IOCTL_USB_GET_NODE_CONNECTION_NAME (size) failed on port %lu, GetLastError = %lu\n",
                  static_cast<unsigned long>(nPort), static_cast<unsigned long>(GetLastError()));
        return {};
    }
    if (size.ActualLength < sizeof(USB_NODE_CONNECTION_NAME) || size.ActualLength > MAX_NAME_BYTES)
    {
        TraceLine("ERROR: IOCTL_USB_GET_NODE_CONNECTION_NAME : ActualLength = %lu\n",
                  static_cast<unsigned long>(size.ActualLength));
        return {};
    }
    std::vector<BYTE> buffer(size.ActualLength, 0);
    auto* pName = reinterpret_cast<USB_NODE_CONNECTION_NAME*>(buffer.data());
    pName->ConnectionIndex = nPort;
    if (!DeviceIoControl(hHub, IOCTL_USB_GET_NODE_CONNECTION_NAME, buffer.data(), static_cast<DWORD>(buffer.size()),
                         buffer.data(), static_cast<DWORD>(buffer.size()), &nReturned, nullptr))
    {
        TraceLine("ERROR: IOCTL_USB_GET_NODE_CONNECTION_NAME failed on port %lu, GetLastError = %lu\n",
                  static_cast<unsigned long>(nPort), static_cast<unsigned long>(GetLastError()));
        return {};
    }
    const size_t nOffset = offsetof(USB_NODE_CONNECTION_NAME, NodeName);
    const size_t nEnd = nReturned < buffer.size() ? nReturned : buffer.size();
    return nEnd > nOffset ? Narrow(buffer.data() + nOffset, nEnd - nOffset) : std::string();
}

BOOL CUsbDeviceQuery::WalkHub(const std::string& csHubName, WORD wVendor, WORD wProduct, int nDepth)
{
    if (csHubName.empty() || nDepth > MAX_DEPTH)
        return FALSE;
    CScopedKernelHandle hub(OpenDevice("\\\\.\\" + csHubName));
    if (!hub)
    {
        TraceLine("ERROR: the hub %s cannot be opened, GetLastError = %lu\n", csHubName.c_str(),
                  static_cast<unsigned long>(GetLastError()));
        return FALSE;
    }
    ++m_nHubs;
    BOOL bFound = FALSE;
    BYTE nodeBuffer[NODE_INFORMATION_SIZE] = {};
    DWORD nReturned = 0;
    if (!DeviceIoControl(hub.Get(), IOCTL_USB_GET_NODE_INFORMATION, nodeBuffer, sizeof(nodeBuffer), nodeBuffer,
                         sizeof(nodeBuffer), &nReturned, nullptr) ||
        nReturned < offsetof(USB_NODE_INFORMATION, u) + offsetof(USB_HUB_DESCRIPTOR, bNumberOfPorts) + 1)
    {
        TraceLine("ERROR: IOCTL_USB_GET_NODE_INFORMATION failed on %s, GetLastError = %lu, returned %lu\n",
                  csHubName.c_str(), static_cast<unsigned long>(GetLastError()), static_cast<unsigned long>(nReturned));
        return FALSE;
    }
    const auto* pNode = reinterpret_cast<const USB_NODE_INFORMATION*>(nodeBuffer);
    const ULONG nPorts = pNode->u.HubInformation.HubDescriptor.bNumberOfPorts;
    for (ULONG nPort = 1; nPort <= nPorts && !bFound; ++nPort)
    {
        BYTE connectionBuffer[CONNECTION_INFORMATION_SIZE] = {};
        auto* pConnection = reinterpret_cast<USB_NODE_CONNECTION_INFORMATION*>(connectionBuffer);
        pConnection->ConnectionIndex = nPort;
        if (!DeviceIoControl(hub.Get(), IOCTL_USB_GET_NODE_CONNECTION_INFORMATION, connectionBuffer,
                             sizeof(connectionBuffer), connectionBuffer, sizeof(connectionBuffer), &nReturned,
                             nullptr) ||
            nReturned < offsetof(USB_NODE_CONNECTION_INFORMATION, PipeList))
        {
            // A port whose query fails is passed by.
            TraceLine("ERROR: IOCTL_USB_GET_NODE_CONNECTION_INFORMATION failed on %s port %lu, GetLastError = %lu\n",
                      csHubName.c_str(), static_cast<unsigned long>(nPort), static_cast<unsigned long>(GetLastError()));
            continue;
        }
        if (pConnection->ConnectionStatus != DeviceConnected)
            continue;
        ++m_nConnectedPorts;
        if (pConnection->DeviceIsHub)
            bFound = WalkHub(ConnectionName(hub.Get(), nPort), wVendor, wProduct, nDepth + 1);
        else if (pConnection->DeviceDescriptor.idVendor == wVendor &&
                 pConnection->DeviceDescriptor.idProduct == wProduct)
            bFound = TRUE;
    }
    return bFound;
}

BOOL CUsbDeviceQuery::IsUSBDeviceConnected(WORD wVendor, WORD wProduct)
{
    m_nConnectedPorts = 0;
    m_nHubs = 0;
    BOOL bFound = FALSE;
    for (int nController = 0; nController < CONTROLLERS && !bFound; ++nController)
    {
        char szPath[32];
        std::snprintf(szPath, sizeof(szPath), "\\\\.\\HCD%d", nController);
        CScopedKernelHandle controller(OpenDevice(szPath));
        if (!controller)
            continue;
        bFound = WalkHub(RootHubName(controller.Get()), wVendor, wProduct, 1);
    }
    return bFound;
}
