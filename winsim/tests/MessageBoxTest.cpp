// MessageBoxA headless: the default button of each style, scripted answers, and what is recorded of every
// box (table message_boxes and the journal).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "TestMachine.h"
#include "core/Runtime.h"
#include "messagebox/MessageBoxAnswers.h"
#include "windows.h"
#include "winsim/winsim.h"

namespace
{

class MessageBoxTest : public TestMachine
{
protected:
    void Script(const std::vector<std::string>& rules)
    {
        std::string error;
        ASSERT_TRUE(winsim::SetMessageBoxAnswers(rules, error)) << error;
    }

    struct Shown
    {
        std::string caption, text;
        int64_t style, answer, pid;
    };
    static std::vector<Shown> Recorded()
    {
        std::vector<Shown> shown;
        winsim::Statement rows = winsim::Runtime::Current()->GetMachine().GetStore().Prepare(
            "SELECT caption, text, style, answer, pid FROM message_boxes ORDER BY seq");
        while (rows.Step())
            shown.push_back({rows.Text(0), rows.Text(1), rows.Int(2), rows.Int(3), rows.Int(4)});
        return shown;
    }
    static std::vector<std::string> Journalled()
    {
        std::vector<std::string> entries;
        winsim::Statement rows = winsim::Runtime::Current()->GetMachine().GetStore().Prepare(
            "SELECT target, detail FROM journal WHERE kind = 'ui' AND op = 'messagebox' ORDER BY seq");
        while (rows.Step())
            entries.push_back(rows.Text(0) + " | " + rows.Text(1));
        return entries;
    }
};

} // namespace

TEST_F(MessageBoxTest, UnscriptedBoxesTakeTheirDefaultButton)
{
    struct Case
    {
        UINT style;
        int answer;
    } cases[] = {
        {MB_OK, IDOK},
        {MB_OKCANCEL, IDOK},
        {MB_OKCANCEL | MB_DEFBUTTON2, IDCANCEL},
        {MB_YESNO | MB_DEFBUTTON2 | MB_ICONWARNING, IDNO},
        {MB_YESNOCANCEL | MB_DEFBUTTON3, IDCANCEL},
        {MB_ABORTRETRYIGNORE | MB_DEFBUTTON2, IDRETRY},
        {MB_RETRYCANCEL, IDRETRY},
        {MB_CANCELTRYCONTINUE | MB_DEFBUTTON3, IDCONTINUE},
        {MB_YESNO | MB_DEFBUTTON3, IDYES},       // no third button: the first
        {MB_OK | MB_HELP | MB_DEFBUTTON2, IDOK}, // Help does not close the box
        {MB_YESNO | MB_HELP | MB_DEFBUTTON4, IDYES},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.answer, MessageBoxA(nullptr, "text", "caption", c.style)) << "style 0x" << std::hex << c.style;
}

TEST_F(MessageBoxTest, EveryBoxIsRecordedWithItsAnswer)
{
    ASSERT_EQ(IDNO, MessageBoxA(nullptr, "Plug in your USB Device now.", "WARNING", MB_YESNO | MB_DEFBUTTON2));
    ASSERT_EQ(IDOK, MessageBoxExA(nullptr, nullptr, nullptr, MB_OK, MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN)));
    const std::vector<Shown> shown = Recorded();
    ASSERT_EQ(2u, shown.size());
    EXPECT_EQ("WARNING", shown[0].caption);
    EXPECT_EQ("Plug in your USB Device now.", shown[0].text);
    EXPECT_EQ(static_cast<int64_t>(MB_YESNO | MB_DEFBUTTON2), shown[0].style);
    EXPECT_EQ(IDNO, shown[0].answer);
    EXPECT_EQ(static_cast<int64_t>(GetCurrentProcessId()), shown[0].pid);
    // No caption is the caption "Error"; no text an empty one.
    EXPECT_EQ("Error", shown[1].caption);
    EXPECT_EQ("", shown[1].text);
    EXPECT_EQ((std::vector<std::string>{"WARNING | Plug in your USB Device now. => IDNO", "Error |  => IDOK"}),
              Journalled());
}

TEST_F(MessageBoxTest, RulesMatchCaptionOrTextAndTheFirstMatchAnswers)
{
    Script({"WARNING=IDCANCEL", "text:*device*=yes", "Device driver*=2", "*=IDNO"});
    EXPECT_EQ(IDCANCEL, MessageBoxA(nullptr, "Plug in your DSL Device now.", "warning", MB_OKCANCEL));
    EXPECT_EQ(IDYES, MessageBoxA(nullptr, "Install the device drivers?", "Question", MB_YESNO | MB_DEFBUTTON2));
    EXPECT_EQ(IDCANCEL, MessageBoxA(nullptr, "Quit?", "Device driver installation wizard", MB_OKCANCEL));
    EXPECT_EQ(IDNO, MessageBoxA(nullptr, "Anything", "Other", MB_YESNOCANCEL));
}

