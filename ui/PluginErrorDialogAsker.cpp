#include "ui/PluginErrorDialogAsker.h"

#include "support/ResultCodes.h"
#include "ui/PluginErrorDialog.h"

// The dialog has no parent, as every dialog of the plug-in: the owner window is where the
// trigger's own messages go.
int PluginErrorDialogAsker::AskUser(HWND /*owner*/, const std::wstring& message, PluginDestination* destination) {
    PluginErrorDialog dialog(nullptr);
    int prepared = dialog.SetMessage(message, destination);
    if (prepared != result::kSuccess) return prepared;
    return static_cast<int>(dialog.DoModal());
}
