// The factories of PluginAppBrellix. The concrete classes not made here yet
// (PluginDestinationBrellix, PluginFileManagerFolderEx, PluginTargetList,
// PluginProgressDialogFolderEx, PluginCommonSettingSend2Folder, PluginTargetAppCheckerBrellix)
// arrive with their own code; until then their factories make nothing, and no call body asks
// for one.
#include "app/PluginAppBrellix.h"

#include "app/PluginImportSetting.h"
#include "settings/PluginSettingFile.h"

PluginDestination* PluginAppBrellix::CreateDestination() { return nullptr; }
PluginFileManager* PluginAppBrellix::CreateFileManager() { return nullptr; }
PluginTargetList* PluginAppBrellix::CreateTargetList() { return nullptr; }
PluginProgressDialog* PluginAppBrellix::CreateProgressDialog() { return nullptr; }
PluginSettingFile* PluginAppBrellix::CreateSettingFile() { return new PluginSettingFileBrellix(m_settingsBaseFolder); }
PluginCommonSetting* PluginAppBrellix::CreateCommonSetting() { return nullptr; }
PluginImportSetting* PluginAppBrellix::CreateImportSetting() { return new PluginImportSettingFolderEx(); }
PluginTargetAppChecker* PluginAppBrellix::CreateTargetAppChecker() { return nullptr; }
