// The folder dialog of a folder destination.
#include "destination/PluginDestinationFolder.h"

#include "support/MessageTexts.h"
#include "support/PluginHelp.h"
#include "ui/PluginFolderBrowseDialog.h"

#include <memory>

int PluginDestinationFolder::ReadDestinationFromDialog(int /*ignored*/, HWND owner) {
    const std::wstring previous = m_path.GetPath();
    std::unique_ptr<PluginHelp> help(GetHelp());
    // Open at the sync folder (or the profile folder) when the current one is gone.
    if (!m_path.Exists()) (void)ReadDefaultDestination();
    PluginFolderBrowseDialog dialog;
    (void)dialog.Prepare(owner, texts::PleaseSelectFolder(), help.get());
    int chosen = dialog.Browse(m_path.GetPathRef());
    if (chosen != 1) m_path.SetPath(previous);
    return chosen;
}
