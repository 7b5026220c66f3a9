// The factories of PluginAppBrellix. The concrete classes (PluginDestinationBrellix,
// PluginFileManagerFolderEx, PluginTargetList, PluginProgressDialogFolderEx,
// PluginSettingFileBrellix, PluginCommonSettingSend2Folder, PluginImportSettingFolderEx,
// PluginTargetAppCheckerBrellix) arrive with their own code; until then each factory makes
// nothing, and no call body asks for one.
#include "app/PluginAppBrellix.h"

PluginDestination* PluginAppBrellix::CreateDestination() { return nullptr; }
PluginFileManager* PluginAppBrellix::CreateFileManager() { return nullptr; }
PluginTargetList* PluginAppBrellix::CreateTargetList() { return nullptr; }
PluginProgressDialog* PluginAppBrellix::CreateProgressDialog() { return nullptr; }
PluginSettingFile* PluginAppBrellix::CreateSettingFile() { return nullptr; }
PluginCommonSetting* PluginAppBrellix::CreateCommonSetting() { return nullptr; }
PluginImportSetting* PluginAppBrellix::CreateImportSetting() { return nullptr; }
PluginTargetAppChecker* PluginAppBrellix::CreateTargetAppChecker() { return nullptr; }
