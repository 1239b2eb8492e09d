#pragma once

// Resource ids of OrvinaDeveloper. Menu command ids double as string ids (the command's
// help, "tooltip\nstatus-bar text") and as tool ids; dialog control ids double as the ids
// of their status-bar help strings.

// Icons, menus, accelerators, bitmaps.
#define IDI_FRAME 102
#define IDR_MAIN_MENU 103
#define IDI_CUT 104
#define IDR_ACCELERATORS 105
#define IDB_TOOLBAR 118
#define IDR_TOOL_MENU 122

// Dialog templates.
#define IDD_LAYER_PROPERTIES 106
#define IDD_CUT_PROPERTIES 107
#define IDD_GRID 108
#define IDD_MASK 109
#define IDD_FILM_PROPERTIES 110
#define IDD_LAYER_RUN 112
#define IDD_FONT 113
#define IDD_TEXT 114
#define IDD_BRIGHTNESS_RUN 115
#define IDD_FRAME_COUNT 116
#define IDD_FRAME_RUN 117
#define IDD_FRAME_SIZE 123
#define IDD_RENAME_CUT 126
#define IDD_RANDOM_DOTS 127
#define IDD_RECOVERY 128

// Dialog controls. Several ids serve in more than one dialog.
#define IDC_NAME 1000
#define IDC_HEIGHT 1001              // height edit (106, 107, 108, 110, 123); size (113); count (116); spacing (127)
#define IDC_WIDTH 1002               // width edit (106, 107, 110, 123)
#define IDC_LAYER_HEIGHT_SPIN 1003
#define IDC_LAYER_WIDTH_SPIN 1004
#define IDC_WIDTH_SPIN 1005          // 107, 123
#define IDC_HEIGHT_SPIN 1006         // 107, 123
#define IDC_GRID_WIDTH_SPIN 1007
#define IDC_GRID_HEIGHT_SPIN 1008
#define IDC_MASK_BLACK 1009
#define IDC_MASK_WHITE 1010
#define IDC_MASK_DARK 1011
#define IDC_MASK_LIGHT 1012
#define IDC_MASK_TRANSPARENT 1013
#define IDC_FILM_WIDTH_SPIN 1014
#define IDC_FILM_HEIGHT_SPIN 1015
#define IDC_MASK_LINE 1017
#define IDC_MASK_SHADOW_DARK 1018
#define IDC_MASK_SHADOW_LIGHT 1019
#define IDC_SECOND_EDIT 1022         // grid width edit (108); line spacing edit (113)
#define IDC_END_FRAME_SPIN 1026
#define IDC_FONT_LIST 1028
#define IDC_LINE_SPACING_SPIN 1029
#define IDC_FONT_SIZE_SPIN 1033
#define IDC_TEXT 1034
#define IDC_WEIGHT_SPIN 1035
#define IDC_FPS_SPIN 1036
#define IDC_CREDIT 1037
#define IDC_TITLE 1039
#define IDC_AUTHOR 1040
#define IDC_FPS 1041
#define IDC_WEIGHT 1042
#define IDC_COUNT_SPIN 1044
#define IDC_MASK_PLUS1 1045
#define IDC_MASK_PLUS2 1046
#define IDC_MASK_MINUS1 1047
#define IDC_MASK_MINUS2 1048
#define IDC_MASK_CLEAR 1049
#define IDC_MASK_INVERT 1050
#define IDC_ANTI_NONE 1055
#define IDC_ANTI_HALF 1056
#define IDC_ANTI_QUARTER 1057
#define IDC_CUT_NAME 1058
#define IDC_FOLLOW_FRAME 1060
#define IDC_DOT_SPACING_SPIN 1061
#define IDC_END_FRAME 1065
#define IDC_RECOVERY_LIST 1070
#define IDC_RECOVERY_RESTORE 1071
#define IDC_RECOVERY_DISCARD 1072

// Child windows of the main frame.
#define IDC_MDI_CLIENT 10001
#define IDC_FRAME_TIME 10002
#define IDC_CUT_LIST 10003
#define IDC_LAYER_LIST 10004
#define IDC_LOOP 10005
#define IDC_COMMENT 10006
#define IDC_BRIGHTNESS 10007
#define IDC_STATUS_BAR 10008
#define IDC_KEYFRAME 10009
#define IDC_TOOLBAR 10010
#define IDC_FIRST_MDI_CHILD 58000

// Commands: edit/command_ids.h.
#include "edit/command_ids.h"

// Strings that are not command help.
#define IDS_ASK_SAVE 40138       // "%s を保存しますか？"
#define IDS_ASK_SAVE_ALL 40139
#define IDS_ASK_DELETE_FILES 40140
#define IDS_ABOUT 40141
