// Messages the file manager posts to its registered windows while a batch runs. wParam is
// always the file manager; lParam is the target's index in the list at the time of its send
// (triggers counted), 0, or for WM_REQUEST_PROC the PluginRequestedProc to run.
#pragma once

#include <windows.h>

constexpr UINT WM_START_BATCH = WM_APP + 0;
constexpr UINT WM_SEND_A_FILE = WM_APP + 1;
constexpr UINT WM_FINISH_BATCH = WM_APP + 2;
constexpr UINT WM_CANCEL_SEND = WM_APP + 3;
constexpr UINT WM_FAIL_SEND = WM_APP + 4;
constexpr UINT WM_SEND_A_FILE_RENAMED = WM_APP + 5;
constexpr UINT WM_REQUEST_PROC = WM_APP + 6;
constexpr UINT WM_GO_TO_NEXT = WM_APP + 7;
constexpr UINT WM_ABORT_SEND = WM_APP + 8;
constexpr UINT WM_RETRY_SEND = WM_APP + 9;
