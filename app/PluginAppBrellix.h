// This plug-in: the folder plug-in bound to the Brellix cloud folder. Holds the identity
// and makes the concrete collaborators.
#pragma once

#include "app/PluginAppFolder.h"
#include "app/PluginProperties.h"

class PluginAppBrellix : public PluginAppFolder {
public:
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
};
