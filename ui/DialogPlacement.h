// Where a dialog appears: centred over its owner, or, for a dialog without one, over the host's
// window of the running host call, or else on the work area of its monitor; always inside that
// work area.
#pragma once

#include <windows.h>

// Names the host's window over which the unowned dialogs of this thread are centred while the
// scope lives (the window the host passed to the running call). Scopes nest.
class HostWindowScope {
public:
    explicit HostWindowScope(HWND hostWindow);
    ~HostWindowScope();
    HostWindowScope(const HostWindowScope&) = delete;
    HostWindowScope& operator=(const HostWindowScope&) = delete;

    // The innermost scope's window of this thread; null outside any scope.
    static HWND Current();

private:
    HWND m_previous;
};

// The rectangle of a window of the given size centred over reference and moved, if need be,
// into workArea (its top-left corner wins when the window is larger than the work area).
RECT CenteredRect(SIZE window, const RECT& reference, const RECT& workArea);

// Moves the dialog to its place (see above) without changing its size or z-order.
void PlaceDialog(HWND dialog);
