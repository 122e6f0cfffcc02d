// The USB plug-in prompt and check of the install and uninstall orchestrations (their base): shows the
// prompt while the worker waits for a USB device, and tells from the USB tree whether a device with the
// vendor and product of a hardware ID is connected. The flags are shared with the progress counter thread
// as atomics.
#pragma once

#include <atomic>
#include <string>

#include "CAdslNoHwDlg.h"
#include "CUsbDeviceQuery.h"
#include "platform/win32.h"

class CSetupADSL
{
public:
    CSetupADSL() = default;
    virtual ~CSetupADSL() = default;
    CSetupADSL(const CSetupADSL&) = delete;
    CSetupADSL& operator=(const CSetupADSL&) = delete;

    // Shows the prompt modally; TRUE only when it closed because the device was plugged in.
    BOOL DisplayPlugInUSBDeviceDlg(const ADSL_PROMPT& prompt);
    BOOL IsPromptShowing() const { return m_bPromptShowing.load(); }
    // From another thread: the device has been found; the prompt closes at its next tick.
    void SetDeviceGotPluggedIn() { m_bDeviceGotPluggedIn.store(TRUE); }

    BOOL IsUSBDevicePluggedIn(const std::string& csDeviceID);
    // The 16-bit value of a hexadecimal text (digits and upper-case A-F).
    static WORD ConvertHexStringToDecimal(const char* pszNum);
    BOOL IsUSBDeviceConnected(WORD wVendor, WORD wProduct);

private:
    CUsbDeviceQuery m_usbQuery;
    std::atomic<BOOL> m_bPromptShowing{FALSE};
    std::atomic<BOOL> m_bDeviceGotPluggedIn{FALSE};
};
