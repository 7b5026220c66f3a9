// The destination of the Brellix plug-in: a folder, by default the Brellix sync folder, with
// the job's settings in the plug-in's settings file.
#pragma once

#include "destination/PluginDestinationFolder.h"

#include <string>

class PluginDestinationBrellix : public PluginDestinationFolder {
public:
    PluginDestinationBrellix() = default;
    // settingsBase stands in for the roaming application-data folder of the settings file
    // when not empty.
    explicit PluginDestinationBrellix(std::wstring settingsBase) : m_settingsBase(std::move(settingsBase)) {}

    PluginWriterXML* CreateWriterXML(const MyGuid& jobId) override;
    PluginReaderXML* CreateReaderXML(const MyGuid& jobId) override;
    PluginHelp* GetHelp() override;
    PluginDefaultDestination* CreateDefaultDestination() override;

private:
    std::wstring m_settingsBase;
};
