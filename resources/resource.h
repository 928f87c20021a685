#pragma once
// Resource identifiers shared by Mevra.rc and the code.

// Icons: the program and tray icon (16 and 32 px images in one file), and the About box's own.
#define IDI_MEVRA 1
#define IDI_ABOUT 2

// Menu pictures, 16 x 16: each image (picture on white) is followed by its mask
// (black where the picture is opaque, white where it is transparent).
#define IDB_OPEN          101
#define IDB_OPEN_MASK     102
#define IDB_OPTIONS       103  // spare: a slider panel
#define IDB_OPTIONS_MASK  104
#define IDB_MUTE          105
#define IDB_MUTE_MASK     106
#define IDB_PLAY          107
#define IDB_PLAY_MASK     108
#define IDB_FFORWARD      109
#define IDB_FFORWARD_MASK 110
#define IDB_FREWIND       111
#define IDB_FREWIND_MASK  112
#define IDB_PAUSE         113
#define IDB_PAUSE_MASK    114
#define IDB_TOOL          115
#define IDB_TOOL_MASK     116
#define IDB_EXIT          117  // spare: a power symbol
#define IDB_EXIT_MASK     118
#define IDB_ABOUT         119  // spare: an information sign
#define IDB_ABOUT_MASK    120
#define IDB_STOP          121
#define IDB_STOP_MASK     122

// The check glyph is a bitmap resource known by name, not by number.
#define IDB_CHECKED_NAME "CHECKED"

// Image1: the 201 x 250 texture under the menus and the About box.
#define IDB_IMAGE1   130
// Picture2: the 407 x 35 banner lent to the open dialog.
#define IDB_PICTURE2 131

// String table: the hotkey tips shown one by one on left clicks at the tray icon.
#define IDS_TIP_FIRST 101
#define IDS_TIP_LAST  108
