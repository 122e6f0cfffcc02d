#include "WindowCalls.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "MessageQueues.h"
#include "ScreenPublisher.h"
#include "UserWindows.h"
#include "core/Journal.h"
#include "core/Runtime.h"
#include "faults/FaultPoint.h"
#include "gdi/BitmapFont.h"
#include "gdi/GdiDraw.h"
#include "gdi/GdiObjects.h"
#include "kernel/CurrentThread.h"
#include "user/WindowTable.h"

namespace winsim
{

namespace
{

constexpr uint32_t kButtonFace = 0xD4D0C8;
constexpr uint32_t kCaption = 0x0A246A;

} // namespace

bool WindowCalls::Send(Runtime& rt, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    WindowState state;
    if (!UserWindows::Of(rt).Find(hwnd, state))
        return false;
    if (state.tid != CurrentThread::Id(rt))
    {
        result = MessageQueues::Of(rt).SendToThread(rt, state.tid, hwnd, msg, wParam, lParam);
        return true;
    }
    result = state.proc ? Call(state.proc, hwnd, msg, wParam, lParam) : Default(rt, hwnd, msg, wParam, lParam);
    return true;
}

LRESULT WindowCalls::Call(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    FaultPoint::Callback program;
    return proc(hwnd, msg, wParam, lParam);
}

void WindowCalls::StoreText(Runtime& rt, HWND hwnd, const std::string& text)
{
    WindowState state;
    UserWindows::Of(rt).Update(hwnd,
                               [&](WindowState& s)
                               {
                                   s.text = text;
                                   state = s;
                               });
    Store& store = rt.GetMachine().GetStore();
    {
        Transaction txn(store);
        WindowTable(store).SetTitle(Value(hwnd), text);
        char handle[16];
        std::snprintf(handle, sizeof(handle), "0x%08X", Value(hwnd));
        Journal::Record("window", "title", text, handle);
        txn.Commit();
    }
    if (!state.parent)
        PaintFrame(rt, hwnd);
    else
        MessageQueues::Of(rt).Invalidate(rt, state.tid, hwnd);
    ScreenPublisher::Touch();
}

void WindowCalls::PaintFrame(Runtime& rt, HWND hwnd)
{
    WindowState state;
    if (!UserWindows::Of(rt).Find(hwnd, state) || !state.surface)
        return;
    int frame = 0;
    int caption = 0;
    UserWindows::FrameOf(state.style, frame, caption);
    // The pixels are the window's own; a context over the whole of them draws the frame.
    DeviceContext dc;
    dc.target = state.surface;
    dc.clip = state.surface->Bounds();
    HDC hdc = GdiObjects::Instance().AddDc(dc);
    const PixelRect all = state.surface->Bounds();
    if (frame >= 2)
    {
        GdiDraw::Edge(hdc, all, false);
        GdiDraw::Frame(hdc, {2, 2, all.right - 2, all.bottom - 2}, kButtonFace);
    }
    else if (frame == 1)
        GdiDraw::Frame(hdc, all, 0x000000);
    if (caption)
    {
        const PixelRect bar{frame, frame, all.right - frame, frame + caption - 1};
        GdiDraw::Fill(hdc, bar, kCaption);
        GdiDraw::Fill(hdc, {bar.left, bar.bottom, bar.right, bar.bottom + 1}, kButtonFace);
        PixelRect title{bar.left + 4, bar.top, bar.right - 4, bar.bottom};
        GdiDraw::Text(hdc, title, state.text, DT_SINGLELINE | DT_VCENTER, 0xFFFFFF);
    }
    GdiObjects::Instance().DeleteDc(hdc);
    ScreenPublisher::Touch();
}

void WindowCalls::InvalidateTree(Runtime& rt, HWND hwnd)
{
    WindowState state;
    if (!UserWindows::Of(rt).Find(hwnd, state))
        return;
    MessageQueues::Of(rt).Invalidate(rt, state.tid, hwnd);
    for (HWND child : UserWindows::Of(rt).Children(hwnd))
        InvalidateTree(rt, child);
}

LRESULT WindowCalls::Default(Runtime& rt, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    WindowState state;
    const bool known = UserWindows::Of(rt).Find(hwnd, state);
    switch (msg)
    {
    case WM_NCCREATE:
    {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        if (known && create && create->lpszName && !IS_INTRESOURCE(create->lpszName))
            UserWindows::Of(rt).Update(hwnd, [&](WindowState& s) { s.text = create->lpszName; });
        return TRUE;
    }
    case WM_SETTEXT:
        StoreText(rt, hwnd, lParam ? reinterpret_cast<const char*>(lParam) : "");
        return TRUE;
    case WM_GETTEXTLENGTH:
        return known ? static_cast<LRESULT>(state.text.size()) : 0;
    case WM_GETTEXT:
    {
        if (!known || !lParam || wParam == 0)
            return 0;
        const size_t copied = std::min<size_t>(state.text.size(), wParam - 1);
        char* buffer = reinterpret_cast<char*>(lParam);
        std::memcpy(buffer, state.text.data(), copied);
        buffer[copied] = '\0';
        return static_cast<LRESULT>(copied);
    }
    case WM_SETFONT:
        UserWindows::Of(rt).Update(hwnd, [&](WindowState& s) { s.font = reinterpret_cast<HFONT>(wParam); });
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(state.font);
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_ERASEBKGND:
    {
        PixelRect client;
        if (!UserWindows::Of(rt).ClientRect(hwnd, client))
            return 0;
        GdiDraw::Fill(reinterpret_cast<HDC>(wParam), client, kButtonFace);
        return 1;
    }
    case WM_PAINT:
    {
        PAINTSTRUCT paint;
        BeginPaint(hwnd, &paint);
        EndPaint(hwnd, &paint);
        return 0;
    }
    default:
        return 0;
    }
}

} // namespace winsim
