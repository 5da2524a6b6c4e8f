// Identifiers of the program's resources and menu commands. Also included by
// the resource script, so it holds nothing but #define lines.
#pragma once

// Strings: the window title and the window class name.
#define IDS_TITLE 103
#define IDS_CLASS 109

// Icons: large (48 by 48 and 16 by 16) and small (16 by 16).
#define IDI_LARGE 107
#define IDI_SMALL 108

// Menus: the window's menu and the class menu (never shown).
#define IDR_MAINMENU 111
#define IDR_CLASSMENU 109
// Accelerators: Alt+"?" and Alt+"/" send the About command.
#define IDR_ACCELERATORS 109

// Dialogs.
#define IDD_COMMANDPROMPT 1
#define IDD_WINDOWSIZE 2
#define IDD_ABOUT 103

// Controls of the Window Size dialog.
#define IDC_WIDTH 1
#define IDC_HEIGHT 2
#define IDC_SET 3
// Controls of the Command Prompt dialog.
#define IDC_PROMPT 1
#define IDC_ENTER 2
// The text of the about dialog.
#define IDC_ABOUTTEXT 1000

// Menu commands.
#define IDM_ABOUT 104
#define IDM_EXIT 105
#define IDM_WINDOWSIZE 119
#define IDM_CENTER 120
#define IDM_PROTO_COMPILE 1508
#define IDM_PROTO_DISASSEMBLE 1509
#define IDM_DROP_PROTOTYPE 1577
#define IDM_RETAIL_COMPILE 2043
#define IDM_RETAIL_DISASSEMBLE 2044
#define IDM_FORMAT 2775
#define IDM_DROP_RETAIL 2777
#define IDM_EXACT 2778

// The version (QUILLON_VERSION_TEXT, QUILLON_VERSION_BINARY), made by CMake
// from the project's version.
#include "quillon_version.h"
