// The program's progress and plug-in dialogs open from its compiled resources with their controls in place:
// on winsim, and on the real USER32 under Wine (with the null graphics driver in the suite). Under Xvfb
// with DRVSETUP_SCREENSHOTS naming a folder (scripts/wine-screenshots.sh), a picture of each dialog is saved
// there as PNG, through the platform's GDI+.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "TestMachine.h"
#include "common/ResourceIds.h"
#include "platform/win32.h"
#include "ui/CBusyProgressCtrl.h"

namespace
{

INT_PTR CALLBACK QuietProc(HWND, UINT msg, WPARAM, LPARAM)
{
    return msg == WM_INITDIALOG ? TRUE : FALSE;
}

#ifdef _WIN32
// GDI+ bound by name, as the program binds optional platform libraries.
struct StartupInput
{
    UINT32 version = 1;
    void* debugCallback = nullptr;
    BOOL suppressBackgroundThread = FALSE;
    BOOL suppressExternalCodecs = FALSE;
};
typedef int(WINAPI* PFN_STARTUP)(ULONG_PTR*, const StartupInput*, void*);
typedef int(WINAPI* PFN_FROM_HBITMAP)(HBITMAP, HPALETTE, void**);
typedef int(WINAPI* PFN_SAVE)(void*, const WCHAR*, const CLSID*, const void*);
typedef int(WINAPI* PFN_DISPOSE)(void*);
typedef void(WINAPI* PFN_SHUTDOWN)(ULONG_PTR);

// Saves the window as it is on screen; an empty string or the reason it could not.
std::string SavePicture(HWND window, const std::string& path)
{
    HMODULE gdiplus = LoadLibraryA("gdiplus.dll");
    if (!gdiplus)
        return "gdiplus.dll is missing";
    auto startup = reinterpret_cast<PFN_STARTUP>(reinterpret_cast<void*>(GetProcAddress(gdiplus, "GdiplusStartup")));
    auto fromBitmap = reinterpret_cast<PFN_FROM_HBITMAP>(
        reinterpret_cast<void*>(GetProcAddress(gdiplus, "GdipCreateBitmapFromHBITMAP")));
    auto save = reinterpret_cast<PFN_SAVE>(reinterpret_cast<void*>(GetProcAddress(gdiplus, "GdipSaveImageToFile")));
    auto dispose = reinterpret_cast<PFN_DISPOSE>(reinterpret_cast<void*>(GetProcAddress(gdiplus, "GdipDisposeImage")));
    auto shutdown = reinterpret_cast<PFN_SHUTDOWN>(reinterpret_cast<void*>(GetProcAddress(gdiplus, "GdiplusShutdown")));
    if (!startup || !fromBitmap || !save || !dispose || !shutdown)
        return "gdiplus.dll lacks an export";
    RECT rect;
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    SelectObject(memory, old);
    std::string error;
    ULONG_PTR token = 0;
    StartupInput input;
    void* image = nullptr;
    // The PNG encoder of GDI+.
    const CLSID png = {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
    WCHAR wide[MAX_PATH];
    if (startup(&token, &input, nullptr) != 0)
        error = "GdiplusStartup failed";
    else if (fromBitmap(bitmap, nullptr, &image) != 0)
        error = "GdipCreateBitmapFromHBITMAP failed";
    else if (!MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH) || save(image, wide, &png, nullptr) != 0)
        error = "GdipSaveImageToFile failed for " + path;
    if (image)
        dispose(image);
    if (token)
        shutdown(token);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    FreeLibrary(gdiplus);
    return error;
}
#endif

class DialogResourceTest : public TestMachine
{
protected:
    void TearDown() override
    {
        if (m_dialog)
            DestroyWindow(m_dialog);
        TestMachine::TearDown();
    }

