#include "CProgressDlgTexts.h"

#include "CProgBarNoDoModal.h"
#include "common/ResourceIds.h"

UINT CProgressDlgTexts::TitleId(const CProgBarNoDoModal& progress)
{
    return progress.IsInstall() ? IDS_INSTALL_WIZARD : IDS_UNINSTALL_WIZARD;
}

UINT CProgressDlgTexts::StatusId(const CProgBarNoDoModal& progress)
{
    if (progress.IsPreparation())
        return IDS_INITIALIZING;
    return progress.IsInstall() ? IDS_INSTALLING : IDS_UNINSTALLING;
}
