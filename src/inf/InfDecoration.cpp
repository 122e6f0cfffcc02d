#include "InfDecoration.h"

#include "common/PlatformInfo.h"
#include "devapi/KDeviceApi.h"
#include "platform/StringUtil.h"

BOOL GetBestINFDecoration(INFCONTEXT* pContext, std::string& csDecoration)
{
    std::string csPlatform;
    KDeviceApi* pApi = GetDeviceApi();
    if (!pContext || !pApi || !GetPlatformDecoration(csPlatform))
        return FALSE;
    std::string csBest;
    for (DWORD dwField = 2;; ++dwField)
    {
        char szField[MAX_PATH] = {0};
        if (!pApi->KSetupGetStringField(pContext, dwField, szField, MAX_PATH, nullptr))
            break;
        std::string csField = szField;
        if (!csField.empty() && csField.size() > csBest.size() &&
            csPlatform.find(ToUpper(csField)) != std::string::npos)
            csBest = csField;
    }
    if (csBest.empty())
        return FALSE;
    csDecoration = csBest;
    return TRUE;
}

void DecorateNTSection(HINF hInf, std::string& csSection)
{
    KDeviceApi* pApi = GetDeviceApi();
    if (!pApi || !IsNTPlatform())
        return;
    INFCONTEXT context;
    std::string csDecorated = csSection + ".NT";
    if (pApi->KSetupFindFirstLine(hInf, csDecorated.c_str(), nullptr, &context))
        csSection = csDecorated;
}
