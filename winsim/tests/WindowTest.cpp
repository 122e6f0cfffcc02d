// The machine's window table: the program's own windows, windows of declared processes and of host
// children, z order, search, focus and closing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FileTestSupport.h"
#include "ProcessTestSupport.h"
#include "TestMachine.h"
#include "windows.h"

using namespace process_test;

namespace
{

class WindowTest : public TestMachine
{
protected:
    HWND Make(const char* className, const char* title, DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE,
              HWND parent = nullptr)
    {
        HWND window = CreateWindowExA(0, className, title, style, 0, 0, 100, 100, parent, nullptr, nullptr, nullptr);
        EXPECT_NE(nullptr, window) << GetLastError();
        return window;
    }

    // Starts a declared program with these windows; its pid.
    DWORD StartDeclared(std::vector<winsim::DeclaredWindow> windows, uint32_t exitCode = 0)
    {
        Declare(Program("TRAYAPP", std::move(windows), std::nullopt, exitCode));
        WriteImage("C:\\TEST\\tray.exe", "TrayApp");
        m_app = Start(nullptr, "C:\\TEST\\tray.exe");
        EXPECT_TRUE(m_app.ok) << m_app.error;
        return m_app.info.dwProcessId;
    }

    void TearDown() override
    {
        Close(m_app);
        TestMachine::TearDown();
    }

    Started m_app;
};

BOOL CALLBACK Collect(HWND window, LPARAM list)
{
    char title[64];
    GetWindowTextA(window, title, sizeof(title));
    reinterpret_cast<std::vector<std::string>*>(list)->push_back(title);
    return TRUE;
}

std::vector<std::string> TopLevelTitles()
{
    std::vector<std::string> titles;
    EXPECT_TRUE(EnumWindows(Collect, reinterpret_cast<LPARAM>(&titles)));
    return titles;
}

} // namespace

TEST_F(WindowTest, EnumAndFindGoByZOrder)
{
    HWND alpha = Make("ClassA", "Alpha");
    HWND beta = Make("ClassB", "Beta");
    HWND child = Make("Button", "Inside", WS_CHILD | WS_VISIBLE, alpha);
    // Hidden windows are enumerated too; child windows are not.
    Make("ClassB", "Hidden", WS_OVERLAPPEDWINDOW);
    EXPECT_EQ((std::vector<std::string>{"Hidden", "Beta", "Alpha"}), TopLevelTitles());

    EXPECT_EQ(alpha, FindWindowA(nullptr, "aLPHA"));
    EXPECT_EQ(beta, FindWindowA("classb", "Beta"));
    EXPECT_EQ(nullptr, FindWindowA("ClassA", "Beta"));
    EXPECT_EQ(nullptr, FindWindowA(nullptr, "Inside"));
    // The highest match wins.
    EXPECT_EQ(FindWindowA(nullptr, "Hidden"), FindWindowA("ClassB", nullptr));

    ASSERT_TRUE(SetForegroundWindow(child));
    EXPECT_EQ(alpha, GetForegroundWindow());
    EXPECT_EQ((std::vector<std::string>{"Alpha", "Hidden", "Beta"}), TopLevelTitles());
}

TEST_F(WindowTest, EnumStopsWhenTheCallbackSaysSo)
{
    Make("C", "One");
    Make("C", "Two");
    int calls = 0;
    auto stop = [](HWND, LPARAM count) -> BOOL
    {
        ++*reinterpret_cast<int*>(count);
        return FALSE;
    };
    EXPECT_FALSE(EnumWindows(stop, reinterpret_cast<LPARAM>(&calls)));
    EXPECT_EQ(1, calls);
}

TEST_F(WindowTest, TextClassAndOwnerOfAWindow)
{
    HWND window = Make("SetupWizard", "Driver Setup");
    char text[64];
    EXPECT_EQ(12, GetWindowTextLengthA(window));
    EXPECT_EQ(6, GetWindowTextA(window, text, 7));
    EXPECT_STREQ("Driver", text);
    EXPECT_EQ(11, GetClassNameA(window, text, sizeof(text)));
    EXPECT_STREQ("SetupWizard", text);
    DWORD pid = 0;
    EXPECT_EQ(GetCurrentThreadId(), GetWindowThreadProcessId(window, &pid));
    EXPECT_EQ(GetCurrentProcessId(), pid);
    EXPECT_TRUE(SetWindowTextA(window, "Done"));
    EXPECT_EQ(4, SendMessageA(window, WM_GETTEXTLENGTH, 0, 0));

    HWND bogus = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x1234));
    SetLastError(0);
    EXPECT_EQ(0, GetWindowTextLengthA(bogus));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE), GetLastError());
    EXPECT_EQ(0u, GetWindowThreadProcessId(bogus, &pid));
    EXPECT_FALSE(PostMessageA(bogus, WM_CLOSE, 0, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE), GetLastError());
}

