#include "ui/DialogPlacement.h"

namespace {

thread_local HWND t_hostWindow = nullptr;

// A window worth centring over: one that exists, is shown and not minimised.
bool IsVisibleAnchor(HWND window) {
    return window && ::IsWindow(window) && ::IsWindowVisible(window) && !::IsIconic(window);
}

LONG Clamp(LONG start, LONG length, LONG areaStart, LONG areaEnd) {
    if (start + length > areaEnd) start = areaEnd - length;
    if (start < areaStart) start = areaStart;
    return start;
}

RECT WorkAreaOf(HMONITOR monitor) {
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (monitor && ::GetMonitorInfoW(monitor, &info)) return info.rcWork;
    RECT area = {};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

}  // namespace

HostWindowScope::HostWindowScope(HWND hostWindow) : m_previous(t_hostWindow) { t_hostWindow = hostWindow; }

HostWindowScope::~HostWindowScope() { t_hostWindow = m_previous; }

HWND HostWindowScope::Current() { return t_hostWindow; }

RECT CenteredRect(SIZE window, const RECT& reference, const RECT& workArea) {
    LONG left = reference.left + ((reference.right - reference.left) - window.cx) / 2;
    LONG top = reference.top + ((reference.bottom - reference.top) - window.cy) / 2;
    left = Clamp(left, window.cx, workArea.left, workArea.right);
    top = Clamp(top, window.cy, workArea.top, workArea.bottom);
    return RECT{left, top, left + window.cx, top + window.cy};
}

void PlaceDialog(HWND dialog) {
    RECT own = {};
    if (!dialog || !::GetWindowRect(dialog, &own)) return;
    HWND anchor = ::GetWindow(dialog, GW_OWNER);
    if (!IsVisibleAnchor(anchor)) anchor = HostWindowScope::Current();
    if (!IsVisibleAnchor(anchor) || anchor == dialog) anchor = nullptr;

    RECT reference = {};
    HMONITOR monitor = nullptr;
    if (anchor && ::GetWindowRect(anchor, &reference)) {
        monitor = ::MonitorFromWindow(anchor, MONITOR_DEFAULTTONEAREST);
    } else {
        monitor = ::MonitorFromWindow(dialog, MONITOR_DEFAULTTOPRIMARY);
        reference = WorkAreaOf(monitor);
    }
    RECT workArea = WorkAreaOf(monitor);
    RECT placed = CenteredRect(SIZE{own.right - own.left, own.bottom - own.top}, reference, workArea);
    ::SetWindowPos(dialog, nullptr, placed.left, placed.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
