#include "app/PluginAppBase.h"

#include "app/PluginImportSetting.h"
#include "app/PluginProperties.h"
#include "settings/PluginSettingFile.h"
#include "settings/PluginSettingSummary.h"
#include "settings/XmlFileIo.h"
#include "support/FileLock.h"
#include "support/Localization.h"
#include "support/OrvInfoLog.h"
#include "support/ResultCodes.h"

#include <memory>

std::wstring PluginAppBase::get_Name() { return GetProperties().GetName(); }
std::wstring PluginAppBase::get_Title() { return GetProperties().GetTitle(); }
std::wstring PluginAppBase::get_Description() { return GetProperties().GetDescription(); }
std::wstring PluginAppBase::get_Version() { return GetProperties().GetVersion(); }
std::wstring PluginAppBase::get_Icon() { return GetProperties().GetIconPath().GetPath(); }

VARIANT_BOOL PluginAppBase::get_ShowSettingButton() { return ToVariantBool(IsSettingButtonShown()); }
VARIANT_BOOL PluginAppBase::get_ShowCommonSettingButton() { return ToVariantBool(IsCommonSettingButtonShown()); }
VARIANT_BOOL PluginAppBase::get_IsExecutable() { return ToVariantBool(IsExecutableEnabled()); }
VARIANT_BOOL PluginAppBase::get_ShowSettingsSummary() { return ToVariantBool(IsSettingsSummaryShown()); }
VARIANT_BOOL PluginAppBase::get_ShowFileNameSetting() { return ToVariantBool(IsFileNameSettingShown()); }
VARIANT_BOOL PluginAppBase::get_ShowFileTypeSetting() { return ToVariantBool(IsFileTypeSettingShown()); }

int PluginAppBase::Connect() { return OnConnect(); }
int PluginAppBase::Disconnect() { return OnDisconnect(); }

int PluginAppBase::SetLanguageID(unsigned long languageId) {
    SetCurrentLocale(static_cast<LANGID>(languageId & 0xFFFF));
    return result::kSuccess;
}

int PluginAppBase::CreateID(GUID* newId) {
    MyGuid created;
    int code = CreateIdCall(created);
    *newId = created.GetGuid();
    return code;
}

int PluginAppBase::DeleteID(const GUID* id) { return DeleteIdCall(MyGuid(*id)); }

int PluginAppBase::CopyID(const GUID* srcId, GUID* dstId) {
    MyGuid copy;
    int code = CopyIdCall(MyGuid(*srcId), copy);
    *dstId = copy.GetGuid();
    return code;
}

int PluginAppBase::ShowSetting(const GUID* id, long window) { return ShowSettingCall(MyGuid(*id), window); }
int PluginAppBase::ShowCommonSetting(long window) { return ShowCommonSettingCall(window); }

int PluginAppBase::IsSupportedFileType(const BSTR* extension, VARIANT_BOOL* enable) {
    bool supported = false;
    int code = IsSupportedFileTypeCall(BstrText(*extension), supported);
    *enable = ToVariantBool(supported);
    return code;
}

int PluginAppBase::Execute(const GUID* id, const BSTR* fileList, VARIANT_BOOL fileDelete, long window) {
    // Only VARIANT_TRUE itself asks for deletion: any other non-zero value keeps the sources.
    bool deleteSources = fileDelete == VARIANT_TRUE;
    return ExecuteCall(MyGuid(*id), MyFilePath(BstrText(*fileList)), deleteSources, window);
}

int PluginAppBase::SettingSummary(const GUID* id, std::wstring& text) {
    PluginSettingSummary summary;
    int code = SettingSummaryCall(MyGuid(*id), summary);
    // The host gets whatever lines were collected, also when the body failed.
    text = summary.GetText();
    return code;
}

int PluginAppBase::Import(BSTR folder) { return ImportCall(MyFolderPath(BstrText(folder))); }
int PluginAppBase::Export(BSTR folder) { return ExportCall(MyFolderPath(BstrText(folder))); }

int PluginAppBase::ShowLinkButton(const GUID* id, VARIANT_BOOL* show) {
    bool visible = false;
    int code = ShowLinkButtonCall(MyGuid(*id), visible);
    if (code == result::kSuccess) *show = ToVariantBool(visible);
    return code;
}

int PluginAppBase::LinkLabel(const GUID* id, std::wstring& text) {
    std::wstring label;
    int code = LinkLabelCall(MyGuid(*id), label);
    if (code == result::kSuccess) text = label;
    return code;
}

int PluginAppBase::ClickedLinkButton(const GUID* id) { return ClickedLinkButtonCall(MyGuid(*id)); }

int PluginAppBase::OnConnect() { return result::kSuccess; }
int PluginAppBase::OnDisconnect() { return result::kSuccess; }

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
    // A change saved during the copy would fail its rename or be copied half: the copy waits.
    FileLock lock;
    if (DWORD error = xml_file_io::LockForChange(lock, settingsPath.GetPath())) return static_cast<int>(error);
    if (!::CopyFileW(path_text::ForFileSystem(settingsPath.GetPath()).c_str(),
                     path_text::ForFileSystem(exportPath.GetPath()).c_str(), FALSE)) {
        int error = static_cast<int>(::GetLastError());
        WriteLog(log_level::kError, L"Error CopyFile err = %d", error);
        return error;
    }
    return result::kSuccess;
}

// Every file type is supported.
int PluginAppBase::IsSupportedFileTypeCall(const std::wstring&, bool& enable) {
    enable = true;
    return result::kSuccess;
}

bool PluginAppBase::IsExecutableEnabled() { return true; }
bool PluginAppBase::IsFileNameSettingShown() { return true; }
bool PluginAppBase::IsFileTypeSettingShown() { return true; }
bool PluginAppBase::IsSettingsSummaryShown() { return true; }
bool PluginAppBase::IsSettingButtonShown() { return true; }
bool PluginAppBase::IsCommonSettingButtonShown() { return true; }

int PluginAppBase::PreSend(const MyGuid&, PluginDestination&, PluginTargetList&, PluginFileManager&,
                           PluginProgressDialog&, long) {
    return result::kSuccess;
}

int PluginAppBase::PostSend(const MyGuid&, PluginDestination&, PluginTargetList&, PluginFileManager&,
                            PluginProgressDialog&, long, int) {
    return result::kSuccess;
}
