#include "app/PluginAppFolder.h"

#include "support/ResultCodes.h"

// These bodies arrive with their collaborators (target-application checker, settings
// writer); until then each reports "not ready" rather than success.
int PluginAppFolder::SettingSummaryCall(const MyGuid&, PluginSettingSummary&) { return result::kNotReady; }
