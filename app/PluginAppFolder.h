// The generic plug-in specialised for saving into a folder: checks that the target
// application is there before a save, remembers a successful save for the link button and
// adds the target-application line to the settings summary.
#pragma once

#include "app/PluginAppBase.h"

class PluginTargetAppChecker;

class PluginAppFolder : public PluginAppBase {
public:
    [[nodiscard]] int SettingSummaryCall(const MyGuid& id, PluginSettingSummary& summary) override;
    [[nodiscard]] int PreSend(const MyGuid& id, PluginDestination& destination, PluginTargetList& targets,
                              PluginFileManager& fileManager, PluginProgressDialog& dialog, long window) override;
    [[nodiscard]] int PostSend(const MyGuid& id, PluginDestination& destination, PluginTargetList& targets,
                               PluginFileManager& fileManager, PluginProgressDialog& dialog, long window,
                               int sendResult) override;

    virtual PluginTargetAppChecker* CreateTargetAppChecker() = 0;
};
