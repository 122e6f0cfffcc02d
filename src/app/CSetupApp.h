// The application object: owns the setup parameters for the whole process and decides what a run does.
#pragma once

#include <string>

#include "common/SetupParms.h"
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

    SETUP_PARMS& GetSetupParms() { return m_SetupParms; }
    int GetISResultCode() const { return m_nISResultCode; }
    const std::string& GetCmdLineInfo() const { return m_csCmdLineInfo; }
    const std::string& GetStopProcessList() const { return m_csStopProcessList; }

private:
    void RunSingleDeviceIni();
    void RunInteractive(const std::string& csCmdLine);
    BOOL IsRefusedForRights();

    // Looks for a switch that takes no value and reports only whether it was consumed.
    BOOL FindFlag(std::string& csCmdLine, const char* pszSwitch);
    void ApplySingleInstanceRule();
    void ReadUninstallSelectors(std::string& csCmdLine);
    void ReadInstallOptions(std::string& csCmdLine);
    void DropInstallOnlyIniSwitches(std::string& csCmdLine);
    void ReadUserInterfaceOptions(std::string& csCmdLine);
    void ReadLogSwitch(std::string& csCmdLine);

    std::string m_csCommandLine;
    SETUP_PARMS m_SetupParms;
    int m_nISResultCode = 1;
    std::string m_csStopProcessList;
    std::string m_csCmdLineInfo;
    std::string m_csModeError;
    std::string m_csDefaultISLogFile;
    HANDLE m_hSpawnSemaphore = nullptr;
    HANDLE m_hInstanceSemaphore = nullptr;
};
