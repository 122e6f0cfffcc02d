// Dialogs from the program's compiled templates, their message loop on the virtual clock, messages sent
// from other threads, scripted button presses, the list view, and what the screen shows of them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestMachine.h"
#include "commctrl.h"
#include "windows.h"
#include "winsim/winsim.h"

namespace
{

constexpr int kStdProgress = 103;
constexpr int kDeviceList = 142;
constexpr int kPlugIn = 147;

// What a dialog procedure saw and does, shared with the test.
struct Script
{
    LPARAM init = 0;
    int ticks = 0;
    int endAfterTicks = 3;
    std::vector<int> commands;
    std::vector<UINT> notifications;
    std::string screen;
};

INT_PTR CALLBACK ScriptedProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* script = reinterpret_cast<Script*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (msg)
    {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        reinterpret_cast<Script*>(lParam)->init = lParam;
        SetTimer(dialog, 7, 1000, nullptr);
        return TRUE;
    case WM_TIMER:
        if (++script->ticks == 2)
            script->screen = winsim::DescribeScreen();
        if (script->ticks >= script->endAfterTicks)
            EndDialog(dialog, 40 + script->ticks);
        return TRUE;
    case WM_COMMAND:
        script->commands.push_back(LOWORD(wParam));
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    case WM_NOTIFY:
        script->notifications.push_back(reinterpret_cast<NMHDR*>(lParam)->code);
        return TRUE;
    default:
        return FALSE;
    }
}

class DialogTest : public TestMachine
{
protected:
    INT_PTR Show(int id, Script& script)
    {
        return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), nullptr, ScriptedProc,
                               reinterpret_cast<LPARAM>(&script));
    }
};

TEST_F(DialogTest, AModalDialogRunsOnTheVirtualClockUntilEndDialog)
{
    Script script;
    const DWORD start = GetTickCount();
    EXPECT_EQ(43, Show(kStdProgress, script));
    EXPECT_EQ(3000u, GetTickCount() - start);
    EXPECT_EQ(reinterpret_cast<LPARAM>(&script), script.init);
    // The template's controls, with their ids; the window is gone afterwards.
    EXPECT_NE(std::string::npos, script.screen.find("msctls_progress32 1000")) << script.screen;
    EXPECT_NE(std::string::npos, script.screen.find("position 0 of 0-100")) << script.screen;
    EXPECT_NE(std::string::npos, script.screen.find("STATIC 1002")) << script.screen;
    EXPECT_EQ(nullptr, FindWindowA("#32770", nullptr));
}

TEST_F(DialogTest, ControlsArePlacedInDialogUnits)
{
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kStdProgress), nullptr, ScriptedProc,
                                     reinterpret_cast<LPARAM>(new Script));
    ASSERT_NE(nullptr, dialog);
    RECT client;
    ASSERT_TRUE(GetClientRect(dialog, &client));
    // 281 x 67 units of 6 x 13 base units.
    EXPECT_EQ(421, client.right);
    EXPECT_EQ(108, client.bottom);
    HWND bar = GetDlgItem(dialog, 1000);
    ASSERT_NE(nullptr, bar);
    RECT bounds;
    ASSERT_TRUE(GetWindowRect(bar, &bounds));
    EXPECT_EQ(400, bounds.right - bounds.left);
    EXPECT_EQ(27, bounds.bottom - bounds.top);
    // Its border takes a pixel on each side of the client area.
    ASSERT_TRUE(GetClientRect(bar, &bounds));
    EXPECT_EQ(398, bounds.right);
    EXPECT_EQ(1000, GetDlgCtrlID(bar));
    EXPECT_EQ(nullptr, GetDlgItem(dialog, 4242));
    EXPECT_EQ(static_cast<DWORD>(ERROR_CONTROL_ID_NOT_FOUND), GetLastError());
    delete reinterpret_cast<Script*>(GetWindowLongPtrA(dialog, DWLP_USER));
    EXPECT_TRUE(DestroyWindow(dialog));
    EXPECT_FALSE(IsWindow(bar));
}

TEST_F(DialogTest, AMissingTemplateFails)
{
    Script script;
    EXPECT_EQ(-1, Show(4711, script));
    EXPECT_EQ(static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND), GetLastError());
    EXPECT_EQ(0, script.init);
}

struct Sender
{
    HWND target;
    LRESULT result = 0;
};

