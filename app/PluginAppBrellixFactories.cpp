// The factories of PluginAppBrellix: each returns a new object that the caller owns.
#include "app/PluginAppBrellix.h"

#include "app/PluginImportSetting.h"
#include "destination/PluginCommonSetting.h"
#include "destination/PluginDestinationBrellix.h"
#include "destination/PluginTargetAppChecker.h"
#include "send/PluginFileManager.h"
#include "send/PluginTargetList.h"
#include "settings/PluginSettingFile.h"
#include "ui/PluginErrorDialogAsker.h"
#include "ui/PluginProgressDialog.h"

namespace {
// Error triggers of every batch ask the user through the error dialog; the asker holds no
// state, so one serves all target lists.
PluginErrorDialogAsker g_errorAsker;
}  // namespace

PluginDestination* PluginAppBrellix::CreateDestination() { return new PluginDestinationBrellix(m_settingsBaseFolder); }
PluginFileManager* PluginAppBrellix::CreateFileManager() { return new PluginFileManagerFolderEx(); }
PluginTargetList* PluginAppBrellix::CreateTargetList() {
    auto* targetList = new PluginTargetList();
    targetList->SetErrorAsker(&g_errorAsker);
    return targetList;
}
PluginProgressDialog* PluginAppBrellix::CreateProgressDialog() { return new PluginProgressDialogFolderEx(nullptr); }
PluginSettingFile* PluginAppBrellix::CreateSettingFile() { return new PluginSettingFileBrellix(m_settingsBaseFolder); }
PluginCommonSetting* PluginAppBrellix::CreateCommonSetting() { return new PluginCommonSettingSend2Folder(); }
PluginImportSetting* PluginAppBrellix::CreateImportSetting() { return new PluginImportSettingFolderEx(); }
PluginTargetAppChecker* PluginAppBrellix::CreateTargetAppChecker() { return new PluginTargetAppCheckerBrellix(); }
