// Creating, deleting and copying the host's jobs: one record per job ID in the settings file.
#include "app/PluginAppBase.h"

#include "app/AppMessages.h"
#include "destination/PluginDestination.h"
#include "settings/PluginWriter.h"
#include "support/MessageTexts.h"
#include "support/OrvInfoLog.h"
#include "support/ResultCodes.h"

#include <memory>

using app_messages::ShowError;

int PluginAppBase::CreateIdCall(MyGuid& newId) {
    WriteLog(log_level::kTrace, L"PluginApiCreateIdBase::Call");
    HRESULT created = newId.Create();
    if (created != S_OK) {
        WriteLog(log_level::kError, L"Error guid.CreateGuid create = 0x%08x", static_cast<unsigned int>(created));
        newId = MyGuid();  // the host gets the all-zero ID with the failure
        ShowError(texts::CouldNotCreateId());
        return result::kBadCommand;
    }
    std::unique_ptr<PluginDestination> destination(CreateDestination());
    int read = destination->ReadDefaultDestination();
    if (read != result::kSuccess) {
        WriteLog(log_level::kError, L"Error destination->ReadDefaultDestination readDefault = 0x%08x",
                 static_cast<unsigned int>(read));
        return result::kBadEnvironment;
    }
    int written = destination->WriteDestinationToXml(newId);
    if (written != result::kSuccess) {
        WriteLog(log_level::kError, L"Error destination->WriteDestinationToXml writeXml = %d", written);
        ShowError(texts::CouldNotWriteSettings());
        return written;
    }
    return result::kSuccess;
}

int PluginAppBase::DeleteIdCall(const MyGuid& id) {
    WriteLog(log_level::kTrace, L"PluginApiDeleteIdBase::Call");
    std::unique_ptr<PluginDestination> destination(CreateDestination());
    std::unique_ptr<PluginWriterXML> writer(destination->CreateWriterXML(id));
    if (!writer) return ERROR_NOT_ENOUGH_MEMORY;
    return writer->DeleteRecord();
}

int PluginAppBase::CopyIdCall(const MyGuid& srcId, MyGuid& dstId) {
    WriteLog(log_level::kTrace, L"PluginApiCopyIdBase::Call");
    std::unique_ptr<PluginDestination> destination(CreateDestination());
    int read = destination->ReadDestinationFromXml(srcId);
    if (read != result::kSuccess) {
        WriteLog(log_level::kError, L"Error destination->ReadDestinationFromXml readXml = %d", read);
        ShowError(texts::CouldNotReadSettings());
        return read;
    }
    HRESULT created = dstId.Create();
    if (created != S_OK) {
        WriteLog(log_level::kError, L"Error dstGuid.CreateGuid create = 0x%08x", static_cast<unsigned int>(created));
        dstId = MyGuid();
        ShowError(texts::CouldNotCreateId());
        return result::kBadCommand;
    }
    // The copy gets the source's destination and a fresh stamp, nothing else of the record.
    int written = destination->WriteDestinationToXml(dstId);
    if (written != result::kSuccess) {
        WriteLog(log_level::kError, L"Error destination->WriteDestinationToXml writeXml = %d", written);
        ShowError(texts::CouldNotWriteSettings());
        return written;
    }
    return result::kSuccess;
}
