#include "destination/PluginDestinationBrellix.h"

#include "destination/PluginDefaultDestination.h"
#include "settings/PluginReader.h"
#include "settings/PluginWriter.h"
#include "support/OrvInfoLog.h"
#include "support/PluginHelp.h"

#include <new>

PluginWriterXML* PluginDestinationBrellix::CreateWriterXML(const MyGuid& jobId) {
    WriteLog(log_level::kTrace, L"PluginDestinationBrellix::CreateWriterXML");
    return new (std::nothrow) PluginWriterXMLBrellix(jobId, m_settingsBase);
}

PluginReaderXML* PluginDestinationBrellix::CreateReaderXML(const MyGuid& jobId) {
    WriteLog(log_level::kTrace, L"PluginDestinationBrellix::CreateReaderXML");
    return new (std::nothrow) PluginReaderXMLBrellix(jobId, m_settingsBase);
}

PluginHelp* PluginDestinationBrellix::GetHelp() {
    WriteLog(log_level::kTrace, L"PluginDestinationBrellix::GetHelp");
    return new (std::nothrow) PluginHelp(L"ScanToBrellix", L"PluginForBrellix.dll");
}

PluginDefaultDestination* PluginDestinationBrellix::CreateDefaultDestination() {
    WriteLog(log_level::kTrace, L"PluginDestinationBrellix::CreateDefaultDestination");
    return new (std::nothrow) PluginBrellixDrive();
}
