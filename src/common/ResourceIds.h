// Ids of the program's string resources (the same in every language of the string table).
#pragma once

#define IDS_WELCOME_INSTALL 2
#define IDS_INSTALL_COMPLETE 3
#define IDS_WELCOME_UNINSTALL 4
#define IDS_UNINSTALL_COMPLETE 5
#define IDS_INSTALL_WIZARD 7
#define IDS_UNINSTALL_WIZARD 8
#define IDS_INSTALL_INSTRUCTION 9
#define IDS_UNINSTALL_INSTRUCTION 10
#define IDS_INSTALL_RESULTS 11
#define IDS_UNINSTALL_RESULTS 12
#define IDS_COLUMN_DEVICE 14
#define IDS_COLUMN_TASK 15
#define IDS_OK 16
#define IDS_CANCEL 17
#define IDS_COLUMN_RESULT 18
#define IDS_DEVICE_NOT_FOUND 20
#define IDS_TASK_INSTALL 21
#define IDS_TASK_UPGRADE 22
#define IDS_RESULT_SUCCESS 23
#define IDS_RESULT_FAILURE 24
#define IDS_TASK_UNINSTALL 25
#define IDS_ADMIN_INSTALL 29
#define IDS_ADMIN_UNINSTALL 30
#define IDS_ERROR 31
#define IDS_WARNING 32
#define IDS_PLUG_IN_DEVICE 33
#define IDS_PRESS_CANCEL 34

// Dialogs, their controls, and the art of the package (the same ids in both builds).
#define IDD_BUSY_PROGRESS 102
#define IDD_STD_PROGRESS 103
#define IDD_SPLASH 134
#define IDD_DEVICE_LIST 142
#define IDD_PLUG_IN_USB 147
#define IDB_DEVICE_LIST 139
#define IDI_SETUP 140
#define IDI_PLUG_IN 141
// The splash image, of resource type "IMAGE" (a custom UI library may carry its own).
#define IDR_SPLASH_IMAGE 777
#define IDC_PROGRESS_BAR 1000
#define IDC_STATUS_TEXT 1002
#define IDC_HEADING 1004
#define IDC_INSTRUCTION 1006
#define IDC_DEVICE_LIST 1011
#define IDC_SPLASH_PICTURE 1015
#define IDC_BUSY_INDICATOR 1020
#define IDC_PLUG_IN_TEXT 1022
#define IDC_PRESS_CANCEL_TEXT 1023
#define IDS_INSTALLING 6
#define IDS_UNINSTALLING 13
#define IDS_INITIALIZING 19
