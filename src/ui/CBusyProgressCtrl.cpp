#include "CBusyProgressCtrl.h"

#include "common/CTraceScope.h"

WNDPROC CBusyProgressCtrl::s_pfnStaticProc = nullptr;

BOOL CBusyProgressCtrl::RegisterControlClass(HINSTANCE hInstance)
{
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    if (GetClassInfoExA(hInstance, CLASS_NAME, &wc))
        return TRUE;
    if (!GetClassInfoExA(nullptr, "STATIC", &wc))
    {
        TraceLine("ERROR: GetClassInfoExA(STATIC) failed, GetLastError = %lu\n",
                  static_cast<unsigned long>(GetLastError()));
        return FALSE;
    }
    s_pfnStaticProc = wc.lpfnWndProc;
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = hInstance;
    wc.lpszClassName = CLASS_NAME;
    wc.style &= ~CS_GLOBALCLASS;
    if (!RegisterClassExA(&wc))
    {
        TraceLine("ERROR: RegisterClassExA(%s) failed, GetLastError = %lu\n", CLASS_NAME,
                  static_cast<unsigned long>(GetLastError()));
        return FALSE;
    }
    return TRUE;
}

CBusyProgressCtrl::CBusyProgressCtrl(HWND hWnd) : m_hWnd(hWnd)
{
    m_crBkg = GetSysColor(COLOR_BTNFACE);
}

CBusyProgressCtrl::~CBusyProgressCtrl()
{
    StopAnimation();
}

CBusyProgressCtrl* CBusyProgressCtrl::FromWindow(HWND hWnd)
{
    return reinterpret_cast<CBusyProgressCtrl*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
}

LRESULT CALLBACK CBusyProgressCtrl::WindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    CBusyProgressCtrl* pThis = FromWindow(hWnd);
    if (uMsg == WM_NCCREATE && !pThis)
    {
        pThis = new CBusyProgressCtrl(hWnd);
        SetWindowLongPtrA(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pThis));
    }
    LRESULT lResult = 0;
    BOOL bHandled = FALSE;
    if (pThis)
        lResult = pThis->OnMessage(uMsg, wParam, lParam, bHandled);
    if (!bHandled)
        lResult = s_pfnStaticProc ? CallWindowProcA(s_pfnStaticProc, hWnd, uMsg, wParam, lParam)
                                  : DefWindowProcA(hWnd, uMsg, wParam, lParam);
    if (uMsg == WM_NCDESTROY && pThis)
    {
        SetWindowLongPtrA(hWnd, GWLP_USERDATA, 0);
        delete pThis;
    }
    return lResult;
}

LRESULT CBusyProgressCtrl::OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    bHandled = TRUE;
    const int nValue = static_cast<int>(static_cast<INT_PTR>(wParam));
    switch (uMsg)
    {
    case WM_CREATE:
    case WM_SIZE:
    case BPC_RECALC:
        Recalc();
        bHandled = uMsg == BPC_RECALC;
        return 0;
    case WM_ERASEBKGND:
        // Everything is painted in WM_PAINT, from one buffer.
        return 1;
    case WM_PAINT:
        Paint();
        return 0;
    case BPC_SETNUMBLOCKS:
        m_nNumBlocks = nValue > 0 ? nValue : 1;
        Recalc();
        Repaint();
        return 0;
    case BPC_SETPOS:
        m_nPos = nValue;
        Repaint();
        return 0;
    case BPC_SETGAP:
        m_nGap = nValue >= 0 ? nValue : 0;
        Recalc();
        Repaint();
        return 0;
    case BPC_SETSPEED:
        m_dwInterval = nValue > 0 ? static_cast<DWORD>(nValue) : 1;
        return 0;
    case BPC_SETRANGE:
        m_nLower = nValue;
        m_nUpper = static_cast<int>(lParam);
        return 0;
    case BPC_SETMODE:
        StopAnimation();
        m_nMode = nValue;
        if (m_nMode == MODE_PROGRESS)
            m_nStep = 1;
        return 0;
    case BPC_STARTBUSY:
        StartAnimation();
        return 0;
    case BPC_ENDBUSY:
        StopAnimation();
        return 0;
    case BPC_STEPIT:
        Step();
        return 0;
    case BPC_SETMOTION:
        m_nMotion = nValue;
        m_nStep = m_nMotion == MOTION_BACKWARDS ? -1 : 1;
        return 0;
    case BPC_SETBLOCKSTYLE:
        m_nBlockStyle = nValue;
        m_nPos = 0;
        Repaint();
        return 0;
    case BPC_SETRUNLENGTH:
        m_nRunLength = nValue > 0 ? nValue : 1;
        m_nPos = 0;
        Repaint();
        return 0;
    case BPC_SETCOLBKG:
        m_crBkg = static_cast<COLORREF>(wParam);
        Repaint();
        return 0;
    case BPC_SETCOLBLOCK:
        m_crBlock = static_cast<COLORREF>(wParam);
        Repaint();
        return 0;
    case BPC_SETCOLBLOCKBORDER:
        m_crBlockBorder = static_cast<COLORREF>(wParam);
        Repaint();
        return 0;
    case BPC_SETCOLLIT:
        m_crLit = static_cast<COLORREF>(wParam);
        Repaint();
        return 0;
    case BPC_SETCOLLITBORDER:
        m_crLitBorder = static_cast<COLORREF>(wParam);
        Repaint();
        return 0;
    case BPC_RESET:
        m_nPos = 0;
        return 0;
    case BPC_USESYSCOLBKG:
        m_bUseSysColBkg = wParam != 0;
        Repaint();
        return 0;
    case WM_DESTROY:
        StopAnimation();
        bHandled = FALSE;
        return 0;
    default:
        bHandled = FALSE;
        return 0;
    }
}

