#pragma once
// Resource identifiers of Vellumar.scr. Shared by the .rc files and the code.

#define IDS_DESCRIPTION 1      // the name the display control panel lists the saver under
#define IDS_PRODUCT_NAME 102   // the same text, kept with the string table
#define IDI_VELLUMAR 128       // program icon, also the dialogs' icon
#define IDC_TRANSPARENT 129    // the cursor of the drawing window: shows nothing
#define IDB_PREVIEW 132        // the picture tiled in the preview box

// Dialog templates, their controls and strings.
#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101       // text of the about item on the configure dialog's system menu
#define IDD_CONFIG 102
#define IDC_HOME_PAGE 1008
#define IDC_QUIT 1009
#define IDC_VERSION_TEXT 1011
