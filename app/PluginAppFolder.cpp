#include "app/PluginAppFolder.h"

#include "support/ResultCodes.h"

// These bodies arrive with the save call; until then each reports "not ready" rather than
// success. The summary body lies with the other setting calls.
int PluginAppFolder::PreSend(const MyGuid&, PluginDestination&, PluginTargetList&, PluginFileManager&,
                             PluginProgressDialog&, long) {
    return result::kNotReady;
}

int PluginAppFolder::PostSend(const MyGuid&, PluginDestination&, PluginTargetList&, PluginFileManager&,
                              PluginProgressDialog&, long, int) {
    return result::kNotReady;
}
