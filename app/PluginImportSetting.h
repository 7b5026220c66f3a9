// Takes over an exported settings file: its job records and common section are merged into
// the plug-in's own settings file.
#pragma once

#include "support/MyPath.h"

class PluginImportSetting {
public:
    virtual ~PluginImportSetting() = default;
    // Merges the file at importPath into the settings file at settingsPath.
    [[nodiscard]] virtual int ImportFile(const MyFilePath& settingsPath, const MyFilePath& importPath) = 0;
};

// Job records replace the records of the same ID or are appended; the imported common
// section replaces the existing one.
class PluginImportSettingFolderEx : public PluginImportSetting {
public:
    int ImportFile(const MyFilePath& settingsPath, const MyFilePath& importPath) override;
};
