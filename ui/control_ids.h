#pragma once
// Control, menu and resource identifiers, shared with the resource script
// (so plain #defines) and with the end-to-end tests that find controls by ID.
// The controls keep their designer names; what each one is stands beside it.

#define IDI_TARNVEL 1  // the program icon, of both windows and picIcon

// frmTarnvel, top to bottom.
#define IDC_LABEL1 101        // the chosen source's full path
#define IDC_COMMAND2 102      // "ファイル指定": choose the source
#define IDC_LABEL2 103        // caption of Label3
#define IDC_LABEL3 104        // the source's size, e.g. 12345Byte
#define IDC_LABEL4 105        // caption of Label5
#define IDC_LABEL5 106        // the permitted range of the cut, e.g. 2～12
#define IDC_LABEL6 107        // caption of Text1
#define IDC_TEXT1 108         // the cut's size in blocks of 1000 bytes
#define IDC_LABEL7 109        // "×1000Byte", Text1's unit
#define IDC_COMMAND1 110      // "Cut開始": start the cut
#define IDC_PROGRESSBAR1 111  // the cut's progress along the bottom edge
#define IDC_PROGRESSNAME 112  // never shown: the name a screen reader gives ProgressBar1

// frmAbout.
#define IDC_PICICON 201         // the program icon
#define IDC_LBLTITLE 202        // the program's name
#define IDC_LBLVERSION 203      // "Version 1.00"
#define IDC_LBLDESCRIPTION 204  // the maker's line
#define IDC_ABOUT_LABEL1 205    // the author
// cmdOK is IDOK (1), so Enter and Esc reach it through IsDialogMessageW.

// mnuVer, frmTarnvel's one menu, holds these two.
#define IDM_LOOKREADEME 301  // mnuLookReadeMe: the readme in the text editor
#define IDM_VERSION 302      // mnuVersion: frmAbout

#define TARNVEL_MAIN_CLASS L"frmTarnvel"
#define TARNVEL_ABOUT_CLASS L"frmAbout"
