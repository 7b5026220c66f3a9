// The Execute call: saves the scanned files of one job into the job's destination behind the
// progress dialog. Every collaborator belongs to this call; the destination, the target list
// and the file manager are lent to the dialog's worker thread and deleted only after the
// dialog has closed (the locals below are destroyed in the reverse order of their making:
// writer, reader, dialog, file manager, target list, destination).
#include "app/PluginAppBase.h"

#include "destination/PluginDestination.h"
#include "send/PluginFileManager.h"
#include "send/PluginTargetList.h"
#include "settings/PluginReader.h"
#include "settings/PluginWriter.h"
#include "support/Localization.h"
#include "support/MessageTexts.h"
#include "support/OrvInfoLog.h"
#include "support/ResultCodes.h"
#include "ui/DialogPlacement.h"
#include "ui/PluginProgressDialog.h"

#include <memory>

namespace {

void ShowError(const std::wstring& text) { ShowMessage(nullptr, text, texts::Error(), MB_OK); }

}  // namespace

int PluginAppBase::ExecuteCall(const MyGuid& id, const MyFilePath& fileList, bool deleteSources, long window) {
    WriteLog(log_level::kTrace, L"PluginApiExecuteBase::Call");
    HWND owner = HostWindow(window);
    // The progress, error and rename dialogs have no owner: they appear over the host's window.
    HostWindowScope placement(owner);

    std::unique_ptr<PluginDestination> destination(CreateDestination());
    if (!destination) {
        WriteLog(log_level::kError, L"Error CreateDestination = %d", result::kNotReady);
        ShowError(texts::CouldNotReadSettings());
        return result::kNotReady;
    }
    // A job without a record saves into the default destination.
    if (destination->ReadDestinationFromXml(id) != result::kSuccess) {
        (void)destination->ReadDefaultDestination();
    }

    int code = destination->CheckDestination(owner);
    if (code == result::kAskFolderDialog) {
        int chosen = destination->ReadDestinationFromDialog(0, owner);
        if (chosen != 1) {
            WriteLog(log_level::kError, L"Error destination->ReadDestinationFromDialog = %d", chosen);
            ShowError(texts::CouldNotReadSettings());
            return result::kPathNotFound;
        }
    } else if (code != result::kSuccess) {
        WriteLog(log_level::kError, L"Error destination->CheckDestination = %d", code);
        ShowError(texts::CouldNotReadSettings());
        return code;
    }

    std::unique_ptr<PluginTargetList> targetList(CreateTargetList());
    code = targetList ? targetList->CreateFileList(fileList.GetPath()) : result::kNotReady;
    if (code != result::kSuccess) {
        WriteLog(log_level::kError, L"Error targetList->CreateFileList writeXml = %d", code);
        ShowError(texts::CouldNotReadScannedImages());
        return code;
    }

    std::unique_ptr<PluginFileManager> fileManager(CreateFileManager());
    std::unique_ptr<PluginProgressDialog> dialog(CreateProgressDialog());
    if (!fileManager || !dialog) {
        WriteLog(log_level::kError, L"Error CreateFileManager/CreateProgressDialog = %d", result::kNotReady);
        ShowError(texts::FileCannotBeSaved());
        return result::kNotReady;
    }
    (void)fileManager->Init(destination.get(), deleteSources, targetList.get());

    std::unique_ptr<PluginReaderXML> reader(destination->CreateReaderXML(id));
    std::unique_ptr<PluginWriterXML> writer(destination->CreateWriterXML(id));
    dialog->Init(fileManager.get(), reader.get(), writer.get());

    code = PreSend(id, *destination, *targetList, *fileManager, *dialog, window);
    if (code != result::kSuccess) {
        WriteLog(log_level::kError, L"Error PreSend = %d", code);
        return code;
    }

    (void)dialog->DoModal();
    int sendResult = dialog->GetResult();

    code = PostSend(id, *destination, *targetList, *fileManager, *dialog, window, sendResult);
    if (code != result::kSuccess) {
        WriteLog(log_level::kError, L"Error PostSend = %d", code);
        return code;
    }

    // Only a clean batch makes the folder the scans went to (possibly chosen during this call)
    // the job's destination.
    if (sendResult == result::kSuccess) {
        code = destination->WriteDestinationToXml(id);
        if (code != result::kSuccess) {
            WriteLog(log_level::kError, L"Error destination->WriteDestinationToXml writeXml = %d", code);
            ShowError(texts::CouldNotWriteSettings());
            return code;
        }
    }
    return sendResult;
}
