// The generic plug-in: turns the host's arguments into the plug-in's value types, answers the
// identity and the capability flags, and runs the body of each call. Collaborators come from
// factory operations that subclasses implement; each belongs to the call that made it.
#pragma once

#include "app/PluginApp.h"
#include "support/MyGuid.h"
#include "support/MyPath.h"

#include <string>

class PluginProperties;
class PluginDestination;
class PluginFileManager;
class PluginTargetList;
class PluginProgressDialog;
class PluginSettingFile;
class PluginCommonSetting;
class PluginImportSetting;
class PluginSettingSummary;

class PluginAppBase : public PluginApp {
public:
    std::wstring get_Name() override;
    std::wstring get_Title() override;
    std::wstring get_Description() override;
    std::wstring get_Version() override;
    std::wstring get_Icon() override;

    VARIANT_BOOL get_ShowSettingButton() override;
    VARIANT_BOOL get_ShowCommonSettingButton() override;
    VARIANT_BOOL get_IsExecutable() override;
    VARIANT_BOOL get_ShowSettingsSummary() override;
    VARIANT_BOOL get_ShowFileNameSetting() override;
    VARIANT_BOOL get_ShowFileTypeSetting() override;

    [[nodiscard]] int Connect() override;
    [[nodiscard]] int Disconnect() override;
    [[nodiscard]] int SetLanguageID(unsigned long languageId) override;
    [[nodiscard]] int CreateID(GUID* newId) override;
    [[nodiscard]] int DeleteID(const GUID* id) override;
    [[nodiscard]] int CopyID(const GUID* srcId, GUID* dstId) override;
    [[nodiscard]] int ShowSetting(const GUID* id, long window) override;
    [[nodiscard]] int ShowCommonSetting(long window) override;
    [[nodiscard]] int IsSupportedFileType(const BSTR* extension, VARIANT_BOOL* enable) override;
    [[nodiscard]] int Execute(const GUID* id, const BSTR* fileList, VARIANT_BOOL fileDelete, long window) override;
    [[nodiscard]] int SettingSummary(const GUID* id, std::wstring& text) override;
    [[nodiscard]] int Import(BSTR folder) override;
    [[nodiscard]] int Export(BSTR folder) override;
    [[nodiscard]] int ShowLinkButton(const GUID* id, VARIANT_BOOL* show) override;
    [[nodiscard]] int LinkLabel(const GUID* id, std::wstring& text) override;
    [[nodiscard]] int ClickedLinkButton(const GUID* id) override;

    [[nodiscard]] virtual int OnConnect();
    [[nodiscard]] virtual int OnDisconnect();

    // Bodies of the host calls.
    [[nodiscard]] virtual int CopyIdCall(const MyGuid& srcId, MyGuid& dstId);
    [[nodiscard]] virtual int CreateIdCall(MyGuid& newId);
    [[nodiscard]] virtual int DeleteIdCall(const MyGuid& id);
    [[nodiscard]] virtual int ExecuteCall(const MyGuid& id, const MyFilePath& fileList, bool deleteSources,
                                          long window);
    [[nodiscard]] virtual int ImportCall(const MyFolderPath& folder);
    [[nodiscard]] virtual int ExportCall(const MyFolderPath& folder);
    [[nodiscard]] virtual int SettingSummaryCall(const MyGuid& id, PluginSettingSummary& summary);
    [[nodiscard]] virtual int ShowCommonSettingCall(long window);
    [[nodiscard]] virtual int ShowSettingCall(const MyGuid& id, long window);
    [[nodiscard]] virtual int IsSupportedFileTypeCall(const std::wstring& extension, bool& enable);
    [[nodiscard]] virtual int ShowLinkButtonCall(const MyGuid& id, bool& show);
    [[nodiscard]] virtual int LinkLabelCall(const MyGuid& id, std::wstring& text);
    [[nodiscard]] virtual int ClickedLinkButtonCall(const MyGuid& id);

    // Capability hooks behind the six flags.
    virtual bool IsExecutableEnabled();
    virtual bool IsFileNameSettingShown();
    virtual bool IsFileTypeSettingShown();
    virtual bool IsSettingsSummaryShown();
    virtual bool IsSettingButtonShown();
    virtual bool IsCommonSettingButtonShown();

    // Run by ExecuteCall before and after the batch, with the objects of the running job.
    [[nodiscard]] virtual int PreSend(const MyGuid& id, PluginDestination& destination, PluginTargetList& targets,
                                      PluginFileManager& fileManager, PluginProgressDialog& dialog, long window);
    [[nodiscard]] virtual int PostSend(const MyGuid& id, PluginDestination& destination, PluginTargetList& targets,
                                       PluginFileManager& fileManager, PluginProgressDialog& dialog, long window,
                                       int sendResult);

    // The embedded identity; never deleted by the caller.
    virtual PluginProperties& GetProperties() = 0;
    // Factories: each returns a new object that belongs to the caller, which holds it in a
    // std::unique_ptr at once (the classes are only declared here).
    virtual PluginDestination* CreateDestination() = 0;
    virtual PluginFileManager* CreateFileManager() = 0;
    virtual PluginTargetList* CreateTargetList() = 0;
    virtual PluginProgressDialog* CreateProgressDialog() = 0;
    virtual PluginSettingFile* CreateSettingFile() = 0;
    virtual PluginCommonSetting* CreateCommonSetting() = 0;
    virtual PluginImportSetting* CreateImportSetting() = 0;
};

inline VARIANT_BOOL ToVariantBool(bool value) { return value ? VARIANT_TRUE : VARIANT_FALSE; }
