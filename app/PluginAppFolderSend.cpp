// The folder plug-in's steps around a batch: before it, make sure the cloud application is
// there (or let the user choose a folder); after it, remember that the job has saved files.
#include "app/PluginAppFolder.h"

#include "destination/PluginDefaultDestination.h"
#include "destination/PluginDestination.h"
#include "destination/PluginTargetAppChecker.h"
#include "settings/PluginReader.h"
#include "settings/PluginWriter.h"
#include "support/ResultCodes.h"

#include <memory>
#include <string>

int PluginAppFolder::PreSend(const MyGuid& id, PluginDestination& destination, PluginTargetList&,
                             PluginFileManager&, PluginProgressDialog&, long window) {
    std::unique_ptr<PluginReaderXML> reader(destination.CreateReaderXML(id));
    std::unique_ptr<PluginTargetAppChecker> checker(CreateTargetAppChecker());
    std::unique_ptr<PluginDefaultDestination> locator(destination.CreateDefaultDestination());

    std::wstring root;
    bool installed = checker && checker->CheckTargetInstalled(reader.get());
    if (installed && locator && locator->GetRootFolder(&root) == result::kSuccess) return result::kSuccess;

    // Asked before anything is copied: without the application the user may still choose a
    // folder to save into.
    HWND owner = HostWindow(window);
    int answer = checker ? checker->AskInstalled(owner) : IDNO;
    if (answer != IDYES) return result::kCancelled;
    return destination.ReadDestinationFromDialog(0, owner) == 1 ? result::kSuccess : result::kCancelled;
}

int PluginAppFolder::PostSend(const MyGuid& id, PluginDestination& destination, PluginTargetList&,
                              PluginFileManager&, PluginProgressDialog&, long, int sendResult) {
    std::unique_ptr<PluginWriterXML> writer(destination.CreateWriterXML(id));
    // From now on the host shows this job's link button.
    if (sendResult == result::kSuccess && writer) (void)writer->WriteParam(L"ShowLink", true, 1);
    return result::kSuccess;
}
