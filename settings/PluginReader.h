// Readers of named parameters from the settings file. Scope 0 is the section common to all
// jobs, scope 1 the record of the reader's job ID.
#pragma once

#include "settings/PluginSettingFile.h"
#include "support/MyGuid.h"
#include "support/MyPath.h"

#include <ctime>
#include <string>

namespace setting_scope {
constexpr int kCommon = 0;
constexpr int kJob = 1;
}  // namespace setting_scope

class PluginReader {
public:
    virtual ~PluginReader() = default;
    // A read without a type; answered with 0 and no effect.
    [[nodiscard]] virtual int ReadUntyped(void* value, const wchar_t* name, int scope);
    [[nodiscard]] virtual int ReadParam(int* value, const wchar_t* name, int scope);
    [[nodiscard]] virtual int ReadParam(bool* value, const wchar_t* name, int scope);
    [[nodiscard]] virtual int ReadParam(std::wstring* value, const wchar_t* name, int scope);
};

class PluginReaderXML : public PluginReader {
public:
    explicit PluginReaderXML(const MyGuid& id) : m_id(id) {}
    int ReadParam(int* value, const wchar_t* name, int scope) override;
    int ReadParam(bool* value, const wchar_t* name, int scope) override;
    int ReadParam(std::wstring* value, const wchar_t* name, int scope) override;
    [[nodiscard]] virtual int SetID(const MyGuid& id);
    // The job record's LastUpdate stamp as a local time value.
    [[nodiscard]] virtual int ReadLastUpdate(time_t* time);
    virtual void GetFilePath(MyFilePath& path) = 0;

private:
    MyGuid m_id;
};

class PluginReaderXMLBrellix : public PluginReaderXML {
public:
    // baseFolder stands in for the roaming application-data folder when not empty.
    explicit PluginReaderXMLBrellix(const MyGuid& id, std::wstring baseFolder = std::wstring())
        : PluginReaderXML(id), m_baseFolder(std::move(baseFolder)) {}
    void GetFilePath(MyFilePath& path) override;

private:
    std::wstring m_baseFolder;
};

namespace settings_format {
// Parses "%Y/%m/%d %H:%M:%S" (fields of one or two digits, year of four) into a local time
// value; false when the text is not such a date and time.
bool ParseLastUpdate(const std::wstring& text, time_t& time);
// The current local time in the stamp format.
std::wstring CurrentStamp();
}  // namespace settings_format
