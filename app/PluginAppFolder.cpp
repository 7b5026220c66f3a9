#include "app/PluginAppFolder.h"

#include "support/ResultCodes.h"

// These bodies arrive with their collaborators (target-application checker, settings
// writer); until then each reports "not ready" rather than success.

int PluginAppFolder::PreSend(const MyGuid&, PluginDestination&, PluginTargetList&, PluginFileManager&,
                             PluginProgressDialog&, long) {
    return result::kNotReady;
}

int PluginAppFolder::PostSend(const MyGuid&, PluginDestination&, PluginTargetList&, PluginFileManager&,
                              PluginProgressDialog&, long, int) {
    return result::kNotReady;
}
