#pragma once
// Control, menu and resource identifiers, shared with the resource script
// (so plain #defines) and with the end-to-end tests that find controls by ID.

#define IDI_TARNVEL 1

#define IDC_LABEL1 101
#define IDC_COMMAND2 102
#define IDC_LABEL2 103
#define IDC_LABEL3 104
#define IDC_LABEL4 105
#define IDC_LABEL5 106
#define IDC_LABEL6 107
#define IDC_TEXT1 108
#define IDC_LABEL7 109
#define IDC_COMMAND1 110
#define IDC_PROGRESSBAR1 111
#define IDC_PROGRESSNAME 112

#define IDC_PICICON 201
#define IDC_LBLTITLE 202
#define IDC_LBLVERSION 203
#define IDC_LBLDESCRIPTION 204
#define IDC_ABOUT_LABEL1 205
// cmdOK is IDOK (1), so Enter and Esc reach it through IsDialogMessageW.

#define IDM_LOOKREADEME 301
#define IDM_VERSION 302

#define TARNVEL_MAIN_CLASS L"frmTarnvel"
#define TARNVEL_ABOUT_CLASS L"frmAbout"
