// USER32 dialogs from the compiled templates of a module's resources: the dialog window and its controls
// (with their ids, styles and places in dialog units of the 8-point dialog font: 6 x 13 base units),
// WM_INITDIALOG, the modal loop, EndDialog, and the dialog procedure's default handling.
#include <algorithm>
#include <cstring>

#include "core/Runtime.h"
#include "faults/FaultPoint.h"
#include "gdi/GdiDraw.h"
#include "kernel/CurrentThread.h"
#include "user/DialogAnswers.h"
#include "user/DialogCreation.h"
#include "user/DialogTemplate.h"
#include "user/MessageQueues.h"
#include "user/UserWindows.h"
#include "user/WindowCalls.h"
#include "windows.h"

using namespace winsim;

namespace
{

constexpr int kBaseX = 6;
constexpr int kBaseY = 13;
constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;

int PixelsX(int units)
{
    return units * kBaseX / 4;
}

int PixelsY(int units)
{
    return units * kBaseY / 8;
}

bool LoadTemplate(HINSTANCE instance, LPCSTR name, DialogTemplate& dialog)
{
    HRSRC found = FindResourceA(reinterpret_cast<HMODULE>(instance), name, RT_DIALOG);
    if (!found)
        return false;
    HGLOBAL loaded = LoadResource(reinterpret_cast<HMODULE>(instance), found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    const DWORD size = SizeofResource(reinterpret_cast<HMODULE>(instance), found);
    if (!bytes || !DialogTemplate::Parse(static_cast<const uint8_t*>(bytes), size, dialog))
    {
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return false;
    }
    return true;
}

// Makes the dialog and its controls and runs WM_INITDIALOG; nullptr when the template cannot be read.
HWND CreateFromTemplate(Runtime& rt, HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC proc, LPARAM param)
{
    DialogTemplate dialog;
    if (!LoadTemplate(instance, name, dialog))
        return nullptr;
    const DWORD style = dialog.style & ~WS_VISIBLE;
    int frame = 0;
    int caption = 0;
    UserWindows::FrameOf(style, frame, caption);
    const int width = PixelsX(dialog.cx) + 2 * frame;
    const int height = PixelsY(dialog.cy) + 2 * frame + caption;
    int x = PixelsX(dialog.x);
    int y = PixelsY(dialog.y);
    if ((dialog.style & DS_CENTER) || !owner)
    {
        x = (kScreenWidth - width) / 2;
        y = (kScreenHeight - height) / 2;
    }
    HWND hwnd = nullptr;
    {
        DialogCreation creation(proc);
        hwnd = CreateWindowExA(dialog.exStyle, dialog.className.empty() ? "#32770" : dialog.className.c_str(),
                               dialog.title.c_str(), style, x, y, width, height, owner, nullptr, instance, nullptr);
    }
    if (!hwnd)
        return nullptr;
    for (const DialogItem& item : dialog.items)
    {
        const std::string text = item.textOrdinal >= 0 ? std::string() : item.text;
        HWND control = CreateWindowExA(item.exStyle, item.className.c_str(), text.c_str(), item.style | WS_CHILD,
                                       PixelsX(item.x), PixelsY(item.y), PixelsX(item.cx), PixelsY(item.cy), hwnd,
                                       reinterpret_cast<HMENU>(static_cast<intptr_t>(item.id)), instance, nullptr);
        if (!control)
        {
            DestroyWindow(hwnd);
            return nullptr;
        }
    }
    WindowState state;
    UserWindows::Of(rt).Find(hwnd, state);
    if (state.dlgProc)
    {
        FaultPoint::Callback program;
        state.dlgProc(hwnd, WM_INITDIALOG, 0, param);
    }
    if (dialog.style & WS_VISIBLE)
        ShowWindow(hwnd, SW_SHOW);
    return hwnd;
}

} // namespace

HWND WINAPI CreateDialogParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc,
                               LPARAM dwInitParam)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, nullptr);
    HWND hwnd = CreateFromTemplate(*rt, hInstance, lpTemplateName, hWndParent, lpDialogFunc, dwInitParam);
    if (hwnd)
        DialogAnswers::Watch(*rt, hwnd);
    return hwnd;
}

