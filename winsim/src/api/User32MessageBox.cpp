// USER32 MessageBoxA and MessageBoxExA, headless: the box is answered at once, by the process's answer
// script (messagebox/MessageBoxAnswers.h) or with its default button, and recorded in table message_boxes
// and in the journal ("ui messagebox", caption, text => answer) for `winsim screen` and the tests. The
// language of MessageBoxExA only changes the button captions, which nobody reads here.
#include "core/Journal.h"
#include "core/Runtime.h"
#include "faults/FaultPoint.h"
#include "messagebox/MessageBoxAnswers.h"
#include "messagebox/MessageBoxStyle.h"
#include "windows.h"

using namespace winsim;

namespace
{

void Record(Runtime& rt, HWND owner, const std::string& caption, const std::string& text, UINT style, int answer,
            const std::string& note)
{
    Store& store = rt.GetMachine().GetStore();
    Transaction txn(store);
    {
        Statement insert = store.Prepare("INSERT INTO message_boxes(time_ms, pid, owner, caption, text, style, answer) "
                                         "VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7)");
        insert.Bind(1, static_cast<int64_t>(rt.GetClock().NowMs()))
            .Bind(2, rt.Pid())
            .Bind(3, static_cast<int64_t>(reinterpret_cast<uintptr_t>(owner)))
            .Bind(4, caption)
            .Bind(5, text)
            .Bind(6, static_cast<int64_t>(style))
            .Bind(7, answer);
        insert.Run();
    }
    Journal::Record("ui", "messagebox", caption, text + " => " + MessageBoxStyle::Name(answer) + note);
    txn.Commit();
}

} // namespace

int WINAPI MessageBoxExA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType, WORD /*wLanguageId*/)
{
    WINSIM_FAULT_POINT_ATTACHED(rt, 0);
    if (!MessageBoxStyle::Valid(uType))
    {
        SetLastError(ERROR_INVALID_MSGBOX_STYLE);
        return 0;
    }
    if (hWnd && !IsWindow(hWnd))
    {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    // A box without a caption is titled "Error", as Windows titles it.
    const std::string caption = lpCaption ? lpCaption : "Error";
    const std::string text = lpText ? lpText : "";
    const int wanted = MessageBoxAnswers::Next(caption, text);
    int answer = wanted ? MessageBoxStyle::Resolve(uType, wanted) : 0;
    std::string note;
    if (wanted && !answer)
        note = " (the box has no button for " + MessageBoxStyle::Name(wanted) + ")";
    if (!answer)
        answer = MessageBoxStyle::DefaultAnswer(uType);
    Record(*rt, hWnd, caption, text, uType, answer, note);
    return answer;
}

int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType)
{
    WINSIM_FAULT_POINT(0);
    return MessageBoxExA(hWnd, lpText, lpCaption, uType, 0);
}
