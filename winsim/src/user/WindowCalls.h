// Calling a window of the attached process: its window procedure on its own thread (directly when the
// caller is that thread, through the thread's queue otherwise), and what DefWindowProcA does by default.
#pragma once

#include <cstdint>
#include <string>

#include "windows.h"

namespace winsim
{

class Runtime;

class WindowCalls
{
public:
    static uint32_t Value(HWND hwnd) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(hwnd)); }
    static HWND Hwnd(uint32_t value) { return reinterpret_cast<HWND>(static_cast<uintptr_t>(value)); }

    // True when the window belongs to this process and has a procedure here; `result` is its answer.
    static bool Send(Runtime& rt, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Calls a procedure as program code (its API calls count as the program's own).
    static LRESULT Call(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT Default(Runtime& rt, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    // The window's text changed: the machine's window table, the journal, and a repaint.
    static void StoreText(Runtime& rt, HWND hwnd, const std::string& text);
    // The frame of a top-level window (border, caption with its title) drawn into its pixels.
    static void PaintFrame(Runtime& rt, HWND hwnd);
    // Asks for the window and its children to be painted.
    static void InvalidateTree(Runtime& rt, HWND hwnd);
};

} // namespace winsim