TEST_F(WindowTest, VisibilityFollowsParents)
{
    HWND parent = Make("P", "Parent", WS_OVERLAPPEDWINDOW);
    HWND child = Make("C", "Child", WS_CHILD | WS_VISIBLE, parent);
    EXPECT_FALSE(IsWindowVisible(child));
    EXPECT_FALSE(ShowWindow(parent, SW_SHOW));
    EXPECT_TRUE(IsWindowVisible(child));
    EXPECT_TRUE(ShowWindow(parent, SW_HIDE));
    EXPECT_FALSE(IsWindowVisible(parent));
    EXPECT_EQ(parent, GetParent(child));

    SetLastError(0);
    EXPECT_EQ(nullptr, CreateWindowExA(0, "C", "Orphan", WS_CHILD, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_TLW_WITH_WSCHILD), GetLastError());
}

TEST_F(WindowTest, DestroyingAWindowTakesItsChildrenAndOwnedWindows)
{
    HWND main = Make("Main", "Main");
    HWND child = Make("Button", "OK", WS_CHILD | WS_VISIBLE, main);
    // A window made with a child as its parent is owned by the child's top-level window.
    HWND popup = Make("Popup", "Progress", WS_POPUP | WS_VISIBLE, child);
    EXPECT_EQ(main, GetParent(popup));
    ASSERT_TRUE(DestroyWindow(main));
    EXPECT_FALSE(IsWindow(child));
    EXPECT_FALSE(IsWindow(popup));
    EXPECT_FALSE(DestroyWindow(main));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE), GetLastError());
    EXPECT_EQ(1u, file_test::Journal("window", "destroy").size());
}

TEST_F(WindowTest, ClosingTheLastWindowOfADeclaredProcessEndsIt)
{
    const DWORD pid = StartDeclared({{"Tray Status", "TrayWnd"}, {"Tray Menu", "TrayMenu"}}, 12);
    HWND status = FindWindowA("TrayWnd", nullptr);
    HWND menu = FindWindowA("TrayMenu", nullptr);
    ASSERT_NE(nullptr, status);
    ASSERT_NE(nullptr, menu);
    // Another program's window can be closed, not destroyed.
    EXPECT_FALSE(DestroyWindow(status));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());

    ASSERT_TRUE(PostMessageA(status, WM_CLOSE, 0, 0));
    EXPECT_FALSE(IsWindow(status));
    EXPECT_EQ(static_cast<DWORD>(STILL_ACTIVE), ExitCodeOf(m_app.info.hProcess));
    EXPECT_EQ(0, SendMessageA(menu, WM_SYSCOMMAND, SC_CLOSE, 0));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(m_app.info.hProcess, 0));
    EXPECT_EQ(12u, ExitCodeOf(m_app.info.hProcess));
    EXPECT_EQ(nullptr, OpenProcess(SYNCHRONIZE, FALSE, pid));
}

TEST_F(WindowTest, FocusBelongsToTheProcessOfItsWindow)
{
    HWND own = Make("Own", "Own");
    EXPECT_EQ(own, GetForegroundWindow());
    EXPECT_EQ(own, GetFocus());
    StartDeclared({{"Other", "OtherWnd"}});
    HWND other = FindWindowA("OtherWnd", nullptr);
    // The newest window is activated; its focus is not this program's.
    EXPECT_EQ(other, GetForegroundWindow());
    EXPECT_EQ(nullptr, GetFocus());
    EXPECT_EQ(nullptr, SetFocus(other));
    EXPECT_EQ(nullptr, SetFocus(own));
    EXPECT_EQ(own, GetFocus());
    EXPECT_EQ(own, GetForegroundWindow());
    EXPECT_EQ(own, SetFocus(nullptr));
    EXPECT_EQ(nullptr, GetFocus());
    // When the foreground window goes, the next one in the z order takes its place.
    ASSERT_TRUE(SetForegroundWindow(other));
    ASSERT_TRUE(TerminateProcess(m_app.info.hProcess, 0));
    EXPECT_EQ(own, GetForegroundWindow());
}

namespace
{

class WindowHostTest : public HostChildMachine
{
};

} // namespace

TEST_F(WindowHostTest, WindowsOfAHostProcessGoWhenItEnds)
{
    Started child = Start(nullptr, Child() + " window ChildTitle wait Window.Host.Go crash 1");
    ASSERT_TRUE(child.ok) << child.error;
    HWND window = nullptr;
    // The child needs real time to start; a short wait on it lets that pass.
    for (int i = 0; i < 500 && !window; ++i)
    {
        WaitForSingleObject(child.info.hProcess, 10);
        window = FindWindowA("ChildWindow", "ChildTitle");
    }
    ASSERT_NE(nullptr, window);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    EXPECT_EQ(child.info.dwProcessId, pid);
    // The child made the event already: opening it keeps its state, so it is set explicitly.
    HANDLE go = CreateEventA(nullptr, TRUE, FALSE, "Window.Host.Go");
    ASSERT_TRUE(SetEvent(go));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(child.info.hProcess, INFINITE));
    // It crashed without a word; its window is gone all the same.
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(nullptr, FindWindowA(nullptr, "ChildTitle"));
    CloseHandle(go);
    Close(child);
}
