// The factories of PluginAppBrellix. The concrete classes not made here yet
// (PluginFileManagerFolderEx, PluginTargetList, PluginProgressDialogFolderEx)
// arrive with their own code; until then their factories make nothing, and no call body asks
// for one.
#include "app/PluginAppBrellix.h"

#include "app/PluginImportSetting.h"
#include "destination/PluginCommonSetting.h"
#include "destination/PluginDestinationBrellix.h"
#include "destination/PluginTargetAppChecker.h"
#include "settings/PluginSettingFile.h"

PluginDestination* PluginAppBrellix::CreateDestination() { return new PluginDestinationBrellix(m_settingsBaseFolder); }
PluginFileManager* PluginAppBrellix::CreateFileManager() { return nullptr; }
PluginTargetList* PluginAppBrellix::CreateTargetList() { return nullptr; }
PluginProgressDialog* PluginAppBrellix::CreateProgressDialog() { return nullptr; }
PluginSettingFile* PluginAppBrellix::CreateSettingFile() { return new PluginSettingFileBrellix(m_settingsBaseFolder); }
PluginCommonSetting* PluginAppBrellix::CreateCommonSetting() { return new PluginCommonSettingSend2Folder(); }
PluginImportSetting* PluginAppBrellix::CreateImportSetting() { return new PluginImportSettingFolderEx(); }
PluginTargetAppChecker* PluginAppBrellix::CreateTargetAppChecker() { return new PluginTargetAppCheckerBrellix(); }