INT_PTR WINAPI DialogBoxParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc,
                               LPARAM dwInitParam)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, -1);
    HWND hwnd = CreateFromTemplate(*rt, hInstance, lpTemplateName, hWndParent, lpDialogFunc, dwInitParam);
    if (!hwnd)
        return -1;
    WindowState state;
    // EndDialog in WM_INITDIALOG ends it before it is ever shown.
    if (UserWindows::Of(*rt).Find(hwnd, state) && !state.ended)
        ShowWindow(hwnd, SW_SHOW);
    DialogAnswers::Watch(*rt, hwnd);
    if (hWndParent)
        EnableWindow(hWndParent, FALSE);
    MSG msg{};
    while (UserWindows::Of(*rt).Find(hwnd, state) && !state.ended)
    {
        if (!GetMessageA(&msg, nullptr, 0, 0))
        {
            // WM_QUIT ends the dialog and goes on to the loop outside it.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (!IsDialogMessageA(hwnd, &msg))
        {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    if (hWndParent)
        EnableWindow(hWndParent, TRUE);
    const INT_PTR result = state.ended ? state.result : 0;
    DestroyWindow(hwnd);
    return result;
}

BOOL WINAPI EndDialog(HWND hDlg, INT_PTR nResult)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    uint32_t tid = 0;
    bool dialog = false;
    if (!UserWindows::Of(*rt).Update(hDlg,
                                     [&](WindowState& state)
                                     {
                                         dialog = state.dialog;
                                         if (!dialog)
                                             return;
                                         state.ended = true;
                                         state.result = nResult;
                                         tid = state.tid;
                                     }) ||
        !dialog)
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    // The dialog disappears at once; its loop notices at its next message.
    ShowWindow(hDlg, SW_HIDE);
    MSG wake{};
    wake.hwnd = hDlg;
    wake.message = WM_NULL;
    MessageQueues::Of(*rt).Post(*rt, tid, wake);
    return TRUE;
}

HWND WINAPI GetDlgItem(HWND hDlg, int nIDDlgItem)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, nullptr);
    HWND item = UserWindows::Of(*rt).ChildWithId(hDlg, nIDDlgItem);
    if (!item)
        SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
    return item;
}

int WINAPI GetDlgCtrlID(HWND hWnd)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, 0);
    WindowState state;
    if (!UserWindows::Of(*rt).Find(hWnd, state) || !state.parent)
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return state.id;
}

BOOL WINAPI SetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPCSTR lpString)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    HWND item = UserWindows::Of(*rt).ChildWithId(hDlg, nIDDlgItem);
    if (!item)
    {
        SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
        return FALSE;
    }
    return SetWindowTextA(item, lpString);
}

UINT WINAPI GetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPSTR lpString, int cchMax)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, 0);
    HWND item = UserWindows::Of(*rt).ChildWithId(hDlg, nIDDlgItem);
    if (!item)
    {
        if (lpString && cchMax > 0)
            lpString[0] = '\0';
        SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
        return 0;
    }
    return static_cast<UINT>(GetWindowTextA(item, lpString, cchMax));
}

LRESULT WINAPI SendDlgItemMessageA(HWND hDlg, int nIDDlgItem, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    Runtime* rt = Runtime::Current();
    if (!rt)
        return 0;
    WINSIM_API_CALL();
    HWND item = UserWindows::Of(*rt).ChildWithId(hDlg, nIDDlgItem);
    return item ? SendMessageA(item, Msg, wParam, lParam) : 0;
}

LRESULT WINAPI DefDlgProcA(HWND hDlg, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    Runtime* rt = Runtime::Current();
    if (!rt)
        return 0;
    WINSIM_API_CALL();
    WindowState state;
    if (!UserWindows::Of(*rt).Find(hDlg, state))
        return 0;
    if (state.dlgProc)
    {
        INT_PTR handled = 0;
        {
            FaultPoint::Callback program;
            handled = state.dlgProc(hDlg, Msg, wParam, lParam);
        }
        if (handled)
        {
            UserWindows::Of(*rt).Find(hDlg, state);
            return Msg == WM_INITDIALOG ? handled : state.msgResult;
        }
    }
    switch (Msg)
    {
    case WM_CLOSE:
        // Closing a dialog is pressing its Cancel button.
        PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                     reinterpret_cast<LPARAM>(UserWindows::Of(*rt).ChildWithId(hDlg, IDCANCEL)));
        return 0;
    case WM_COMMAND:
        return 0;
    default:
        return WindowCalls::Default(*rt, hDlg, Msg, wParam, lParam);
    }
}

BOOL WINAPI MapDialogRect(HWND hDlg, LPRECT lpRect)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, FALSE);
    WindowState state;
    if (!lpRect || !UserWindows::Of(*rt).Find(hDlg, state) || !state.dialog)
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    lpRect->left = PixelsX(lpRect->left);
    lpRect->right = PixelsX(lpRect->right);
    lpRect->top = PixelsY(lpRect->top);
    lpRect->bottom = PixelsY(lpRect->bottom);
    return TRUE;
}
