// The splash image: the "IMAGE" resource 777 of the custom UI library, else of the program, a picture in
// BMP form (a BITMAPFILEHEADER followed by an uncompressed DIB), drawn stretched into a bitmap of the
// screen's size for the splash window's picture control.
#pragma once

#include <vector>

#include "common/ResourceIds.h"
#include "platform/win32.h"

class CSplashPicture
{
public:
    static constexpr WORD IMAGE_ID = IDR_SPLASH_IMAGE;

    // TRUE when the module carries the image resource.
    static BOOL HasImage(HMODULE hModule);
    // A bitmap of cx x cy, compatible with hdc, showing the image of the first module that has one
    // (hCustomUI may be null); null, with a trace line, when there is no usable picture. The caller deletes it.
    static HBITMAP CreateStretched(HMODULE hCustomUI, HMODULE hProgram, HDC hdc, int cx, int cy);
    // The same from the bytes of a BMP file; every field is checked against dwSize first.
    static HBITMAP CreateFromBmp(const BYTE* pData, DWORD dwSize, HDC hdc, int cx, int cy);

private:
    struct PICTURE
    {
        // BITMAPINFOHEADER and colour table, DWORD-aligned as GDI wants them.
        std::vector<DWORD> header;
        const BYTE* pBits = nullptr;
        int nWidth = 0;
        int nHeight = 0;
    };
    static bool ReadBmp(const BYTE* pData, DWORD dwSize, PICTURE* pPicture);
};
