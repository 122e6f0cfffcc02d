// The splash picture from a BMP file's bytes, on winsim and on the platform's GDI under Wine: stretched the
// right way up, every malformed file refused without reading past its end, and the program's own picture
// found among its resources.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "TestMachine.h"
#include "platform/win32.h"
#include "wizard/CSplashPicture.h"

namespace
{

// A BMP file of 2 x 2 pixels, 24 bits, bottom row first: blue, green, then red, white.
std::vector<BYTE> TwoByTwoBmp()
{
    std::vector<BYTE> bmp(14 + 40 + 16, 0);
    const BYTE head[] = {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24};
    std::memcpy(bmp.data(), head, sizeof(head));
    const BYTE rows[] = {255, 0, 0, 0, 255, 0, 0, 0, 0, 0, 255, 255, 255, 255, 0, 0};
    std::memcpy(bmp.data() + 54, rows, sizeof(rows));
    return bmp;
}

class SplashPictureTest : public TestMachine
{
protected:
    void SetUp() override
    {
        TestMachine::SetUp();
        m_hWnd = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        m_hdc = GetDC(m_hWnd);
        ASSERT_NE(nullptr, m_hdc);
    }
    void TearDown() override
    {
        ReleaseDC(m_hWnd, m_hdc);
        DestroyWindow(m_hWnd);
        TestMachine::TearDown();
    }

    // The bitmap of exactly these bytes (a copy of their own size, so a read past the end is caught).
    HBITMAP FromBytes(const std::vector<BYTE>& bytes)
    {
        std::vector<BYTE> exact(bytes);
        return CSplashPicture::CreateFromBmp(exact.data(), static_cast<DWORD>(exact.size()), m_hdc, 4, 4);
    }

    HWND m_hWnd = nullptr;
    HDC m_hdc = nullptr;
};

TEST_F(SplashPictureTest, APictureIsStretchedTheRightWayUp)
{
    HBITMAP hBitmap = FromBytes(TwoByTwoBmp());
    ASSERT_NE(nullptr, hBitmap);
    HDC hMemory = CreateCompatibleDC(m_hdc);
    HGDIOBJ hOld = SelectObject(hMemory, hBitmap);
    EXPECT_EQ(RGB(255, 0, 0), GetPixel(hMemory, 1, 1));
    EXPECT_EQ(RGB(255, 255, 255), GetPixel(hMemory, 2, 0));
    EXPECT_EQ(RGB(0, 0, 255), GetPixel(hMemory, 0, 3));
    EXPECT_EQ(RGB(0, 255, 0), GetPixel(hMemory, 3, 2));
    SelectObject(hMemory, hOld);
    DeleteDC(hMemory);
    DeleteObject(hBitmap);
}

TEST_F(SplashPictureTest, MalformedFilesAreRefused)
{
    struct Damage
    {
        const char* what;
        size_t at;
        BYTE value;
    };
    const Damage damages[] = {
        {"no BM signature", 0, 'X'},
        {"pixels start past the end", 10, 200},
        {"pixels start inside the header", 10, 20},
        {"header size past the end", 14, 200},
        {"run-length compressed", 30, BI_RLE8},
        {"two planes", 26, 2},
        {"12 bits a pixel", 28, 12},
        {"no width", 18, 0},
        {"taller than the rows given", 22, 3},
        {"wider than 16384", 20, 1},
    };
    for (const Damage& damage : damages)
    {
        std::vector<BYTE> bmp = TwoByTwoBmp();
        bmp[damage.at] = damage.value;
        EXPECT_EQ(nullptr, FromBytes(bmp)) << damage.what;
    }
    std::vector<BYTE> cut = TwoByTwoBmp();
    cut.pop_back();
    EXPECT_EQ(nullptr, FromBytes(cut)) << "last row cut short";
    cut.resize(20);
    EXPECT_EQ(nullptr, FromBytes(cut)) << "headers cut short";

    // An 8-bit picture whose colour table would run into the pixels.
    std::vector<BYTE> eight = TwoByTwoBmp();
    eight[28] = 8;
    EXPECT_EQ(nullptr, FromBytes(eight)) << "colour table over the pixels";
}

TEST_F(SplashPictureTest, TheProgramCarriesAPictureItCanDraw)
{
    HMODULE hProgram = GetModuleHandleA(nullptr);
    ASSERT_TRUE(CSplashPicture::HasImage(hProgram));
    HBITMAP hBitmap = CSplashPicture::CreateStretched(nullptr, hProgram, m_hdc, 640, 480);
    ASSERT_NE(nullptr, hBitmap);
    HDC hMemory = CreateCompatibleDC(m_hdc);
    HGDIOBJ hOld = SelectObject(hMemory, hBitmap);
    // Light blue at the top, dark blue at the bottom.
    const COLORREF top = GetPixel(hMemory, 320, 2);
    const COLORREF bottom = GetPixel(hMemory, 320, 478);
    EXPECT_GT(GetBValue(top), 200);
    EXPECT_LT(GetBValue(bottom), 130);
    SelectObject(hMemory, hOld);
    DeleteDC(hMemory);
    DeleteObject(hBitmap);
}

} // namespace
