#pragma once
// Resource identifiers of Vellumar.scr. Shared by the .rc files and the code.

#define IDS_DESCRIPTION 1      // the name the display control panel lists the saver under
#define IDS_PRODUCT_NAME 102   // the same text, kept with the string table
#define IDI_VELLUMAR 128       // program icon, also the dialogs' icon
#define IDC_TRANSPARENT 129    // the cursor of the drawing window: shows nothing
#define IDB_PREVIEW 132        // the picture tiled in the preview box

// Dialog templates, their controls and strings.
