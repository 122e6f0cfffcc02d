#include "CSplashPicture.h"

#include <cstring>

#include "common/CTraceScope.h"

namespace
{

const WORD BMP_SIGNATURE = 0x4D42; // "BM"
const LONG MAX_SIDE = 16384;

const BYTE* FindImage(HMODULE hModule, DWORD* pdwSize)
{
    if (!hModule)
        return nullptr;
    HRSRC hInfo = FindResourceA(hModule, MAKEINTRESOURCEA(CSplashPicture::IMAGE_ID), "IMAGE");
    if (!hInfo)
        return nullptr;
    HGLOBAL hData = LoadResource(hModule, hInfo);
    const BYTE* pData = hData ? static_cast<const BYTE*>(LockResource(hData)) : nullptr;
    *pdwSize = SizeofResource(hModule, hInfo);
    return *pdwSize ? pData : nullptr;
}

bool IsKnownDepth(WORD wBits)
{
    return wBits == 1 || wBits == 4 || wBits == 8 || wBits == 16 || wBits == 24 || wBits == 32;
}

} // namespace

BOOL CSplashPicture::HasImage(HMODULE hModule)
{
    return hModule && FindResourceA(hModule, MAKEINTRESOURCEA(IMAGE_ID), "IMAGE") != nullptr;
}

HBITMAP CSplashPicture::CreateStretched(HMODULE hCustomUI, HMODULE hProgram, HDC hdc, int cx, int cy)
{
    DWORD dwSize = 0;
    const BYTE* pData = FindImage(hCustomUI, &dwSize);
    if (!pData)
        pData = FindImage(hProgram, &dwSize);
    if (!pData)
    {
        TraceLine("ERROR: CSplashPicture : no IMAGE resource %u, GetLastError = %lu\n", IMAGE_ID,
                  static_cast<unsigned long>(GetLastError()));
        return nullptr;
    }
    return CreateFromBmp(pData, dwSize, hdc, cx, cy);
}

bool CSplashPicture::ReadBmp(const BYTE* pData, DWORD dwSize, PICTURE* pPicture)
{
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    if (!pData || dwSize < sizeof(file) + sizeof(info))
        return false;
    // Copied out: in the file the header sits at an odd offset.
    std::memcpy(&file, pData, sizeof(file));
    std::memcpy(&info, pData + sizeof(file), sizeof(info));
    if (file.bfType != BMP_SIGNATURE || info.biSize < sizeof(info) || info.biSize > dwSize - sizeof(file) ||
        info.biPlanes != 1 || info.biCompression != BI_RGB || !IsKnownDepth(info.biBitCount) || info.biWidth <= 0 ||
        info.biWidth > MAX_SIDE || info.biHeight == 0 || info.biHeight > MAX_SIDE || info.biHeight < -MAX_SIDE)
        return false;

    const DWORD dwMaxColours = info.biBitCount <= 8 ? (1u << info.biBitCount) : 0;
    const DWORD dwColours = info.biClrUsed && info.biClrUsed < dwMaxColours ? info.biClrUsed : dwMaxColours;
    const unsigned long long ullTable = sizeof(file) + static_cast<unsigned long long>(info.biSize);
    const unsigned long long ullRows =
        static_cast<unsigned long long>(info.biHeight < 0 ? -info.biHeight : info.biHeight);
    const unsigned long long ullStride =
        (static_cast<unsigned long long>(info.biWidth) * info.biBitCount + 31) / 32 * 4;
    if (ullTable + dwColours * 4ull > file.bfOffBits || file.bfOffBits + ullStride * ullRows > dwSize)
        return false;

    pPicture->header.assign(sizeof(info) / sizeof(DWORD) + dwColours + 1, 0);
    info.biSize = sizeof(info);
    info.biClrUsed = dwColours;
    std::memcpy(pPicture->header.data(), &info, sizeof(info));
    std::memcpy(pPicture->header.data() + sizeof(info) / sizeof(DWORD), pData + ullTable, dwColours * 4);
    pPicture->pBits = pData + file.bfOffBits;
    pPicture->nWidth = static_cast<int>(info.biWidth);
    pPicture->nHeight = static_cast<int>(ullRows);
    return true;
}

HBITMAP CSplashPicture::CreateFromBmp(const BYTE* pData, DWORD dwSize, HDC hdc, int cx, int cy)
{
    PICTURE picture;
    if (!ReadBmp(pData, dwSize, &picture))
    {
        TraceLine("ERROR: CSplashPicture : IMAGE %u is no picture this program draws (%lu bytes)\n", IMAGE_ID,
                  static_cast<unsigned long>(dwSize));
        return nullptr;
    }
    HDC hMemory = CreateCompatibleDC(hdc);
    HBITMAP hBitmap = hMemory ? CreateCompatibleBitmap(hdc, cx, cy) : nullptr;
    bool bDrawn = false;
    if (hBitmap)
    {
        HGDIOBJ hOld = SelectObject(hMemory, hBitmap);
        SetStretchBltMode(hMemory, COLORONCOLOR);
        bDrawn = StretchDIBits(hMemory, 0, 0, cx, cy, 0, 0, picture.nWidth, picture.nHeight, picture.pBits,
                               reinterpret_cast<const BITMAPINFO*>(picture.header.data()), DIB_RGB_COLORS, SRCCOPY) > 0;
        if (hOld)
            SelectObject(hMemory, hOld);
    }
    if (!bDrawn)
    {
        TraceLine("FAILED: CSplashPicture : the picture could not be drawn, GetLastError = %lu\n",
                  static_cast<unsigned long>(GetLastError()));
        if (hBitmap)
            DeleteObject(hBitmap);
        hBitmap = nullptr;
    }
    if (hMemory)
        DeleteDC(hMemory);
    return hBitmap;
}
