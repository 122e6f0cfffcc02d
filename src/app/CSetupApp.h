// The application object: owns the setup parameters for the whole process and decides what a run does.
#pragma once

#include <memory>
#include <string>

#include "common/CTraceLog.h"
#include "common/SetupParms.h"
#include "devapi/KDeviceApi.h"
#include "platform/CScopedHandle.h"
#include "platform/StringList.h"
#include "platform/win32.h"

// Value rules of FindSwitch; a rule of 0 or more is the largest number the value may hold.
const int SWITCH_NO_VALUE = -1;
const int SWITCH_VALUE_REQUIRED = -2;
const int SWITCH_VALUE_OPTIONAL = -3;
const int SWITCH_VALUE_OR_ALL = -4;

// Result codes for silent callers, written as "ResultCode=%d" into the result file.
const int IS_RESULT_ANOTHER_INSTANCE = 2;
const int IS_RESULT_BAD_SWITCH_VALUE = 10;
const int IS_RESULT_UNKNOWN_TEXT = 52;

class CSetupApp
{
public:
    // Trace log names of the run modes.
    static const char* const LOG_INSTALL;
    static const char* const LOG_INSTALL64;
    static const char* const LOG_UNINSTALL;
    static const char* const LOG_SELF_DELETE;
    static const char* const LOG_CLEAN_UP;
    static const char* const LOG_DEV_INI;
    static const char* const LOG_CLOSE_ARP;
    static const char* const LOG_NO_ENUM_INSTALL;

    // The command line as the platform gave it, without the program name.
    explicit CSetupApp(const char* pszCommandLine = "");
    ~CSetupApp();
    CSetupApp(const CSetupApp&) = delete;
    CSetupApp& operator=(const CSetupApp&) = delete;

    // Start-up hook: the patch library's run, or the program's own. Returns nRetVal.
    int Startup();
    // Exit hook: restart prompt, device layer, closing Add/Remove Programs. Returns the exit code.
    int Shutdown();
    BOOL RunPatchCode(const char* pszCommandLine);
    int RunSetupApp(const char* pszCommandLine);
    void StopAnyRequestedProcess();
    // Silent-install files: the reboot choice of SETUP.ISS, and the result file asked for by "F2".
    void ParseSetupISSFile(DWORD* pdwSetupConfig);
    void CreateISLogFile();

    // Starts another program, elevated on Vista; waits for it when bWait.
    static BOOL SpawnApp(const char* pszExeName, const char* pszCmdArg, BOOL bWait, BOOL bNoQuotes);

    // Hand-overs to another copy of the program; each returns TRUE when that copy took the run.
    BOOL CheckForDeviceSpecificInstallPath(const std::string& csCmdLine);
    BOOL CheckForOSFolderInstall(const std::string& csCmdLine);
    BOOL CheckForSetup64InstallFromSetup32(const std::string& csCmdLine);

    // Pass 1: decides the run mode and the log name and keeps a second interactive instance out.
    // Returns the command line without the switch it consumed.
    std::string GetSetupModeInfo(const std::string& csCmdLine);
    // Pass 2: reads the options of the mode, opens the trace log for "L" and rejects what is left.
    void GetSetupConfigInfo(const std::string& csCmdLine);

    // The switch parser: true when the switch is present and its last occurrence obeys nRule; then
    // csCmdLine loses every occurrence with its value and csValue holds the value.
    BOOL FindSwitch(std::string& csCmdLine, const char* pszSwitch, int nRule, std::string& csValue);

    // The process's trace log and device layer belong to the application object: created at their step
    // of the run, destroyed by the exit hook.
    void CreateTraceLog();
    void DeleteTraceLog();
    void CreateDeviceApi();
    void DeleteDeviceApi();

    SETUP_PARMS& GetSetupParms() { return m_SetupParms; }
    int GetISResultCode() const { return m_nISResultCode; }
    const std::string& GetCmdLineInfo() const { return m_csCmdLineInfo; }
    const std::string& GetStopProcessList() const { return m_csStopProcessList; }

private:
    void RunSingleDeviceIni();
    void RunInteractive(const std::string& csCmdLine);
    BOOL IsRefusedForRights();

    // Which part of which pass reads a switch.
    enum class SwitchGroup
    {
        Mode,
        UninstallSelector,
        Install,
        UserInterface,
        Log
    };
    // One switch: its rule, the bits it sets or clears when found, the log name it chooses, and the
    // handler of its value.
    struct SWITCH_ROW
    {
        const char* pszName;
        SwitchGroup group;
        int nRule;
        DWORD dwModeBits = 0;
        DWORD dwConfigSet = 0;
        DWORD dwConfigClear = 0;
        const char* pszLogFile = nullptr;
        // Looked for only when the row before it was not found ("R" after "FR").
        bool bOnlyIfPreviousMissing = false;
        void (CSetupApp::*pfnValue)(const std::string& csValue) = nullptr;
        // Added by the configuration INI to every run: dropped where the mode does not read it.
        bool bAddedByIniToEveryRun = false;
    };

public:
    // Every switch the program knows, in the order the passes look for them.
    static const SWITCH_ROW SWITCH_TABLE[];
    static const size_t SWITCH_COUNT;

private:
    BOOL ApplySwitch(std::string& csCmdLine, const SWITCH_ROW& row);
    // Applies the rows of a group in table order; with bFirstOnly, only the first one found.
    BOOL ApplySwitchGroup(std::string& csCmdLine, SwitchGroup group, BOOL bFirstOnly);
    void ApplySingleInstanceRule();
    void DropInstallOnlyIniSwitches(std::string& csCmdLine);

    void OnDevIni(const std::string& csValue);
    void OnCertFile(const std::string& csValue);
    void OnUninstallClass(const std::string& csValue);
    void OnUninstallDevice(const std::string& csValue);
    void OnUninstallINF(const std::string& csValue);
    void OnWaitTimeout(const std::string& csValue);
    void OnEnumDeviceCount(const std::string& csValue);
    void OnForcedInstallPath(const std::string& csValue);
    void OnResultFile(const std::string& csValue);
    void OnPackagePath(const std::string& csValue);
    void OnStopProcessList(const std::string& csValue);
    void OnLogFile(const std::string& csValue);

    std::string m_csCommandLine;
    SETUP_PARMS m_SetupParms;
    std::unique_ptr<CTraceLog> m_pTraceLog;
    std::unique_ptr<KDeviceApi> m_pDeviceApi;
    int m_nISResultCode = 1;
    std::string m_csStopProcessList;
    std::string m_csCmdLineInfo;
    std::string m_csModeError;
    std::string m_csDefaultISLogFile;
    // Steps of the run that this build does not have yet, met before the trace log was open.
    CStringList m_cslStepsNotBuilt;
    CScopedKernelHandle m_SpawnSemaphore;
    CScopedKernelHandle m_InstanceSemaphore;
};
