#include "SystemMessage.h"

void ShowSystemMessage(const std::string& csCaption, DWORD dwCode)
{
    LPSTR pszText = nullptr;
    DWORD dwLen = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, dwCode,
        MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPSTR>(&pszText), 0, nullptr);
    MessageBoxA(nullptr, dwLen && pszText ? pszText : "", csCaption.c_str(), MB_OK);
    if (pszText)
        LocalFree(pszText);
}
