// Whether a USB device with a given vendor and product id is connected: a walk of the USB tree through the
// host controller drivers ("\\.\HCD0" to "\\.\HCD9") and the hub drivers, nested hubs included. Hubs that
// fail a query or answer short are passed by with a trace line; nothing is read past an answer.
#pragma once

#include <string>

#include "platform/win32.h"

class CUsbDeviceQuery
{
public:
    BOOL IsUSBDeviceConnected(WORD wVendor, WORD wProduct);

    // Counted by the walk; nobody reads them.
    int GetConnectedPorts() const { return m_nConnectedPorts; }
    int GetHubs() const { return m_nHubs; }

private:
    BOOL WalkHub(const std::string& csHubName, WORD wVendor, WORD wProduct, int nDepth);
    // The root hub's name of an open controller; empty on failure.
    static std::string RootHubName(HANDLE hController);
    // The name of the hub on a port; empty on failure or when the port holds none.
    static std::string ConnectionName(HANDLE hHub, ULONG nPort);
    // A UTF-16 name narrowed by keeping every second byte, at most `nBytes` bytes long.
    static std::string Narrow(const BYTE* pName, size_t nBytes);

    int m_nConnectedPorts = 0;
    int m_nHubs = 0;
};
