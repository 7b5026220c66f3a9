// The job's setting dialog, the common setting dialog, the settings summary and the link button under a job.
#include "app/PluginAppBase.h"
#include "app/PluginAppFolder.h"

#include "app/AppMessages.h"
#include "destination/PluginCommonSetting.h"
#include "destination/PluginDestination.h"
#include "destination/PluginTargetAppChecker.h"
#include "settings/PluginReader.h"
#include "settings/PluginWriter.h"
#include "settings/PluginSettingSummary.h"
#include "support/MessageTexts.h"
#include "support/OrvInfoLog.h"
#include "support/ResultCodes.h"
#include "ui/DialogPlacement.h"

#include <memory>

using app_messages::ShowError;

namespace {
constexpr int kDialogConfirmed = 1;
}  // namespace

int PluginAppBase::ShowSettingCall(const MyGuid& id, long window) {
    WriteLog(log_level::kTrace, L"PluginApiShowSettingBase::Call");
    std::unique_ptr<PluginDestination> destination(CreateDestination());
    // A job without a readable record starts from the default destination.
    if (destination->ReadDestinationFromXml(id) != result::kSuccess) (void)destination->ReadDefaultDestination();

    HWND owner = HostWindow(window);
    int checked = destination->CheckDestination(owner);
    if (checked != result::kSuccess && checked != result::kAskFolderDialog) {
        WriteLog(log_level::kError, L"Error destination->CheckDestination = %d", checked);
        ShowError(texts::CouldNotReadSettings());
        return checked;
    }
    if (destination->ReadDestinationFromDialog(0, owner) != kDialogConfirmed) return result::kSuccess;

    int written = destination->WriteDestinationToXml(id);
    if (written != result::kSuccess) {
        WriteLog(log_level::kError, L"Error destination->WriteDestinationToXml writeXml = %d", written);
        ShowError(texts::CouldNotWriteSettings());
        return written;
    }
    return result::kSuccess;
}

int PluginAppBase::ShowCommonSettingCall(long window) {
    WriteLog(log_level::kTrace, L"PluginApiShowCommonSettingBase::Call");
    std::unique_ptr<PluginDestination> destination(CreateDestination());
    const MyGuid noJob;  // common settings belong to no job
    std::unique_ptr<PluginReaderXML> reader(destination->CreateReaderXML(noJob));
    std::unique_ptr<PluginCommonSetting> commonSetting(CreateCommonSetting());
    // Values not stored yet are no error: the common settings take their defaults.
    int read = commonSetting->ReadSetting(reader.get());
    if (read != result::kSuccess) {
        WriteLog(log_level::kError, L"Error commonSetting->ReadSetting readXml = %d", read);
        ShowError(texts::CouldNotReadSettings());
        return read;
    }
    HostWindowScope placement(HostWindow(window));  // the dialog has no owner: over the host's window
    if (commonSetting->ShowDialog(HostWindow(window)) != kDialogConfirmed) return result::kSuccess;

    std::unique_ptr<PluginWriterXML> writer(destination->CreateWriterXML(noJob));
    int written = commonSetting->WriteSetting(writer.get());
    if (written != result::kSuccess) {
        WriteLog(log_level::kError, L"Error commonSetting->WriteSetting writeXml = %d", written);
        ShowError(texts::CouldNotWriteSettings());
        return written;
    }
    return result::kSuccess;
}

int PluginAppBase::SettingSummaryCall(const MyGuid& id, PluginSettingSummary& summary) {
    WriteLog(log_level::kTrace, L"PluginApiSettingSummaryBase::Call");
    std::unique_ptr<PluginDestination> destination(CreateDestination());
    int read = destination->ReadDestinationFromXml(id);
    if (read != result::kSuccess) {
        WriteLog(log_level::kError, L"Error destination->ReadDestinationFromXml readXml = %d", read);
        return read;
    }
    // One line: the destination folder's own name.
    (void)destination->WriteDestinationPath(&summary);
    return result::kSuccess;
}

int PluginAppFolder::SettingSummaryCall(const MyGuid& id, PluginSettingSummary& summary) {
    std::unique_ptr<PluginDestination> destination(CreateDestination());
    std::unique_ptr<PluginReaderXML> reader(destination->CreateReaderXML(id));
    int code = PluginAppBase::SettingSummaryCall(id, summary);
    if (code == result::kSuccess) {
        std::unique_ptr<PluginTargetAppChecker> checker(CreateTargetAppChecker());
        (void)checker->AddSummaryLine(&summary, reader.get());
    }
    return code;
}

int PluginAppBase::ShowLinkButtonCall(const MyGuid& id, bool& show) {
    WriteLog(log_level::kTrace, L"_ShowLinkButton::Call");
    std::unique_ptr<PluginDestination> destination(CreateDestination());
    return destination->ReadShowLink(id, show);
}

int PluginAppBase::LinkLabelCall(const MyGuid&, std::wstring& text) {
    WriteLog(log_level::kTrace, L"_LinkLabel::Call");
    std::unique_ptr<PluginDestination> destination(CreateDestination());
    return destination->GetLinkLabel(0, text);
}

int PluginAppBase::ClickedLinkButtonCall(const MyGuid& id) {
    WriteLog(log_level::kTrace, L"_ClickedLinkButton::Call");
    std::unique_ptr<PluginDestination> destination(CreateDestination());
    return destination->OpenDestinationFolder(id);
}
