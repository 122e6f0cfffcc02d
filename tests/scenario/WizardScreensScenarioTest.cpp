// The wizard as the user sees it, screen by screen (`winsim run --screens`): the splash with its picture
// stretched over the whole screen, the busy window of each phase, the confirmation list (Device / Task) and
// the result list (Device / Result), on the default machine with the sample package; and PREVIEW's two test
// rows in both lists, with nothing installed.
#include <gtest/gtest.h>
#include <png.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "SetupRunFixture.h"

namespace
{

const char* const OK_ON_LISTS = "--answer 'window:Device driver installation wizard=OK@3'";

// A PNG picture as rows of RGB bytes.
struct Picture
{
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;

    bool Load(const std::string& path)
    {
        png_image image;
        std::memset(&image, 0, sizeof(image));
        image.version = PNG_IMAGE_VERSION;
        if (!png_image_begin_read_from_file(&image, path.c_str()))
            return false;
        image.format = PNG_FORMAT_RGB;
        rgb.resize(PNG_IMAGE_SIZE(image));
        width = static_cast<int>(image.width);
        height = static_cast<int>(image.height);
        return png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr) != 0;
    }
    const unsigned char* At(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};

// Every line of a text that starts (after blanks) with the prefix, without the blanks.
std::vector<std::string> LinesStartingWith(const std::string& text, const std::string& prefix)
{
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < text.size())
    {
        size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(at, end - at);
        line.erase(0, line.find_first_not_of(' '));
        if (line.compare(0, prefix.size(), prefix) == 0)
            lines.push_back(line);
        at = end + 1;
    }
    return lines;
}

class WizardScreensScenarioTest : public SamplePackageRunFixture
{
protected:
    std::string ScreensDir() const { return MachineDir() + "/screens"; }