void CBusyProgressCtrl::Repaint()
{
    InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CBusyProgressCtrl::Recalc()
{
    GetClientRect(m_hWnd, &m_rcDraw);
    const int nWidth = m_rcDraw.right - m_rcDraw.left;
    m_dBlockWidth = static_cast<double>(nWidth - m_nNumBlocks * m_nGap) / m_nNumBlocks;
}

int CBusyProgressCtrl::Limit() const
{
    return m_nBlockStyle == BLOCK_RUN ? m_nRunLength * m_nNumBlocks : m_nNumBlocks;
}

void CBusyProgressCtrl::Step()
{
    if (m_nMode == MODE_BUSY)
    {
        const int nLimit = Limit();
        if (m_nMotion == MOTION_BOUNCE)
        {
            if (m_nPos >= nLimit - 1)
                m_nStep = -1;
            else if (m_nPos <= 0)
                m_nStep = 1;
        }
        else if (m_nMotion == MOTION_WRAP && m_nPos >= nLimit - 1)
            m_nPos = -1;
        else if (m_nMotion == MOTION_BACKWARDS && m_nPos <= 0)
            m_nPos = nLimit;
    }
    m_nPos += m_nStep;
    Repaint();
}

double CBusyProgressCtrl::LitFraction(int nIndex) const
{
    double dLit = 0.0;
    if (m_nMode == MODE_BUSY && m_nBlockStyle == BLOCK_SINGLE)
        return nIndex == m_nPos ? 1.0 : 0.0;
    if (m_nMode == MODE_BUSY)
        dLit = static_cast<double>(m_nPos) / Limit() * m_nNumBlocks;
    else
    {
        const int nSpan = m_nUpper - m_nLower;
        dLit = nSpan > 0 ? static_cast<double>(m_nPos - m_nLower) / nSpan * m_nNumBlocks : 0.0;
    }
    const double dFraction = dLit - nIndex;
    return dFraction >= 1.0 ? 1.0 : (dFraction > 0.0 ? dFraction : 0.0);
}

void CBusyProgressCtrl::DrawBlocks(HDC hdc)
{
    HBRUSH hBkg = CreateSolidBrush(m_bUseSysColBkg ? GetSysColor(COLOR_BTNFACE) : m_crBkg);
    if (hBkg)
    {
        FillRect(hdc, &m_rcDraw, hBkg);
        DeleteObject(hBkg);
    }
    HBRUSH hBlock = CreateSolidBrush(m_crBlock);
    HPEN hBlockPen = CreatePen(PS_SOLID, 1, m_crBlockBorder);
    HBRUSH hLit = CreateSolidBrush(m_crLit);
    HPEN hLitPen = CreatePen(PS_SOLID, 1, m_crLitBorder);
    if (!hBlock || !hBlockPen || !hLit || !hLitPen)
        TraceLine("ERROR: CBusyProgressCtrl : brushes and pens could not be made\n");
    HGDIOBJ hOldBrush = SelectObject(hdc, hBlock);
    HGDIOBJ hOldPen = SelectObject(hdc, hBlockPen);
    for (int i = 0; i < m_nNumBlocks; ++i)
    {
        const int nLeft = m_rcDraw.left + static_cast<int>(i * (m_dBlockWidth + m_nGap));
        const int nRight = m_rcDraw.left + static_cast<int>(i * (m_dBlockWidth + m_nGap) + m_dBlockWidth);
        const double dLit = LitFraction(i);
        const bool bWhole = dLit >= 1.0;
        SelectObject(hdc, bWhole ? hLit : hBlock);
        SelectObject(hdc, bWhole ? hLitPen : hBlockPen);
        Rectangle(hdc, nLeft, m_rcDraw.top, nRight, m_rcDraw.bottom);
        if (!bWhole && dLit > 0.0 && hLit)
        {
            // The last block of a run is lit up to the fraction, one pixel inside its border.
            RECT rcPart{nLeft + 1, m_rcDraw.top + 1, nLeft + 1 + static_cast<int>((nRight - nLeft - 2) * dLit),
                        m_rcDraw.bottom - 1};
            FillRect(hdc, &rcPart, hLit);
        }
    }
    SelectObject(hdc, hOldBrush);
    SelectObject(hdc, hOldPen);
    for (HGDIOBJ hObject : {static_cast<HGDIOBJ>(hBlock), static_cast<HGDIOBJ>(hBlockPen), static_cast<HGDIOBJ>(hLit),
                            static_cast<HGDIOBJ>(hLitPen)})
    {
        if (hObject)
            DeleteObject(hObject);
    }
}

void CBusyProgressCtrl::Paint()
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(m_hWnd, &ps);
    if (!hdc)
        return;
    const int nWidth = m_rcDraw.right - m_rcDraw.left;
    const int nHeight = m_rcDraw.bottom - m_rcDraw.top;
    // Drawn off screen, then copied in one go, so the blocks never flicker.
    HDC hMem = CreateCompatibleDC(hdc);
    HBITMAP hBitmap = hMem ? CreateCompatibleBitmap(hdc, nWidth, nHeight) : nullptr;
    if (hMem && hBitmap)
    {
        HGDIOBJ hOld = SelectObject(hMem, hBitmap);
        DrawBlocks(hMem);
        BitBlt(hdc, m_rcDraw.left, m_rcDraw.top, nWidth, nHeight, hMem, 0, 0, SRCCOPY);
        SelectObject(hMem, hOld);
    }
    else
        DrawBlocks(hdc);
    if (hBitmap)
        DeleteObject(hBitmap);
    if (hMem)
        DeleteDC(hMem);
    EndPaint(m_hWnd, &ps);
}