    HWND Open(int id)
    {
        HINSTANCE instance = GetModuleHandleA(nullptr);
        EXPECT_TRUE(CBusyProgressCtrl::RegisterControlClass(instance));
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&controls);
        m_dialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(id), nullptr, QuietProc, 0);
        EXPECT_NE(nullptr, m_dialog) << "dialog " << id << ", error " << GetLastError();
        return m_dialog;
    }

    std::string ClassOf(int id)
    {
        char name[64] = "";
        HWND control = GetDlgItem(m_dialog, id);
        if (!control || !GetClassNameA(control, name, sizeof(name)))
            return "<none>";
        std::string upper = name;
        for (char& ch : upper)
            ch = static_cast<char>(ch >= 'a' && ch <= 'z' ? ch - 32 : ch);
        return upper;
    }

    // The control's rectangle in the dialog's client area matches its place and size in dialog units.
    void ExpectPlace(int id, LONG x, LONG y, LONG cx, LONG cy)
    {
        HWND control = GetDlgItem(m_dialog, id);
        ASSERT_NE(nullptr, control) << id;
        RECT actual;
        GetWindowRect(control, &actual);
        POINT origin{actual.left, actual.top};
        ScreenToClient(m_dialog, &origin);
        // The dialog manager converts the place and the size each on its own.
        RECT place{x, y, 0, 0};
        RECT size{0, 0, cx, cy};
        ASSERT_TRUE(MapDialogRect(m_dialog, &place));
        ASSERT_TRUE(MapDialogRect(m_dialog, &size));
        EXPECT_EQ(place.left, origin.x) << id;
        EXPECT_EQ(place.top, origin.y) << id;
        EXPECT_EQ(size.right, actual.right - actual.left) << id;
        EXPECT_EQ(size.bottom, actual.bottom - actual.top) << id;
    }

    // Under Xvfb: shows the dialog a moment and saves its picture.
    void Screenshot(const char* name)
    {
#ifdef _WIN32
        const char* folder = std::getenv("DRVSETUP_SCREENSHOTS");
        if (!folder || !*folder)
            return;
        ShowWindow(m_dialog, SW_SHOW);
        UpdateWindow(m_dialog);
        const DWORD until = GetTickCount() + 700;
        MSG msg;
        while (GetTickCount() < until)
        {
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageA(&msg);
            Sleep(20);
        }
        const std::string error = SavePicture(m_dialog, std::string(folder) + "\\" + name);
        EXPECT_EQ("", error);
#else
        (void)name;
#endif
    }

    HWND m_dialog = nullptr;
};

TEST_F(DialogResourceTest, TheBusyWindowHasItsStatusTextAndIndicator)
{
    ASSERT_NE(nullptr, Open(IDD_BUSY_PROGRESS));
    EXPECT_EQ("STATIC", ClassOf(IDC_STATUS_TEXT));
    EXPECT_EQ("BUSYPROGRESSCTRL", ClassOf(IDC_BUSY_INDICATOR));
    ExpectPlace(IDC_STATUS_TEXT, 10, 3, 263, 42);
    ExpectPlace(IDC_BUSY_INDICATOR, 3, 40, 273, 20);
    SetDlgItemTextA(m_dialog, IDC_STATUS_TEXT, "Installing device drivers...");
    SendDlgItemMessageA(m_dialog, IDC_BUSY_INDICATOR, BPC_SETNUMBLOCKS, 20, 0);
    SendDlgItemMessageA(m_dialog, IDC_BUSY_INDICATOR, BPC_SETPOS, 6, 0);
    Screenshot("dialog-102-busy.png");
}

TEST_F(DialogResourceTest, TheStandardWindowHasItsProgressBar)
{
    ASSERT_NE(nullptr, Open(IDD_STD_PROGRESS));
    EXPECT_EQ("MSCTLS_PROGRESS32", ClassOf(IDC_PROGRESS_BAR));
    EXPECT_EQ("STATIC", ClassOf(IDC_STATUS_TEXT));
    ExpectPlace(IDC_PROGRESS_BAR, 8, 40, 267, 17);
    SetDlgItemTextA(m_dialog, IDC_STATUS_TEXT, "Installing device drivers...");
    SendDlgItemMessageA(m_dialog, IDC_PROGRESS_BAR, PBM_SETPOS, 40, 0);
    EXPECT_EQ(40, SendDlgItemMessageA(m_dialog, IDC_PROGRESS_BAR, PBM_GETPOS, 0, 0));
    Screenshot("dialog-103-standard.png");
}

TEST_F(DialogResourceTest, ThePlugInPromptHasItsTextsAndCancel)
{
    ASSERT_NE(nullptr, Open(IDD_PLUG_IN_USB));
    EXPECT_EQ("STATIC", ClassOf(IDC_PLUG_IN_TEXT));
    EXPECT_EQ("STATIC", ClassOf(IDC_PRESS_CANCEL_TEXT));
    EXPECT_EQ("BUTTON", ClassOf(IDCANCEL));
    ExpectPlace(IDCANCEL, 93, 102, 50, 14);
    ExpectPlace(IDC_PLUG_IN_TEXT, 49, 20, 160, 37);
    SetWindowTextA(m_dialog, "ADSL USB Modem");
    SetDlgItemTextA(m_dialog, IDC_PLUG_IN_TEXT, "Plug in your USB Device now.");
    SetDlgItemTextA(m_dialog, IDC_PRESS_CANCEL_TEXT, "Press the Cancel button to stop the installation.");
    Screenshot("dialog-147-plug-in.png");
}

} // namespace
