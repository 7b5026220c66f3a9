#include "app/PluginImportSetting.h"

#include "settings/PluginWriter.h"
#include "settings/SettingsXml.h"
#include "settings/XmlFileIo.h"
#include "support/FileLock.h"
#include "support/ResultCodes.h"

int PluginImportSettingFolderEx::ImportFile(const MyFilePath& settingsPath, const MyFilePath& importPath) {
    // Both merges under one hold of the lock: no other change lands between them.
    FileLock lock;
    if (DWORD error = xml_file_io::LockForChange(lock, settingsPath.GetPath())) return static_cast<int>(error);
    PluginXMLAppenderUtf8 appender;
    // Each merge loads both files and saves the settings file on success, so the job records
    // are already kept when the common section then fails.
    int code = appender.AppendSettings(settingsPath.GetPath(), importPath.GetPath(), settings_xml::kJobRecord,
                                       settings_xml::kRoot, settings_xml::kRoot, settings_xml::kId);
    if (code != result::kSuccess) return code;
    return appender.AppendSettings(settingsPath.GetPath(), importPath.GetPath(), settings_xml::kCommonSection,
                                   settings_xml::kRoot, settings_xml::kRoot, nullptr);
}
