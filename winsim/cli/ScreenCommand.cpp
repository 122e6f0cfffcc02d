// screen: what is on the machine's screen, as text (and with --png FILE as a picture). The visible top-level
// windows, topmost first, with their controls, and the message boxes shown by the last program started from outside the
// machine (and by the processes it started), each with its buttons and the answer it got.
#include <cinttypes>
#include <cstdio>

#include "Commands.h"
#include "core/Machine.h"
#include "messagebox/MessageBoxStyle.h"
#include "user/ScreenText.h"

namespace
{

// Continuation lines of a message text, indented under its first line.
std::string Indented(const std::string& text, const char* indent)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] == '\r')
            continue;
        out += text[i];
        if (text[i] == '\n' && i + 1 < text.size())
            out += indent;
    }
    return out;
}

void PrintMessageBoxes(winsim::Store& store)
{
    int64_t pid = 0;
    std::string image;
    {
        // Processes started from outside the machine have no parent; declared ones have no host process.
        winsim::Statement last = store.Prepare(
            "SELECT pid, image FROM processes WHERE parent = 0 AND host_pid <> 0 ORDER BY pid DESC LIMIT 1");
        if (!last.Step())
        {
            std::printf("Message boxes: no program has run.\n");
            return;
        }
        pid = last.Int(0);
        image = last.Text(1);
    }
    std::printf("Message boxes of process %" PRId64 " (%s) and the processes it started:\n", pid, image.c_str());
    winsim::Statement rows = store.Prepare(
        "WITH RECURSIVE tree(pid) AS (SELECT ?1 UNION SELECT p.pid FROM processes p JOIN tree t ON p.parent = t.pid) "
        "SELECT pid, caption, text, style, answer FROM message_boxes WHERE pid IN tree ORDER BY seq");
    rows.Bind(1, pid);
    bool any = false;
    while (rows.Step())
    {
        any = true;
        const uint32_t style = static_cast<uint32_t>(rows.Int(3));
        std::printf("  [%s]  pid %" PRId64 "\n    %s\n    buttons: %s (default %s)  answer: %s\n", rows.Text(1).c_str(),
                    rows.Int(0), Indented(rows.Text(2), "    ").c_str(),
                    winsim::MessageBoxStyle::ButtonText(style).c_str(),
                    winsim::MessageBoxStyle::Name(winsim::MessageBoxStyle::DefaultAnswer(style)).c_str(),
                    winsim::MessageBoxStyle::Name(static_cast<int>(rows.Int(4))).c_str());
    }
    if (!any)
        std::printf("  (none)\n");
}

} // namespace

int CommandScreen(const Args& args)
{
    const bool png = args.size() == 3 && args[1] == "--png";
    if (args.size() != 1 && !png)
        return Fail("usage: winsim screen DIR [--png FILE]");
    winsim::Machine machine;
    std::string error;
    if (!machine.Open(args[0], error))
        return Fail(error);
    if (png && !winsim::ScreenText::SavePng(machine.GetStore(), args[2], error))
        return Fail(error);
    std::fputs(winsim::ScreenText::Windows(machine.GetStore()).c_str(), stdout);
    PrintMessageBoxes(machine.GetStore());
    return 0;
}
