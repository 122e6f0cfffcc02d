// Device-independent bitmaps drawn with StretchDIBits (orientation, colour tables, stretching, mirroring,
// refused formats), and a picture control showing a program's bitmap as the platform's static control does,
// and its parent's background coming back when it is hidden.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "TestMachine.h"
#include "windows.h"
#include "winsim/winsim.h"

namespace
{

// A BITMAPINFO with room for a colour table, aligned as GDI wants it.
struct DibHeader
{
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];
};

DibHeader MakeHeader(LONG width, LONG height, WORD bits)
{
    DibHeader dib;
    std::memset(&dib, 0, sizeof(dib));
    dib.header.biSize = sizeof(BITMAPINFOHEADER);
    dib.header.biWidth = width;
    dib.header.biHeight = height;
    dib.header.biPlanes = 1;
    dib.header.biBitCount = bits;
    dib.header.biCompression = BI_RGB;
    return dib;
}

const BITMAPINFO* Info(const DibHeader& dib)
{
    return reinterpret_cast<const BITMAPINFO*>(&dib);
}

class DibDrawingTest : public TestMachine
{
protected:
    void SetUp() override
    {
        TestMachine::SetUp();
        m_dc = CreateCompatibleDC(nullptr);
        ASSERT_NE(nullptr, m_dc);
    }
    void TearDown() override
    {
        if (m_bitmap)
            DeleteObject(m_bitmap);
        DeleteDC(m_dc);
        TestMachine::TearDown();
    }

    // A bitmap of the size, selected into m_dc. Made compatible with a window's context: one compatible
    // with a memory context would be monochrome on the platform.
    void Target(int cx, int cy)
    {
        HWND window = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        HDC screen = GetDC(window);
        m_bitmap = CreateCompatibleBitmap(screen, cx, cy);
        ReleaseDC(window, screen);
        DestroyWindow(window);
        ASSERT_NE(nullptr, m_bitmap);
        SelectObject(m_dc, m_bitmap);
    }

    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
};

TEST_F(DibDrawingTest, BottomUpRowsAreStretchedTheRightWayUp)
{
    Target(4, 4);
    // 2 x 2, 24 bits, bottom row first: blue, green; then the top row: red, white. Rows pad to 8 bytes.
    const unsigned char bits[16] = {255, 0, 0, 0, 255, 0, 0, 0, 0, 0, 255, 255, 255, 255, 0, 0};
    DibHeader dib = MakeHeader(2, 2, 24);
    EXPECT_EQ(2, StretchDIBits(m_dc, 0, 0, 4, 4, 0, 0, 2, 2, bits, Info(dib), DIB_RGB_COLORS, SRCCOPY));
    EXPECT_EQ(RGB(255, 0, 0), GetPixel(m_dc, 0, 0));
    EXPECT_EQ(RGB(255, 0, 0), GetPixel(m_dc, 1, 1));
    EXPECT_EQ(RGB(255, 255, 255), GetPixel(m_dc, 3, 0));
    EXPECT_EQ(RGB(0, 0, 255), GetPixel(m_dc, 0, 3));
    EXPECT_EQ(RGB(0, 255, 0), GetPixel(m_dc, 2, 2));

    // A negative destination width mirrors: the right column of the picture lands on the left.
    EXPECT_EQ(2, StretchDIBits(m_dc, 2, 0, -2, 2, 0, 0, 2, 2, bits, Info(dib), DIB_RGB_COLORS, SRCCOPY));
    EXPECT_EQ(RGB(255, 255, 255), GetPixel(m_dc, 0, 0));
    EXPECT_EQ(RGB(255, 0, 0), GetPixel(m_dc, 1, 0));
}

