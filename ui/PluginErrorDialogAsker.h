// Asks the user about a file that cannot be saved with the error dialog; the error triggers
// of a batch use it through the target list.
#pragma once

#include "send/PluginErrorTrigger.h"

class PluginErrorDialogAsker : public PluginErrorAsker {
public:
    // The dialog's end code; 160 when the dialog cannot be prepared (no destination).
    int AskUser(HWND owner, const std::wstring& message, PluginDestination* destination) override;
};
