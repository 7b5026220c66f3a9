// Resource IDs of the plug-in: dialog templates and their controls.
#pragma once

// Dialog templates.
#define IDD_PROGRESS 101
#define IDD_ERROR 103
#define IDD_RENAME_WARNING 104
#define IDD_COMMON_SETTING 201

// Progress dialog.
#define IDC_PROGRESS_BAR 1000
#define IDC_SAVING_TEXT 1001
#define IDC_FILE_NAME_TEXT 1002
#define IDC_COUNTER_TEXT 1003

// Error dialog.
#define IDC_ERROR_MESSAGE 1004
#define IDC_RETRY 1005
#define IDC_ABORT 1006
#define IDC_SETTING 1007
#define IDC_ERROR_LINE 1012  // the etched line between the message and the buttons

// Rename warning.
#define IDC_RENAME_LIST 1008
#define IDC_DO_NOT_SHOW_AGAIN 1010
#define IDC_RENAME_MESSAGE 1011

// Common setting dialog.
#define IDC_SHOW_RENAMES 201

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