DWORD WINAPI SendFromAnotherThread(LPVOID context)
{
    auto* sender = static_cast<Sender*>(context);
    Sleep(1500);
    sender->result = SendMessageA(sender->target, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Sent across"));
    return 0;
}

TEST_F(DialogTest, MessagesSentFromAnotherThreadAreHandledByTheWindowsThread)
{
    Script script;
    script.endAfterTicks = 3;
    HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kStdProgress), nullptr, ScriptedProc,
                                     reinterpret_cast<LPARAM>(&script));
    ASSERT_NE(nullptr, dialog);
    Sender sender{GetDlgItem(dialog, 1002)};
    HANDLE thread = CreateThread(nullptr, 0, SendFromAnotherThread, &sender, 0, nullptr);
    MSG msg;
    while (IsWindow(dialog) && GetMessageA(&msg, nullptr, 0, 0))
    {
        DispatchMessageA(&msg);
        if (script.ticks >= 2)
            break;
    }
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    EXPECT_EQ(TRUE, sender.result);
    char text[32];
    EXPECT_EQ(11, GetDlgItemTextA(dialog, 1002, text, sizeof(text)));
    EXPECT_STREQ("Sent across", text);
    DestroyWindow(dialog);
}

TEST_F(DialogTest, ScriptedAnswersPressButtonsByIdOrText)
{
    std::string error;
    ASSERT_TRUE(winsim::SetMessageBoxAnswers({"window:Device driver*=&cancel@1.5"}, error)) << error;
    Script script;
    script.endAfterTicks = 100;
    const DWORD start = GetTickCount();
    EXPECT_EQ(IDCANCEL, Show(kDeviceList, script));
    EXPECT_EQ(1500u, GetTickCount() - start);
    EXPECT_EQ(std::vector<int>{IDCANCEL}, script.commands);
    EXPECT_FALSE(winsim::CheckMessageBoxAnswer("window:Title=", error));
    EXPECT_FALSE(winsim::CheckMessageBoxAnswer("window:Title=OK@soon", error));
}

INT_PTR CALLBACK ListProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_INITDIALOG)
    {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        HWND list = GetDlgItem(dialog, 1011);
        char device[] = "Device";
        char task[] = "Task";
        LVCOLUMNA column{LVCF_TEXT | LVCF_WIDTH, 0, 200, device, 0, 0};
        SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
        column.pszText = task;
        SendMessageA(list, LVM_INSERTCOLUMNA, 1, reinterpret_cast<LPARAM>(&column));
        char modem[] = "Test Modem #1";
        char install[] = "INSTALL";
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.pszText = modem;
        EXPECT_EQ(0, SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        item.iSubItem = 1;
        item.pszText = install;
        EXPECT_TRUE(SendMessageA(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        item.stateMask = LVIS_SELECTED;
        item.state = LVIS_SELECTED;
        EXPECT_TRUE(SendMessageA(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&item)));
        SetTimer(dialog, 1, 500, nullptr);
        return TRUE;
    }
    if (msg == WM_TIMER)
    {
        auto* script = reinterpret_cast<Script*>(GetWindowLongPtrA(dialog, DWLP_USER));
        script->screen = winsim::DescribeScreen();
        char text[6];
        LVITEMA item{};
        item.iSubItem = 1;
        item.pszText = text;
        item.cchTextMax = sizeof(text);
        // Cut to the buffer.
        EXPECT_EQ(5, SendDlgItemMessageA(dialog, 1011, LVM_GETITEMTEXTA, 0, reinterpret_cast<LPARAM>(&item)));
        EXPECT_STREQ("INSTA", text);
        EndDialog(dialog, IDOK);
        return TRUE;
    }
    if (msg == WM_NOTIFY)
    {
        reinterpret_cast<Script*>(GetWindowLongPtrA(dialog, DWLP_USER))
            ->notifications.push_back(reinterpret_cast<NMHDR*>(lParam)->code);
        return TRUE;
    }
    (void)wParam;
    return FALSE;
}

TEST_F(DialogTest, TheListViewKeepsColumnsRowsAndStatesAndNotifiesItsParent)
{
    Script script;
    EXPECT_EQ(IDOK, DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kDeviceList), nullptr, ListProc,
                                    reinterpret_cast<LPARAM>(&script)));
    EXPECT_NE(std::string::npos, script.screen.find("SysListView32 1011")) << script.screen;
    EXPECT_NE(std::string::npos, script.screen.find("columns: Device | Task")) << script.screen;
    EXPECT_NE(std::string::npos, script.screen.find("row: Test Modem #1 | INSTALL [selected]")) << script.screen;
    EXPECT_EQ((std::vector<UINT>{LVN_ITEMCHANGED, LVN_ITEMCHANGED}), script.notifications);
}

TEST_F(DialogTest, ThePlugInPromptsIconAndTextsAreItsTemplates)
{
    Script script;
    script.endAfterTicks = 2;
    Show(kPlugIn, script);
    EXPECT_NE(std::string::npos, script.screen.find("BUTTON 2  \"CANCEL\"")) << script.screen;
    EXPECT_NE(std::string::npos, script.screen.find("STATIC 1022")) << script.screen;
    EXPECT_NE(std::string::npos, script.screen.find("BUTTON -1")) << script.screen;
}

} // namespace
