// This plug-in: the folder plug-in bound to the Brellix cloud folder. Holds the identity
// and makes the concrete collaborators.
#pragma once

#include "app/PluginAppFolder.h"
#include "app/PluginProperties.h"

#include <string>

class PluginAppBrellix : public PluginAppFolder {
public:
    PluginAppBrellix() = default;
    // settingsBaseFolder stands in for the roaming application-data folder under which the
    // settings file lies (tests and tools point the plug-in at a scratch folder this way).
    explicit PluginAppBrellix(std::wstring settingsBaseFolder) : m_settingsBaseFolder(std::move(settingsBaseFolder)) {}

    PluginProperties& GetProperties() override { return m_properties; }

    PluginDestination* CreateDestination() override;
    PluginFileManager* CreateFileManager() override;
    PluginTargetList* CreateTargetList() override;
    PluginProgressDialog* CreateProgressDialog() override;
    PluginSettingFile* CreateSettingFile() override;
    PluginCommonSetting* CreateCommonSetting() override;
    PluginImportSetting* CreateImportSetting() override;
    PluginTargetAppChecker* CreateTargetAppChecker() override;

private:
    PluginPropertiesBrellix m_properties;
    std::wstring m_settingsBaseFolder;  // empty: the roaming application-data folder
};
