// Carrying the settings to another installation: export copies the settings file into the
// host's folder, import merges the file of the same name from such a folder.
#include "app/PluginAppBase.h"

#include "app/PluginImportSetting.h"
#include "settings/PluginSettingFile.h"
#include "support/OrvInfoLog.h"
#include "support/ResultCodes.h"

#include <memory>

int PluginAppBase::ImportCall(const MyFolderPath& folder) {
    WriteLog(log_level::kTrace, L"PluginApiImportBase::Call");
    std::unique_ptr<PluginSettingFile> settingFile(CreateSettingFile());
    MyFilePath settingsPath{std::wstring()};
    settingFile->GetFilePath(settingsPath);
    // Without a settings location there is nothing to merge into (reads report 2 the same way).
    if (settingsPath.GetPath().empty()) return result::kFileNotFound;

    MyFolderPath settingsFolder(settingsPath.GetFolder());
    if (!settingsFolder.Exists()) {
        DWORD created = settingsFolder.CreateRecursive();
        if (created != 0) {
            WriteLog(log_level::kError, L"Error destinationFolderPath.Create create = %d", static_cast<int>(created));
            return static_cast<int>(created);
        }
    }
    // The exported file carries the settings file's own name.
    MyFilePath importPath(folder.Join(settingsPath.GetFileName()).GetPath());
    if (!importPath.Exists()) return result::kSuccess;

    std::unique_ptr<PluginImportSetting> importer(CreateImportSetting());
    return importer->ImportFile(settingsPath, importPath);
}

int PluginAppBase::ExportCall(const MyFolderPath& folder) {
    WriteLog(log_level::kTrace, L"PluginApiExportBase::Call");
    std::unique_ptr<PluginSettingFile> settingFile(CreateSettingFile());
    MyFilePath settingsPath{std::wstring()};
    settingFile->GetFilePath(settingsPath);
    if (!settingsPath.Exists()) return result::kSuccess;  // nothing saved yet, nothing to export

    // The host's folder is not created: a missing folder is the copy's own error.
    MyFilePath exportPath(folder.Join(settingsPath.GetFileName()).GetPath());
    if (!::CopyFileW(path_text::ForFileSystem(settingsPath.GetPath()).c_str(),
                     path_text::ForFileSystem(exportPath.GetPath()).c_str(), FALSE)) {
        int error = static_cast<int>(::GetLastError());
        WriteLog(log_level::kError, L"Error CopyFile err = %d", error);
        return error;
    }
    return result::kSuccess;
}
