// The busy indicator: a row of blocks drawn over a "STATIC" control (window class "BusyProgressCtrl"),
// lit one at a time or as a run, moved by its own animation thread. Busy mode shows motion; progress mode
// shows a value within a range. Every setting is a message (BPC_*, wParam the value unless noted); the
// control paints double-buffered. The animation thread only posts steps to the window, so the control's
// state belongs to the window's thread alone.
#pragma once

#include <atomic>

#include "platform/win32.h"
#include "platform/CScopedHandle.h"

enum BusyProgressMessage : UINT
{
    BPC_SETNUMBLOCKS = WM_USER + 1,
    BPC_SETPOS = WM_USER + 2,
    BPC_SETGAP = WM_USER + 3,
    BPC_SETSPEED = WM_USER + 4,
    BPC_SETRANGE = WM_USER + 5, // wParam low, lParam high
    BPC_SETMODE = WM_USER + 6,
    BPC_STARTBUSY = WM_USER + 7,
    BPC_ENDBUSY = WM_USER + 8,
    BPC_STEPIT = WM_USER + 9,
    BPC_SETMOTION = WM_USER + 10,
    BPC_SETBLOCKSTYLE = WM_USER + 11,
    BPC_SETRUNLENGTH = WM_USER + 12,
    BPC_SETCOLBKG = WM_USER + 13,
    BPC_SETCOLBLOCK = WM_USER + 14,
    BPC_SETCOLBLOCKBORDER = WM_USER + 15,
    BPC_SETCOLLIT = WM_USER + 16,
    BPC_SETCOLLITBORDER = WM_USER + 17,
    BPC_RECALC = WM_USER + 18,
    BPC_RESET = WM_USER + 19,
    BPC_USESYSCOLBKG = WM_USER + 20,
};

class CBusyProgressCtrl
{
public:
    static constexpr const char* CLASS_NAME = "BusyProgressCtrl";
    static constexpr int MODE_BUSY = 1;
    static constexpr int MODE_PROGRESS = 2;
    static constexpr int MOTION_BOUNCE = 1;
    static constexpr int MOTION_WRAP = 2;
    static constexpr int MOTION_BACKWARDS = 4;
    static constexpr int BLOCK_SINGLE = 1;
    static constexpr int BLOCK_RUN = 2;

    // Registers the class once per process (a superclass of "STATIC"); FALSE with a trace line on failure.
    static BOOL RegisterControlClass(HINSTANCE hInstance);

    // For tests: the state the window holds.
    int GetPosition() const { return m_nPos; }
    int GetDirection() const { return m_nStep; }
    // Whether block `nIndex` is lit, and how much of it (1.0 whole).
    double LitFraction(int nIndex) const;

    static CBusyProgressCtrl* FromWindow(HWND hWnd);

private:
    explicit CBusyProgressCtrl(HWND hWnd);
    ~CBusyProgressCtrl();

    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    static DWORD WINAPI AnimationThread(LPVOID pContext);
    LRESULT OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    void Recalc();
    void Step();
    int Limit() const;
    void Paint();
    void DrawBlocks(HDC hdc);
    void StartAnimation();
    void StopAnimation();
    void Repaint();

    static WNDPROC s_pfnStaticProc;

    HWND m_hWnd;
    int m_nNumBlocks = 10;
    int m_nPos = 0;
    int m_nStep = 1;
    int m_nGap = 1;
    int m_nMode = MODE_BUSY;
    BOOL m_bUseSysColBkg = TRUE;
    int m_nMotion = MOTION_BOUNCE;
    int m_nBlockStyle = BLOCK_SINGLE;
    std::atomic<DWORD> m_dwInterval{100};
    int m_nLower = 0;
    int m_nUpper = 100;
    int m_nRunLength = 5;
    COLORREF m_crBkg = 0;
    COLORREF m_crBlock = RGB(160, 190, 220);
    COLORREF m_crBlockBorder = RGB(50, 90, 135);
    COLORREF m_crLit = RGB(190, 220, 255);
    COLORREF m_crLitBorder = RGB(50, 90, 135);
    RECT m_rcDraw{};
    double m_dBlockWidth = 0.0;
    // The animation thread: its handle, its stop event and its running flag.
    CScopedKernelHandle m_hThread;
    CScopedKernelHandle m_hStop;
    std::atomic<BOOL> m_bRunning{FALSE};
};
