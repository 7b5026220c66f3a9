// Where the plug-in keeps its settings: one XML file per Windows user.
#pragma once

#include "support/MyPath.h"

#include <string>

class PluginSettingFile {
public:
    virtual ~PluginSettingFile() = default;
    // The settings file's path; empty when its folder cannot be determined.
    virtual void GetFilePath(MyFilePath& path) = 0;
};

// "PluginForBrellix.xml" in "Orvane\PluginForBrellix" under the roaming application-data
// folder. A base folder given at construction stands in for the roaming folder (tests and
// tools point the file at a scratch folder this way).
class PluginSettingFileBrellix : public PluginSettingFile {
public:
    PluginSettingFileBrellix() = default;
    explicit PluginSettingFileBrellix(std::wstring baseFolder) : m_baseFolder(std::move(baseFolder)) {}
    void GetFilePath(MyFilePath& path) override;

private:
    std::wstring m_baseFolder;  // empty: the roaming application-data folder
};
