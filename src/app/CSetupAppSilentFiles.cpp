// Files of unattended installs: the reboot choice of a response file, and the result file a silent caller
// reads when setup has ended.
#include "app/CSetupApp.h"
#include "common/CFileUtility.h"
#include "common/CTraceScope.h"
#include "common/PlatformInfo.h"
#include "common/SetupVersion.h"
#include "config/ProfileSection.h"
#include "platform/CTextFile.h"
#include "platform/StringUtil.h"

namespace
{

// The result code for a result file that could not be written where the caller asked.
const int IS_RESULT_LOG_FILE_MOVED = 51;

} // namespace

void CSetupApp::ParseSetupISSFile(DWORD* pdwSetupConfig)
{
    CTraceScope trace("CSetupApp::ParseSetupISSFile");
    std::string csFile;
    if (!m_SetupParms.csPackagePath.empty())
        csFile = m_SetupParms.csPackagePath + "SETUP.ISS";
    else
    {
        GetExeFolder(csFile, FALSE);
        csFile += "SETUP.ISS";
    }
    if (!CFileUtility::IsFile(csFile))
        return;
    TraceLine("Found File = %s\n", csFile.c_str());
    CIniEntryList dialogs;
    if (!GetSectionEntries(csFile, "DlgOrder", dialogs))
    {
        TraceLine("ERROR : %s has no [DlgOrder]\n", csFile.c_str());
        return;
    }
    for (const INI_ENTRY& dialog : dialogs)
    {
        CIniEntryList entries;
        if (!GetSectionEntries(csFile, dialog.ksParm1, entries))
            continue;
        for (const INI_ENTRY& entry : entries)
        {
            if (ToUpper(entry.ksParm0).find("BOOTOPTION") != std::string::npos && entry.ksParm1 == "3" &&
                pdwSetupConfig)
            {
                *pdwSetupConfig |= SETUP_CFG_REBOOT_REQUIRED;
                TraceLine("Setting for Reboot\n");
            }
        }
    }
}

void CSetupApp::CreateISLogFile()
{
    CTraceScope trace("CSetupApp::CreateISLogFile");
    std::string& csFile = m_SetupParms.csISLogFile;
    CFileUtility::CreateFolderPath(csFile, 0);
    CTextFile file;
    if (!file.Create(csFile.c_str()))
    {
        TraceLine("ERROR : cannot create %s, GetLastError() = %d\n", csFile.c_str(), static_cast<int>(GetLastError()));
        m_nISResultCode = IS_RESULT_LOG_FILE_MOVED;
        csFile = m_csDefaultISLogFile;
        if (!file.Create(csFile.c_str()))
        {
            TraceLine("ERROR : cannot create %s either\n", csFile.c_str());
            return;
        }
    }
    std::string csText;
    if (m_SetupParms.dwSetupConfig & SETUP_CFG_SILENT)
        csText += Format("[InstallShield Silent]\nVersion=%s\nFileType=SetupLogFile\n\n", SETUP_VERSION);
    csText += Format("[Application]\nName=Norvalis GDVX Application\nVersion=%s\nCompany=Norvalis\n\n", SETUP_VERSION);
    csText += Format("[ResponseResult]\nResultCode=%d\n", m_nISResultCode);
    file.Write(csText);
    file.Close();
    TraceLine("IS Log File created at %s\n", csFile.c_str());
}
