#pragma once
// The numbers of the resources in resources/pelkora.rc: the templates,
// string, icon and cursor the dialog has always had, and the controls.

#define IDD_ABOUT 100
#define IDS_ABOUT_MENU 101
#define IDD_MAIN 102
#define IDD_SCREEN_SIZE 103
#define IDI_PELKORA 128
#define IDC_HAND_CURSOR 32649

#define IDC_ABOUT_BUTTON 139
#define IDC_ADD_BUTTON 140
#define IDC_PICTURE 1000
#define IDC_CONVERT_BUTTON 1010
#define IDC_DELETE_ALL_BUTTON 1011
#define IDC_STATUS_STRIP 1020
#define IDC_VERSION_LINE 1030
#define IDC_OPTIONS_LINE 1031
#define IDC_SCREEN_SIZE_EDIT 1040
