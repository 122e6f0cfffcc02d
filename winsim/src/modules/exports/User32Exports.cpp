// USER32 exports.
#include "ExportLists.h"
#include "modules/BuiltinModule.h"
#include "windows.h"

namespace winsim
{

void AddUser32Exports(BuiltinModule& module)
{
    module.Export("BeginPaint", BeginPaint);
    module.Export("CallWindowProcA", CallWindowProcA);
    module.Export("ClientToScreen", ClientToScreen);
    module.Export("CreateDialogParamA", CreateDialogParamA);
    module.Export("CreateWindowExA", CreateWindowExA);
    module.Export("DefDlgProcA", DefDlgProcA);
    module.Export("DefWindowProcA", DefWindowProcA);
    module.Export("DestroyWindow", DestroyWindow);
    module.Export("DialogBoxParamA", DialogBoxParamA);
    module.Export("DispatchMessageA", DispatchMessageA);
    module.Export("DrawIcon", DrawIcon);
    module.Export("DrawTextA", DrawTextA);
    module.Export("EnableWindow", EnableWindow);
    module.Export("EndDialog", EndDialog);
    module.Export("EndPaint", EndPaint);
    module.Export("EnumWindows", EnumWindows);
    module.Export("FillRect", FillRect);
    module.Export("FindWindowA", FindWindowA);
    module.Export("FrameRect", FrameRect);
    module.Export("GetClassInfoA", GetClassInfoA);
    module.Export("GetClassInfoExA", GetClassInfoExA);
    module.Export("GetClassNameA", GetClassNameA);
    module.Export("GetClientRect", GetClientRect);
    module.Export("GetDC", GetDC);
    module.Export("GetDlgCtrlID", GetDlgCtrlID);
    module.Export("GetDlgItem", GetDlgItem);
    module.Export("GetDlgItemTextA", GetDlgItemTextA);
    module.Export("GetFocus", GetFocus);
    module.Export("GetForegroundWindow", GetForegroundWindow);
    module.Export("GetMessageA", GetMessageA);
    module.Export("GetParent", GetParent);
    module.Export("GetSysColor", GetSysColor);
    module.Export("GetSysColorBrush", GetSysColorBrush);
    module.Export("GetSystemMetrics", GetSystemMetrics);
    module.Export("GetWindowLongA", GetWindowLongA);
    module.Export("GetWindowLongPtrA", GetWindowLongPtrA);
    module.Export("GetWindowRect", GetWindowRect);
    module.Export("GetWindowTextA", GetWindowTextA);
    module.Export("GetWindowTextLengthA", GetWindowTextLengthA);
    module.Export("GetWindowThreadProcessId", GetWindowThreadProcessId);
    module.Export("InvalidateRect", InvalidateRect);
    module.Export("IsDialogMessageA", IsDialogMessageA);
    module.Export("IsWindow", IsWindow);
    module.Export("IsWindowVisible", IsWindowVisible);
    module.Export("KillTimer", KillTimer);
    module.Export("LoadCursorA", LoadCursorA);
    module.Export("LoadIconA", LoadIconA);
    module.Export("LoadStringA", LoadStringA);
    module.Export("MapDialogRect", MapDialogRect);
    module.Export("MessageBoxA", MessageBoxA);
    module.Export("MessageBoxExA", MessageBoxExA);
    module.Export("MoveWindow", MoveWindow);
    module.Export("PeekMessageA", PeekMessageA);
    module.Export("PostMessageA", PostMessageA);
    module.Export("PostQuitMessage", PostQuitMessage);
    module.Export("PostThreadMessageA", PostThreadMessageA);
    module.Export("RedrawWindow", RedrawWindow);
    module.Export("RegisterClassA", RegisterClassA);
    module.Export("RegisterClassExA", RegisterClassExA);
    module.Export("ReleaseDC", ReleaseDC);
    module.Export("ScreenToClient", ScreenToClient);
    module.Export("SendDlgItemMessageA", SendDlgItemMessageA);
    module.Export("SendMessageA", SendMessageA);
    module.Export("SetDlgItemTextA", SetDlgItemTextA);
    module.Export("SetFocus", SetFocus);
    module.Export("SetForegroundWindow", SetForegroundWindow);
    module.Export("SetTimer", SetTimer);
    module.Export("SetWindowLongA", SetWindowLongA);
    module.Export("SetWindowLongPtrA", SetWindowLongPtrA);
    module.Export("SetWindowPos", SetWindowPos);
    module.Export("SetWindowTextA", SetWindowTextA);
    module.Export("ShowWindow", ShowWindow);
    module.Export("TranslateMessage", TranslateMessage);
    module.Export("UnregisterClassA", UnregisterClassA);
    module.Export("UpdateWindow", UpdateWindow);
}

} // namespace winsim