TEST_F(DibDrawingTest, ColourTablesServeEightFourAndOneBitPictures)
{
    Target(8, 3);
    // One row per depth: an 8-bit top-down one (negative height), then a 4-bit and a 1-bit one.
    DibHeader eight = MakeHeader(3, -1, 8);
    eight.header.biClrUsed = 3;
    eight.colours[0] = {0, 0, 0, 0};
    eight.colours[1] = {10, 20, 30, 0};
    eight.colours[2] = {200, 100, 50, 0};
    const unsigned char eightBits[4] = {2, 1, 0, 0};
    EXPECT_EQ(1, StretchDIBits(m_dc, 0, 0, 3, 1, 0, 0, 3, 1, eightBits, Info(eight), DIB_RGB_COLORS, SRCCOPY));
    EXPECT_EQ(RGB(50, 100, 200), GetPixel(m_dc, 0, 0));
    EXPECT_EQ(RGB(30, 20, 10), GetPixel(m_dc, 1, 0));

    DibHeader four = MakeHeader(2, 1, 4);
    four.colours[0xA] = {1, 2, 3, 0};
    four.colours[0x5] = {4, 5, 6, 0};
    const unsigned char fourBits[4] = {0xA5, 0, 0, 0};
    EXPECT_EQ(1, StretchDIBits(m_dc, 0, 1, 2, 1, 0, 0, 2, 1, fourBits, Info(four), DIB_RGB_COLORS, SRCCOPY));
    EXPECT_EQ(RGB(3, 2, 1), GetPixel(m_dc, 0, 1));
    EXPECT_EQ(RGB(6, 5, 4), GetPixel(m_dc, 1, 1));

    DibHeader one = MakeHeader(8, 1, 1);
    one.colours[1] = {255, 255, 255, 0};
    const unsigned char oneBits[4] = {0x81, 0, 0, 0};
    EXPECT_EQ(1, StretchDIBits(m_dc, 0, 2, 8, 1, 0, 0, 8, 1, oneBits, Info(one), DIB_RGB_COLORS, SRCCOPY));
    EXPECT_EQ(RGB(255, 255, 255), GetPixel(m_dc, 0, 2));
    EXPECT_EQ(RGB(0, 0, 0), GetPixel(m_dc, 1, 2));
    EXPECT_EQ(RGB(255, 255, 255), GetPixel(m_dc, 7, 2));
}

TEST_F(DibDrawingTest, RefusedFormatsAndContextsDrawNothing)
{
    Target(2, 2);
    const unsigned char bits[8] = {1, 2, 3, 0, 4, 5, 6, 0};
    DibHeader rle = MakeHeader(1, 1, 8);
    rle.header.biCompression = BI_RLE8;
    SetLastError(0);
    EXPECT_EQ(0, StretchDIBits(m_dc, 0, 0, 2, 2, 0, 0, 1, 1, bits, Info(rle), DIB_RGB_COLORS, SRCCOPY));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    DibHeader plain = MakeHeader(1, 1, 32);
    EXPECT_EQ(0, StretchDIBits(m_dc, 0, 0, 2, 2, 0, 0, 1, 1, bits, Info(plain), DIB_PAL_COLORS, SRCCOPY));
    EXPECT_EQ(RGB(0, 0, 0), GetPixel(m_dc, 0, 0));
    SetLastError(0);
    EXPECT_EQ(0, StretchDIBits(reinterpret_cast<HDC>(0x1234), 0, 0, 2, 2, 0, 0, 1, 1, bits, Info(plain), DIB_RGB_COLORS,
                               SRCCOPY));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());

    EXPECT_EQ(BLACKONWHITE, SetStretchBltMode(m_dc, HALFTONE));
    EXPECT_EQ(HALFTONE, SetStretchBltMode(m_dc, COLORONCOLOR));
    EXPECT_EQ(0, SetStretchBltMode(m_dc, 9));
}

TEST_F(DibDrawingTest, APictureControlTakesItsBitmapsSizeAndShowsIt)
{
    HWND parent =
        CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    HWND picture = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_BITMAP, 10, 10, 20, 20, parent, nullptr,
                                   nullptr, nullptr);
    ASSERT_NE(nullptr, picture);
    HDC window = GetDC(parent);
    m_bitmap = CreateCompatibleBitmap(window, 50, 30);
    ReleaseDC(parent, window);
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(memory, m_bitmap);
    HBRUSH brush = CreateSolidBrush(RGB(10, 200, 30));
    RECT all = {0, 0, 50, 30};
    FillRect(memory, &all, brush);
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(brush);

    EXPECT_EQ(0, SendMessageA(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(m_bitmap)));
    EXPECT_EQ(reinterpret_cast<LRESULT>(m_bitmap), SendMessageA(picture, STM_GETIMAGE, IMAGE_BITMAP, 0));
    RECT rect = {};
    GetClientRect(picture, &rect);
    EXPECT_EQ(50, rect.right);
    EXPECT_EQ(30, rect.bottom);
    UpdateWindow(picture);
    HDC shown = GetDC(parent);
    EXPECT_EQ(RGB(10, 200, 30), GetPixel(shown, 10, 10));
    EXPECT_EQ(RGB(10, 200, 30), GetPixel(shown, 59, 39));
    EXPECT_NE(RGB(10, 200, 30), GetPixel(shown, 60, 40));

    // Hidden, the control leaves the parent's background where it was, and draws no more.
    ShowWindow(picture, SW_HIDE);
    UpdateWindow(parent);
    UpdateWindow(picture);
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), GetPixel(shown, 10, 10));
    ReleaseDC(parent, shown);
    DestroyWindow(parent);
}

} // namespace
