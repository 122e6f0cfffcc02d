// Dialog 142: the device list of the wizard, as install or uninstall confirmation (Device / Task) or
// results (Device / Result). Nothing in it can be selected.
#pragma once

#include "install/InstallInfo.h"
#include "ui/CModalDialog.h"

// Screen kinds.
const int DEVICE_LIST_INSTALL_CONFIRM = 0;
const int DEVICE_LIST_INSTALL_RESULTS = 1;
const int DEVICE_LIST_UNINSTALL_CONFIRM = 2;
const int DEVICE_LIST_UNINSTALL_RESULTS = 3;

class CDeviceListDlg : public CModalDialog
{
public:
    CDeviceListDlg(HINSTANCE hResources, int nKind, const INSTALL_INFO* pInfo);

    // The text of a row's second column for a screen kind.
    static UINT GetTaskStringId(int nKind, DWORD eDeviceStatus);

    static constexpr int DEVICE_COLUMN_PERCENT = 65;
    static constexpr int TASK_COLUMN_PERCENT = 35;

protected:
    BOOL OnInitDialog() override;
    BOOL OnCommand(WORD wId, WORD wNotify) override;
    BOOL OnNotify(const NMHDR* pHeader) override;

private:
    void FillList(HWND hList);

    HICON m_hIcon = nullptr;
    const INSTALL_INFO* m_pInfo;
    int m_nKind;
    bool m_bClearing = false;
};
