// A fresh machine with what the application object owns during a run: the device layer, made when the
// machine is attached, and on request the trace log. Both go before the machine does, so no test leaves
// either behind for the next one.
#pragma once

#include <memory>
#include <string>

#include "FileText.h"
#include "TestMachine.h"
#include "common/CTraceLog.h"
#include "devapi/KDeviceApi.h"

class ProductMachine : public TestMachine
{
protected:
    void SetUp() override
    {
        TestMachine::SetUp();
        m_pDeviceApi = std::make_unique<KDeviceApi>();
    }
    void TearDown() override
    {
        m_pTraceLog.reset();
        m_pDeviceApi.reset();
        TestMachine::TearDown();
    }

    // Logging on, without a file until SetLogFile.
    CTraceLog* StartTraceLog()
    {
        if (!m_pTraceLog)
            m_pTraceLog = std::make_unique<CTraceLog>();
        return m_pTraceLog.get();
    }
    void StopTraceLog() { m_pTraceLog.reset(); }
    // Logging on into a file of the machine, started afresh.
    void StartTraceLogTo(const char* pszPath)
    {
        StartTraceLog()->SetLogFile(pszPath, TRUE);
        m_pTraceLog->Open();
        m_csLogPath = pszPath;
    }
    // What that file holds, with logging off.
    std::string TraceLogText()
    {
        StopTraceLog();
        std::string text;
        ReadWholeFile(m_csLogPath, text);
        return text;
    }
    void StopDeviceApi() { m_pDeviceApi.reset(); }
    // A new device layer, as a new run would make.
    void RestartDeviceApi()
    {
        m_pDeviceApi.reset();
        m_pDeviceApi = std::make_unique<KDeviceApi>();
    }

private:
    std::unique_ptr<CTraceLog> m_pTraceLog;
    std::unique_ptr<KDeviceApi> m_pDeviceApi;
    std::string m_csLogPath;
};