DWORD WINAPI CBusyProgressCtrl::AnimationThread(LPVOID pContext)
{
    auto* pThis = static_cast<CBusyProgressCtrl*>(pContext);
    while (pThis->m_bRunning.load())
    {
        PostMessageA(pThis->m_hWnd, BPC_STEPIT, 0, 0);
        WaitForSingleObject(pThis->m_hStop.Get(), pThis->m_dwInterval.load());
    }
    return 0;
}

void CBusyProgressCtrl::StartAnimation()
{
    // A previous thread ends first.
    StopAnimation();
    m_hStop.Reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!m_hStop)
    {
        TraceLine("ERROR: CBusyProgressCtrl : CreateEventA failed, GetLastError = %lu\n",
                  static_cast<unsigned long>(GetLastError()));
        return;
    }
    m_bRunning.store(TRUE);
    m_hThread.Reset(CreateThread(nullptr, 0, AnimationThread, this, 0, nullptr));
    if (!m_hThread)
    {
        TraceLine("ERROR: CBusyProgressCtrl : CreateThread failed, GetLastError = %lu\n",
                  static_cast<unsigned long>(GetLastError()));
        m_bRunning.store(FALSE);
        m_hStop.Reset();
    }
}

void CBusyProgressCtrl::StopAnimation()
{
    if (!m_hThread)
        return;
    m_bRunning.store(FALSE);
    SetEvent(m_hStop.Get());
    if (WaitForSingleObject(m_hThread.Get(), 2 * m_dwInterval.load()) != WAIT_OBJECT_0)
    {
        // It reads this object: it must end before the object may go.
        TraceLine("CBusyProgressCtrl : the animation thread is late, waiting for it\n");
        WaitForSingleObject(m_hThread.Get(), INFINITE);
    }
    m_hThread.Reset();
    m_hStop.Reset();
}
