// The USB plug-in prompt (dialog 147): asks the user to plug the device in, checks twice a second whether
// it has been found, and closes by itself after two minutes as if cancelled.
#pragma once

#include <atomic>
#include <string>

#include "CModalDialog.h"

// What the install orchestration tells the prompt.
struct ADSL_PROMPT
{
    std::string csTitle; // the single device to plug in, or empty
    HINSTANCE hInstance = nullptr;
    DWORD dwSetupConfig = 0;
};

class CAdslNoHwDlg : public CModalDialog
{
public:
    static constexpr UINT_PTR kTimerId = 10;
    static constexpr UINT kTimerMs = 500;
    static constexpr DWORD kLimitMs = 120000;

    // `pbDeviceGotPluggedIn` is set by another thread when the device is found.
    CAdslNoHwDlg(const ADSL_PROMPT* pPrompt, const std::atomic<BOOL>* pbDeviceGotPluggedIn);

protected:
    BOOL OnInitDialog() override;
    void OnTimer(UINT_PTR nIdEvent) override;
    BOOL OnCommand(WORD wId, WORD wNotify) override;

private:
    DWORD m_nElapsed = 0;
    UINT_PTR m_nTimer = 0;
    const std::atomic<BOOL>* m_pbDeviceGotPluggedIn;
    const ADSL_PROMPT* m_pPrompt;
};
