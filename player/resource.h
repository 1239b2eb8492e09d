#pragma once

// Resource and command identifiers of the player (shared by the program and player.rc).

#define IDR_PLAYER_MENU 103
#define IDR_PLAYER_ACCELERATORS 104
#define IDB_PLAYER_TOOLBAR 105
#define IDI_PLAYER 106
#define IDR_BUILT_IN_ANIMATION 107
#define IDD_STEP_SPEED 108

// The built-in animation's resource type.
#define PLAYER_ANIMATION_TYPE "NIM"

#define IDC_STEP_SPEED_EDIT 1000
#define IDC_STEP_SPEED_SPIN 1002

#define ID_FILE_OPEN 40001
#define ID_FILE_EXIT 40002
#define ID_NEXT_CUT 40005
#define ID_PREVIOUS_CUT 40006
#define ID_PLAY 40007
#define ID_STEP_MODE 40008
#define ID_HIGHLIGHT 40011
#define ID_STEP_SPEED 40012
#define ID_EXTRACT 40013

// Child window identifiers.
#define IDC_PLAYER_STATUS 1
#define IDC_PLAYER_TOOLBAR 2
