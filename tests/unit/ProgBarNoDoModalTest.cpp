// Engine phases on the worker thread behind the progress windows, driven by a test engine: which window a
// run shows (as `winsim screen` sees it), when Run returns, the counter thread's steps and polls, progress
// values the engine gets wrong, and a build without the windows' resources.
#include <gtest/gtest.h>
#include <png.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "FileText.h"
#include "TestMachine.h"
#include "common/SetupParms.h"
#include "platform/win32.h"
#include "ui/CProgBarNoDoModal.h"
#include "winsim/winsim.h"

namespace
{

// An engine whose every phase works for a while on the worker thread, looks at the screen once the
// window has had time to open, and reports progress.
class TestEngine : public IInstallEngine, public IUninstallEngine
{
public:
    DWORD dwWorkMs = 4000;
    BOOL bResult = TRUE;
    int nReport = -1;
    std::string csScreen;
    int nPercentSeen = -1;
    std::atomic<int> nPolls{0};
    std::atomic<int> nPhases{0};
    // Where to save a picture of the screen while the phase works; empty: none.
    std::string csPngPath;
    std::string csPngError;

    BOOL SetupInstallEnviroment(CProgBarNoDoModal* pProgress) override { return Work(pProgress); }
    BOOL Install(CProgBarNoDoModal* pProgress) override { return Work(pProgress); }
    BOOL InstallNoEnum(CProgBarNoDoModal* pProgress) override { return Work(pProgress); }
    void PollForPluggedInDevice() override { ++nPolls; }
    BOOL SetupUninstallEnviroment(SETUP_PARMS*) override { return Work(nullptr); }
    BOOL Uninstall(CProgBarNoDoModal* pProgress) override { return Work(pProgress); }

private:
    BOOL Work(CProgBarNoDoModal* pProgress)
    {
        Sleep(2500);
        csScreen = winsim::DescribeScreen();
        if (!csPngPath.empty() && !winsim::SaveScreenPng(csPngPath, csPngError))
            csPngPath.clear();
        if (pProgress && nReport >= 0)
            pProgress->SetProgress(nReport);
        if (pProgress)
            nPercentSeen = pProgress->GetPercent();
        Sleep(dwWorkMs > 2500 ? dwWorkMs - 2500 : 0);
        ++nPhases;
        return bResult;
    }
};

class ProgBarNoDoModalTest : public TestMachine
{
protected:
    void SetUp() override
    {
        TestMachine::SetUp();
        m_parms.hInstance = GetModuleHandleA(nullptr);
        m_parms.dwMode = SETUP_MODE_INSTALL;
    }

    int RunPhase(BOOL bPreparation, HMODULE hCustomUI = nullptr)
    {
        m_parms.pActiveEngine = (m_parms.dwMode & SETUP_MODE_INSTALL)
                                    ? static_cast<void*>(static_cast<IInstallEngine*>(&m_engine))
                                    : static_cast<void*>(static_cast<IUninstallEngine*>(&m_engine));
        CProgBarNoDoModal progress(&m_parms, bPreparation);
        const DWORD dwStart = GetTickCount();
        const int nResult = progress.Run(hCustomUI);
        m_dwElapsed = GetTickCount() - dwStart;
        m_nFinalPercent = progress.GetPercent();
        return nResult;
    }

    SETUP_PARMS m_parms;
    TestEngine m_engine;
    DWORD m_dwElapsed = 0;
    int m_nFinalPercent = 0;
};

bool Has(const std::string& text, const std::string& piece)
{
    return text.find(piece) != std::string::npos;
}

// How many pixels of a PNG file have this colour; -1 when the file cannot be read.
int CountPixels(const std::string& path, png_byte r, png_byte g, png_byte b)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return -1;
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr))
        return -1;
    int count = 0;
    for (size_t i = 0; i + 2 < pixels.size(); i += 3)
        count += pixels[i] == r && pixels[i + 1] == g && pixels[i + 2] == b;
    return count;
}

TEST_F(ProgBarNoDoModalTest, SilentRunsShowNoWindowAndReturnAfterTheWorker)
{
    m_parms.dwSetupConfig = SETUP_CFG_SILENT;
    EXPECT_EQ(CProgBarNoDoModal::RUN_SUCCEEDED, RunPhase(TRUE));
    EXPECT_EQ(1, m_engine.nPhases.load());
    EXPECT_TRUE(Has(m_engine.csScreen, "(none)")) << m_engine.csScreen;
    EXPECT_GE(m_dwElapsed, m_engine.dwWorkMs);
    EXPECT_EQ(100, m_nFinalPercent);

    m_engine.bResult = FALSE;
    EXPECT_EQ(CProgBarNoDoModal::RUN_FAILED, RunPhase(FALSE));
}