TEST_F(MessageBoxTest, AnswerListsGoOneBoxEachAndTheLastStays)
{
    Script({"ERROR=IDRETRY,IDRETRY,IDCANCEL", "IDNO,default"});
    EXPECT_EQ(IDRETRY, MessageBoxA(nullptr, "1", "ERROR", MB_RETRYCANCEL));
    EXPECT_EQ(IDNO, MessageBoxA(nullptr, "a", "Question", MB_YESNO));
    EXPECT_EQ(IDRETRY, MessageBoxA(nullptr, "2", "ERROR", MB_RETRYCANCEL));
    EXPECT_EQ(IDCANCEL, MessageBoxA(nullptr, "3", "ERROR", MB_RETRYCANCEL));
    EXPECT_EQ(IDCANCEL, MessageBoxA(nullptr, "4", "ERROR", MB_RETRYCANCEL));
    // "default" is the box's own default button.
    EXPECT_EQ(IDNO, MessageBoxA(nullptr, "b", "Question", MB_YESNO | MB_DEFBUTTON2));
    EXPECT_EQ(IDYES, MessageBoxA(nullptr, "c", "Question", MB_YESNO));
}

TEST_F(MessageBoxTest, AnswersTheBoxCannotGiveFallToItsDefault)
{
    Script({"Yes=IDYES", "Cancel=IDCANCEL"});
    EXPECT_EQ(IDCANCEL, MessageBoxA(nullptr, "t", "Yes", MB_OKCANCEL | MB_DEFBUTTON2));
    // Escape on a box whose only button is OK answers OK; on Yes/No it does nothing.
    EXPECT_EQ(IDOK, MessageBoxA(nullptr, "t", "Cancel", MB_OK));
    EXPECT_EQ(IDNO, MessageBoxA(nullptr, "t", "Cancel", MB_YESNO | MB_DEFBUTTON2));
    const std::vector<std::string> journal = Journalled();
    ASSERT_EQ(3u, journal.size());
    EXPECT_EQ("Yes | t => IDCANCEL (the box has no button for IDYES)", journal[0]);
}

TEST_F(MessageBoxTest, InvalidStyleAndOwnerFail)
{
    SetLastError(0);
    EXPECT_EQ(0, MessageBoxA(nullptr, "t", "c", 7));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_MSGBOX_STYLE), GetLastError());
    EXPECT_EQ(0, MessageBoxA(reinterpret_cast<HWND>(0x7FFF0000), "t", "c", MB_OK));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE), GetLastError());
    EXPECT_TRUE(Recorded().empty());
}

TEST_F(MessageBoxTest, MalformedRulesAreRefused)
{
    std::string error;
    EXPECT_FALSE(winsim::CheckMessageBoxAnswer("WARNING=MAYBE", error));
    EXPECT_NE(std::string::npos, error.find("MAYBE"));
    EXPECT_FALSE(winsim::CheckMessageBoxAnswer("WARNING=", error));
    EXPECT_FALSE(winsim::CheckMessageBoxAnswer("IDOK,,IDNO", error));
    EXPECT_TRUE(winsim::CheckMessageBoxAnswer("a=b=IDOK", error)) << "the last '=' ends the pattern";
    EXPECT_TRUE(winsim::CheckMessageBoxAnswer("7", error));
    // A bad rule leaves the script as it was.
    Script({"*=IDCANCEL"});
    EXPECT_FALSE(winsim::SetMessageBoxAnswers({"*=IDOK", "x=nonsense"}, error));
    EXPECT_EQ(IDCANCEL, MessageBoxA(nullptr, "t", "c", MB_OKCANCEL));
}

TEST_F(MessageBoxTest, RulesFromTheEnvironmentAreReadOneALine)
{
    setenv(winsim::kEnvAnswers, "WARNING=IDOK\ntext:Plug*=IDCANCEL\n", 1);
    std::vector<std::string> rules;
    std::string error;
    EXPECT_TRUE(winsim::MessageBoxAnswers::ReadEnvironment(rules, error)) << error;
    EXPECT_EQ((std::vector<std::string>{"WARNING=IDOK", "text:Plug*=IDCANCEL"}), rules);
    setenv(winsim::kEnvAnswers, "WARNING=IDMAYBE", 1);
    EXPECT_FALSE(winsim::MessageBoxAnswers::ReadEnvironment(rules, error));
    EXPECT_NE(std::string::npos, error.find(winsim::kEnvAnswers));
    unsetenv(winsim::kEnvAnswers);
    EXPECT_TRUE(winsim::MessageBoxAnswers::ReadEnvironment(rules, error));
    EXPECT_TRUE(rules.empty());
}

TEST_F(MessageBoxTest, ScriptBelongsToTheProcessThatSetIt)
{
    Script({"*=IDCANCEL"});
    const std::string machine = MachineDir();
    winsim::Detach(0);
    winsim::AttachOptions options;
    options.machineDir = machine;
    options.imagePath = "C:\\TEST\\second.exe";
    std::string error;
    ASSERT_TRUE(winsim::Attach(options, error)) << error;
    EXPECT_EQ(IDOK, MessageBoxA(nullptr, "t", "c", MB_OKCANCEL)) << "a new process starts without rules";
}
