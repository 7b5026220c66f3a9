#include "app/PluginImportSetting.h"

#include "settings/PluginWriter.h"
#include "settings/SettingsXml.h"
#include "support/ResultCodes.h"

int PluginImportSettingFolderEx::ImportFile(const MyFilePath& settingsPath, const MyFilePath& importPath) {
    PluginXMLAppenderUtf8 appender;
    // Each merge loads both files and saves the settings file on success, so the job records
    // are already kept when the common section then fails.
    int code = appender.AppendSettings(settingsPath.GetPath(), importPath.GetPath(), settings_xml::kJobRecord,
                                       settings_xml::kRoot, settings_xml::kRoot, settings_xml::kId);
    if (code != result::kSuccess) return code;
    return appender.AppendSettings(settingsPath.GetPath(), importPath.GetPath(), settings_xml::kCommonSection,
                                   settings_xml::kRoot, settings_xml::kRoot, nullptr);
}
