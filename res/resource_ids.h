#pragma once
// Resource identifiers shared by the resource script and the code that loads them.
#define IDI_MIRAFOLD 1
// The Send To dialog's two pictures (JPEG, as RCDATA).
#define IDR_SENDTO_MENU_PICTURE 2
#define IDR_DRAG_ONTO_ICON_PICTURE 3
// The folder lists' row icons, 16 x 16.
#define IDI_FOLDER_CLOSED 4
#define IDI_FOLDER_OPEN 5
