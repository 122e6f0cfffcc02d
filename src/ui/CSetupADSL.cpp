#include "CSetupADSL.h"

#include <cctype>

#include "common/CTraceScope.h"

namespace
{

std::string Trimmed(const std::string& csText)
{
    const size_t nFirst = csText.find_first_not_of(" \t");
    if (nFirst == std::string::npos)
        return {};
    const size_t nLast = csText.find_last_not_of(" \t");
    return csText.substr(nFirst, nLast - nFirst + 1);
}

bool IsHexText(const std::string& csText)
{
    for (const char ch : csText)
    {
        if (!std::isxdigit(static_cast<unsigned char>(ch)) || std::islower(static_cast<unsigned char>(ch)))
            return false;
    }
    return !csText.empty();
}

} // namespace

BOOL CSetupADSL::DisplayPlugInUSBDeviceDlg(const ADSL_PROMPT& prompt)
{
    CTraceScope trace("CSetupADSL::DisplayPlugInUSBDeviceDlg");
    m_bDeviceGotPluggedIn.store(FALSE);
    m_bPromptShowing.store(TRUE);
    CAdslNoHwDlg dialog(&prompt, &m_bDeviceGotPluggedIn);
    const INT_PTR nResult = dialog.DoModal(nullptr);
    m_bPromptShowing.store(FALSE);
    return trace.Return(nResult == IDOK);
}

WORD CSetupADSL::ConvertHexStringToDecimal(const char* pszNum)
{
    // Its exit line carries the value, not a flag: both lines are written here.
    TraceLine("ENTRY: ConvertHexStringToDecimal : pszNum = %s\n", pszNum ? pszNum : "");
    WORD wTemp = 0;
    if (!pszNum)
    {
        TraceLine("EXIT:  ConvertHexStringToDecimal : wTemp = %X\n", wTemp);
        return wTemp;
    }
    if (!IsHexText(pszNum))
        TraceLine("ERROR: ConvertHexStringToDecimal : %s is not hexadecimal\n", pszNum);
    const size_t nLength = std::char_traits<char>::length(pszNum);
    for (size_t i = 0; i < nLength; ++i)
    {
        const int nCode = static_cast<unsigned char>(pszNum[i]);
        const WORD wDigit = static_cast<WORD>(nCode <= 64 ? nCode - 48 : nCode - 55);
        WORD wPower = 1;
        for (size_t j = i + 1; j < nLength; ++j)
            wPower = static_cast<WORD>(wPower * 16);
        wTemp = static_cast<WORD>(wTemp + wDigit * wPower);
    }
    TraceLine("EXIT:  ConvertHexStringToDecimal : wTemp = %X\n", wTemp);
    return wTemp;
}

BOOL CSetupADSL::IsUSBDeviceConnected(WORD wVendor, WORD wProduct)
{
    return m_usbQuery.IsUSBDeviceConnected(wVendor, wProduct);
}

BOOL CSetupADSL::IsUSBDevicePluggedIn(const std::string& csDeviceID)
{
    CTraceScope trace("CSetupADSL::IsUSBDevicePluggedIn", "csDeviceID = %s", csDeviceID.c_str());
    std::string csId = csDeviceID;
    for (char& ch : csId)
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    std::string csVendor;
    std::string csProduct;
    const size_t nVid = csId.find("VID_");
    const size_t nPid = csId.find("&PID_");
    if (nVid != std::string::npos)
    {
        const size_t nFrom = nVid + 4;
        csVendor =
            Trimmed(nPid != std::string::npos && nPid > nFrom ? csId.substr(nFrom, nPid - nFrom) : csId.substr(nFrom));
    }
    if (nPid != std::string::npos)
        csProduct = Trimmed(csId.substr(nPid + 5, 4));
    if (csVendor.empty() || csProduct.empty())
        return trace.Return(FALSE);
    if (!IsHexText(csVendor) || !IsHexText(csProduct))
    {
        TraceLine("ERROR: CSetupADSL::IsUSBDevicePluggedIn : the vendor %s or product %s is not hexadecimal\n",
                  csVendor.c_str(), csProduct.c_str());
        return trace.Return(FALSE);
    }
    const WORD wVendor = ConvertHexStringToDecimal(csVendor.c_str());
    const WORD wProduct = ConvertHexStringToDecimal(csProduct.c_str());
    // Asked twice: a device that is still arriving may be missed once.
    BOOL bRetVal = IsUSBDeviceConnected(wVendor, wProduct);
    if (!bRetVal)
        bRetVal = IsUSBDeviceConnected(wVendor, wProduct);
    return trace.Return(bRetVal);
}