TEST_F(ProgBarNoDoModalTest, TheBusyWindowIsTheDefaultAndShowsThePhase)
{
    EXPECT_EQ(CProgBarNoDoModal::RUN_SUCCEEDED, RunPhase(TRUE));
    const std::string& screen = m_engine.csScreen;
    EXPECT_TRUE(Has(screen, "\"Device driver installation wizard\"  class #32770")) << screen;
    EXPECT_TRUE(Has(screen, "STATIC 1002  \"Initializing application...\"")) << screen;
    EXPECT_TRUE(Has(screen, "BusyProgressCtrl 1020")) << screen;
    EXPECT_FALSE(Has(screen, "msctls_progress32")) << screen;
    // The window closes within about a second of the worker's end, and is gone.
    EXPECT_LE(m_dwElapsed, m_engine.dwWorkMs + 1100);
    EXPECT_TRUE(Has(winsim::DescribeScreen(), "(none)"));

    m_parms.dwMode = SETUP_MODE_UNINSTALL;
    RunPhase(FALSE);
    EXPECT_TRUE(Has(m_engine.csScreen, "\"Device driver uninstallation wizard\"")) << m_engine.csScreen;
    EXPECT_TRUE(Has(m_engine.csScreen, "\"Uninstalling device drivers...\"")) << m_engine.csScreen;
}

TEST_F(ProgBarNoDoModalTest, APictureOfTheBusyWindowShowsItsLitBlock)
{
    const std::string path = std::string(DRVSETUP_BINARY_DIR) + "/screens/busy-window.png";
    std::remove(path.c_str());
    std::filesystem::create_directories(std::string(DRVSETUP_BINARY_DIR) + "/screens");
    m_engine.csPngPath = path;
    RunPhase(FALSE);
    ASSERT_FALSE(m_engine.csPngPath.empty()) << m_engine.csPngError;
    // Exactly one lit block: its fill, RGB(190, 220, 255), and many unlit ones.
    const int nLit = CountPixels(path, 190, 220, 255);
    const int nUnlit = CountPixels(path, 160, 190, 220);
    EXPECT_GT(nLit, 100);
    EXPECT_GT(nUnlit, 15 * nLit);
    // The caption bar of the window.
    EXPECT_GT(CountPixels(path, 0x0A, 0x24, 0x6A), 1000);
}

TEST_F(ProgBarNoDoModalTest, PB0AloneShowsTheStandardBarAndWithPB1TheBusyWindow)
{
    m_parms.dwMode |= SETUP_MODE_STANDARD_PROGBAR;
    m_engine.nReport = 60;
    std::filesystem::create_directories(std::string(DRVSETUP_BINARY_DIR) + "/screens");
    m_engine.csPngPath = std::string(DRVSETUP_BINARY_DIR) + "/screens/standard-window.png";
    RunPhase(FALSE);
    EXPECT_FALSE(m_engine.csPngPath.empty()) << m_engine.csPngError;
    EXPECT_TRUE(Has(m_engine.csScreen, "msctls_progress32 1000")) << m_engine.csScreen;
    EXPECT_TRUE(Has(m_engine.csScreen, "\"Installing device drivers...\"")) << m_engine.csScreen;
    // The bar follows the percent once a second: the counter's steps of 2, moved off 0 by the time the engine
    // looks. Which step the screen shows depends on when the window's thread last published it.
    EXPECT_TRUE(Has(m_engine.csScreen, "position 2 of 0-100") || Has(m_engine.csScreen, "position 4 of 0-100"))
        << m_engine.csScreen;

    m_parms.dwMode |= SETUP_MODE_BUSY_PROGBAR;
    m_engine.csPngPath.clear();
    RunPhase(FALSE);
    EXPECT_TRUE(Has(m_engine.csScreen, "BusyProgressCtrl 1020")) << m_engine.csScreen;
}

TEST_F(ProgBarNoDoModalTest, S4SuppressesTheWindowsOfBothPhases)
{
    m_parms.dwMode |= SETUP_MODE_NO_INSTALL_PROGBAR;
    RunPhase(TRUE);
    EXPECT_TRUE(Has(m_engine.csScreen, "(none)")) << m_engine.csScreen;
    RunPhase(FALSE);
    EXPECT_TRUE(Has(m_engine.csScreen, "(none)")) << m_engine.csScreen;
}