    // Runs Setup.exe interactively, OK pressed on each list; returns its exit code and fills m_screens.
    int RunWizard(const std::string& args)
    {
        const int code = Shell("'" + m_bin + "/winsim' run '" + MachineDir() + "' --screens '" + ScreensDir() + "' " +
                               OK_ON_LISTS + " -- 'C:\\DRIVERS\\Setup.exe' " + args);
        m_screens.clear();
        for (int n = 1; n < 100; ++n)
        {
            const std::string name = ScreensDir() + "/screen-" + (n < 10 ? "0" : "") + std::to_string(n) + ".txt";
            std::ifstream in(name);
            if (!in)
                break;
            m_screens.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        return code;
    }

    // The first screen from `from` on that has every one of the texts; -1 for none.
    int FindScreen(int from, const std::vector<std::string>& texts) const
    {
        for (int n = from < 0 ? 0 : from; n < static_cast<int>(m_screens.size()); ++n)
        {
            bool all = true;
            for (const std::string& text : texts)
                all = all && m_screens[n].find(text) != std::string::npos;
            if (all)
                return n;
        }
        return -1;
    }

    std::string AllScreens() const
    {
        std::string all;
        for (const std::string& screen : m_screens)
            all += screen;
        return all;
    }

    std::vector<std::string> m_screens;
};

TEST_F(WizardScreensScenarioTest, InstallShowsSplashBusyWindowsAndBothListsInOrder)
{
    RunWizard("-L");
    ASSERT_FALSE(m_screens.empty());

    // First the splash alone: a captionless window whose picture control holds a screen-sized bitmap.
    EXPECT_EQ(1u, LinesStartingWith(m_screens[0], "0x").size()) << m_screens[0];
    EXPECT_NE(std::string::npos, m_screens[0].find("STATIC 1015\n          bitmap 1024 x 768")) << m_screens[0];

    const int prepare = FindScreen(1, {"BusyProgressCtrl 1020", "Initializing application..."});
    const int confirm = FindScreen(prepare, {"columns: Device | Task", "Welcome to the device driver installation"});
    const int install = FindScreen(confirm, {"BusyProgressCtrl 1020", "Installing device drivers..."});
    const int results = FindScreen(install, {"columns: Device | Result", "Device driver installation complete."});
    ASSERT_TRUE(prepare > 0 && confirm > prepare && install > confirm && results > install) << AllScreens();

    // The list is 242 dialog units (363 pixels) wide, 361 inside its border: 65 % and 35 % of that, so
    // that the columns fill it without a horizontal scroll bar.
    const std::string& confirmation = m_screens[confirm];
    EXPECT_NE(std::string::npos, confirmation.find("column widths: 234 | 126")) << confirmation;
    const std::vector<std::string> tasks = LinesStartingWith(confirmation, "row: ");
    ASSERT_FALSE(tasks.empty()) << confirmation;
    bool bInstall = false;
    bool bUpgrade = false;
    for (const std::string& row : tasks)
    {
        bInstall = bInstall || row.find(" | INSTALL") != std::string::npos;
        bUpgrade = bUpgrade || row.find(" | UPGRADE") != std::string::npos;
    }
    // The sample package's audio function has an older driver of the package already: an upgrade.
    EXPECT_TRUE(bInstall && bUpgrade) << confirmation;
    EXPECT_NE(std::string::npos, confirmation.find("\"&OK\"")) << confirmation;
    EXPECT_NE(std::string::npos, confirmation.find("\"&CANCEL\"")) << confirmation;

    // The result list: one SUCCESS or FAILURE per row, and no Cancel button.
    const std::string& result = m_screens[results];
    const std::vector<std::string> outcomes = LinesStartingWith(result, "row: ");
    ASSERT_FALSE(outcomes.empty()) << result;
    for (const std::string& row : outcomes)
        EXPECT_TRUE(row.find(" | SUCCESS") != std::string::npos || row.find(" | FAILURE") != std::string::npos) << row;
    EXPECT_NE(std::string::npos, result.find("\"&OK\"")) << result;
    EXPECT_EQ(std::string::npos, result.find("CANCEL")) << result;

    // The splash's picture as the screen shows it: the package's image stretched from 320 x 240 to 1024 x 768
    // (a light-blue sky at the top, dark blue at the bottom, a word in white), not winsim's stand-in art.
    Picture splash;
    ASSERT_TRUE(splash.Load(ScreensDir() + "/screen-01.png"));
    ASSERT_EQ(1024, splash.width);
    ASSERT_EQ(768, splash.height);
    const unsigned char* top = splash.At(512, 4);
    const unsigned char* bottom = splash.At(512, 764);
    EXPECT_GT(top[2], 200) << "top blue " << int(top[2]);
    EXPECT_LT(bottom[2], 130) << "bottom blue " << int(bottom[2]);
    int nWhite = 0;
    for (int y = 0; y < splash.height; ++y)
        for (int x = 0; x < splash.width; ++x)
            nWhite += splash.At(x, y)[0] == 255 && splash.At(x, y)[1] == 255 && splash.At(x, y)[2] == 255;
    // The five letters: 74 lit cells of 8 x 8 image pixels, each 3.2 times wider and taller on screen.
    EXPECT_NEAR(74 * 64 * 3.2 * 3.2, nWhite, 74 * 64 * 3.2 * 3.2 * 0.05);
}

TEST_F(WizardScreensScenarioTest, PreviewShowsTheTwoTestRowsInBothListsAndInstallsNothing)
{
    const std::string before = Winsim("devices '" + MachineDir() + "'");
    EXPECT_EQ(0, RunWizard("-PREVIEW"));
    const int confirm = FindScreen(0, {"columns: Device | Task"});
    const int results = FindScreen(confirm, {"columns: Device | Result"});
    ASSERT_TRUE(confirm >= 0 && results > confirm) << AllScreens();
    EXPECT_EQ((std::vector<std::string>{"row: Test Modem #1 | INSTALL", "row: Test Modem #2 | UPGRADE"}),
              LinesStartingWith(m_screens[confirm], "row: "));
    EXPECT_EQ((std::vector<std::string>{"row: Test Modem #1 | SUCCESS", "row: Test Modem #2 | FAILURE"}),
              LinesStartingWith(m_screens[results], "row: "));
    EXPECT_EQ(before, Winsim("devices '" + MachineDir() + "'"));
}

} // namespace
