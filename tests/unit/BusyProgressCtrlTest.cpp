// The busy indicator on its own: the animation steps of each motion and block style, the lit blocks, what
// it paints (double-buffered into the window's pixels), and its animation thread.
#include <gtest/gtest.h>

#include <vector>

#include "TestMachine.h"
#include "platform/win32.h"
#include "ui/CBusyProgressCtrl.h"

namespace
{

class BusyProgressCtrlTest : public TestMachine
{
protected:
    void SetUp() override
    {
        TestMachine::SetUp();
        ASSERT_TRUE(CBusyProgressCtrl::RegisterControlClass(GetModuleHandleA(nullptr)));
        m_hParent = CreateWindowExA(0, "STATIC", "Busy", WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, 0, 230, 60, nullptr,
                                    nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, m_hParent);
        m_hCtrl = CreateWindowExA(0, CBusyProgressCtrl::kClassName, "", WS_CHILD | WS_VISIBLE, 5, 5, 210, 20, m_hParent,
                                  reinterpret_cast<HMENU>(1020), GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(nullptr, m_hCtrl);
        m_pCtrl = CBusyProgressCtrl::FromWindow(m_hCtrl);
        ASSERT_NE(nullptr, m_pCtrl);
    }

    void TearDown() override
    {
        DestroyWindow(m_hParent);
        TestMachine::TearDown();
    }

    // The positions after each of `count` steps.
    std::vector<int> Steps(int count)
    {
        std::vector<int> positions;
        for (int i = 0; i < count; ++i)
        {
            SendMessageA(m_hCtrl, BPC_STEPIT, 0, 0);
            positions.push_back(m_pCtrl->GetPosition());
        }
        return positions;
    }

    // Runs the thread's message loop for `ms` of virtual time.
    void Pump(UINT ms)
    {
        const UINT_PTR timer = SetTimer(nullptr, 0, ms, nullptr);
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0))
        {
            if (msg.message == WM_TIMER && msg.hwnd == nullptr && msg.wParam == timer)
                break;
            DispatchMessageA(&msg);
        }
        KillTimer(nullptr, timer);
    }

    HWND m_hParent = nullptr;
    HWND m_hCtrl = nullptr;
    CBusyProgressCtrl* m_pCtrl = nullptr;
};

TEST_F(BusyProgressCtrlTest, BounceGoesBetweenTheEnds)
{
    SendMessageA(m_hCtrl, BPC_SETNUMBLOCKS, 4, 0);
    EXPECT_EQ((std::vector<int>{1, 2, 3, 2, 1, 0, 1}), Steps(7));
}

TEST_F(BusyProgressCtrlTest, WrapStartsAgainAndBackwardsRunsTheOtherWay)
{
    SendMessageA(m_hCtrl, BPC_SETNUMBLOCKS, 4, 0);
    SendMessageA(m_hCtrl, BPC_SETMOTION, CBusyProgressCtrl::kMotionWrap, 0);
    EXPECT_EQ((std::vector<int>{1, 2, 3, 0, 1}), Steps(5));
    SendMessageA(m_hCtrl, BPC_RESET, 0, 0);
    SendMessageA(m_hCtrl, BPC_SETMOTION, CBusyProgressCtrl::kMotionBackwards, 0);
    EXPECT_EQ((std::vector<int>{3, 2, 1, 0, 3}), Steps(5));
}

TEST_F(BusyProgressCtrlTest, ARunOfBlocksCountsInRunLengthUnits)
{
    SendMessageA(m_hCtrl, BPC_SETNUMBLOCKS, 4, 0);
    SendMessageA(m_hCtrl, BPC_SETBLOCKSTYLE, CBusyProgressCtrl::kBlockRun, 0);
    SendMessageA(m_hCtrl, BPC_SETRUNLENGTH, 2, 0);
    // The limit is 2 x 4: the bounce turns at 7.
    const std::vector<int> positions = Steps(8);
    EXPECT_EQ(7, positions[6]);
    EXPECT_EQ(6, positions[7]);
    // Position 6 of 8 lights 3 blocks; 5 of 8 lights 2.5.
    EXPECT_DOUBLE_EQ(1.0, m_pCtrl->LitFraction(2));
    EXPECT_DOUBLE_EQ(0.0, m_pCtrl->LitFraction(3));
    SendMessageA(m_hCtrl, BPC_SETPOS, 5, 0);
    EXPECT_DOUBLE_EQ(0.5, m_pCtrl->LitFraction(2));
    // Progress mode: a value within the range.
    SendMessageA(m_hCtrl, BPC_SETMODE, CBusyProgressCtrl::kModeProgress, 0);
    SendMessageA(m_hCtrl, BPC_SETRANGE, static_cast<WPARAM>(-100), 100);
    SendMessageA(m_hCtrl, BPC_SETPOS, 0, 0);
    EXPECT_DOUBLE_EQ(1.0, m_pCtrl->LitFraction(1));
    EXPECT_DOUBLE_EQ(0.0, m_pCtrl->LitFraction(2));
}

TEST_F(BusyProgressCtrlTest, OnlyTheBlockAtThePositionIsLitOnScreen)
{
    SendMessageA(m_hCtrl, BPC_SETNUMBLOCKS, 10, 0);
    SendMessageA(m_hCtrl, BPC_SETPOS, 3, 0);
    UpdateWindow(m_hCtrl);
    HDC hdc = GetDC(m_hCtrl);
    ASSERT_NE(nullptr, hdc);
    // Blocks are (210 - 10) / 10 = 20 pixels wide with a gap of 1: block i starts at 21 i.
    EXPECT_EQ(RGB(190, 220, 255), GetPixel(hdc, 3 * 21 + 10, 10));
    EXPECT_EQ(RGB(50, 90, 135), GetPixel(hdc, 3 * 21, 10)) << "the lit block's border";
    EXPECT_EQ(RGB(160, 190, 220), GetPixel(hdc, 4 * 21 + 10, 10));
    EXPECT_EQ(RGB(160, 190, 220), GetPixel(hdc, 10, 10));
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), GetPixel(hdc, 20, 10)) << "the gap shows the background";
    ReleaseDC(m_hCtrl, hdc);
}

TEST_F(BusyProgressCtrlTest, TheAnimationThreadStepsEveryIntervalUntilStopped)
{
    SendMessageA(m_hCtrl, BPC_SETNUMBLOCKS, 20, 0);
    SendMessageA(m_hCtrl, BPC_SETSPEED, 100, 0);
    SendMessageA(m_hCtrl, BPC_STARTBUSY, 0, 0);
    Pump(1050);
    const int nMoved = m_pCtrl->GetPosition();
    EXPECT_GE(nMoved, 9);
    EXPECT_LE(nMoved, 12);
    SendMessageA(m_hCtrl, BPC_ENDBUSY, 0, 0);
    Pump(1000);
    EXPECT_EQ(nMoved, m_pCtrl->GetPosition()) << "no step after the stop";
    // A second start after a stop, and destroying the window while it runs, end the thread cleanly.
    SendMessageA(m_hCtrl, BPC_STARTBUSY, 0, 0);
    Pump(300);
    EXPECT_GT(m_pCtrl->GetPosition(), nMoved);
}

} // namespace