TEST_F(ProgBarNoDoModalTest, TheCounterStepsBelowOneHundredAndPollsOnlyInTheInstall)
{
    m_parms.dwSetupConfig = SETUP_CFG_SILENT;
    m_engine.dwWorkMs = 80000;
    RunPhase(FALSE);
    // 2 % a second would pass 100 after 50 s; only the worker's end reaches it.
    EXPECT_GE(m_engine.nPolls.load(), 70);
    EXPECT_EQ(100, m_nFinalPercent);
    const int nPolls = m_engine.nPolls.load();
    RunPhase(TRUE);
    EXPECT_EQ(nPolls, m_engine.nPolls.load()) << "the preparation does not poll";
    m_parms.dwMode = SETUP_MODE_UNINSTALL;
    RunPhase(FALSE);
    EXPECT_EQ(nPolls, m_engine.nPolls.load()) << "the uninstall does not poll";
}

TEST_F(ProgBarNoDoModalTest, ProgressValuesOutsideTheRangeDoNotEndThePhase)
{
    m_engine.nReport = 110;
    EXPECT_EQ(CProgBarNoDoModal::RUN_SUCCEEDED, RunPhase(FALSE));
    EXPECT_EQ(99, m_engine.nPercentSeen);
    EXPECT_GE(m_dwElapsed, m_engine.dwWorkMs);
    EXPECT_EQ(1, m_engine.nPhases.load());

    CProgBarNoDoModal progress(&m_parms, FALSE);
    progress.SetProgress(60);
    progress.SetProgress(40);
    EXPECT_EQ(60, progress.GetPercent()) << "the bar never moves backwards";
    progress.AddProgress(38);
    EXPECT_EQ(98, progress.GetPercent());
    progress.AddProgress(2);
    EXPECT_EQ(98, progress.GetPercent()) << "the counter alone never reaches 100";
    progress.SetProgress(0);
    EXPECT_EQ(0, progress.GetPercent()) << "except to 0";
    progress.SetProgress(-5);
    EXPECT_EQ(0, progress.GetPercent());
}

TEST_F(ProgBarNoDoModalTest, APreviewRunTakesFiveSecondsAndSucceeds)
{
    m_parms.dwSetupConfig = SETUP_CFG_PREVIEW;
    m_engine.bResult = FALSE;
    EXPECT_EQ(CProgBarNoDoModal::RUN_SUCCEEDED, RunPhase(TRUE));
    EXPECT_EQ(0, m_engine.nPhases.load());
    EXPECT_GE(m_dwElapsed, 5000u);
    EXPECT_LE(m_dwElapsed, 6100u);
}

TEST_F(ProgBarNoDoModalTest, WithoutTheWindowsResourcesThePhaseWaitsSilently)
{
    // A module with no dialogs stands for a build whose dialogs are missing.
    m_parms.hInstance = LoadLibraryA("SETUPAPI.DLL");
    ASSERT_NE(nullptr, m_parms.hInstance);
    EXPECT_EQ(CProgBarNoDoModal::RUN_SUCCEEDED, RunPhase(TRUE));
    EXPECT_TRUE(Has(m_engine.csScreen, "(none)")) << m_engine.csScreen;
    EXPECT_GE(m_dwElapsed, m_engine.dwWorkMs);
    FreeLibrary(m_parms.hInstance);
}

TEST_F(ProgBarNoDoModalTest, ACustomUIWithOnlyInstallProgBarReplacesOnlyTheMainPhase)
{
    ASSERT_TRUE(WriteWholeFile("C:\\TEST\\DVXCSTM.DLL",
                               "WINSIM-IMAGE 1\r\nKind=dll\r\nProgram=dvxcstm_sample\r\nMachine=x86\r\n"));
    HMODULE hCustomUI = LoadLibraryA("C:\\TEST\\DVXCSTM.DLL");
    ASSERT_NE(nullptr, hCustomUI);
    RunPhase(TRUE, hCustomUI);
    EXPECT_TRUE(Has(m_engine.csScreen, "BusyProgressCtrl 1020")) << m_engine.csScreen;
    RunPhase(FALSE, hCustomUI);
    EXPECT_TRUE(Has(m_engine.csScreen, "(none)")) << m_engine.csScreen;
    FreeLibrary(hCustomUI);
    std::string notes;
    ASSERT_TRUE(ReadWholeFile("C:\\TEST\\CUSTOMUI.TXT", notes));
    // The library saw the percent rise and returned at the worker's end.
    EXPECT_TRUE(Has(notes, "InstallProgBar 0\r\n")) << notes;
    EXPECT_TRUE(Has(notes, "InstallProgBar done 100\r\n")) << notes;
}

} // namespace
