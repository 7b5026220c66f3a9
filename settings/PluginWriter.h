// Writers of named parameters into the settings file, and the merge of another settings file.
#pragma once

#include "settings/PluginReader.h"

#include <string>

class PluginWriter {
public:
    virtual ~PluginWriter() = default;
    // A write without a type; answered with 0 and no effect.
    [[nodiscard]] virtual int WriteUntyped(const wchar_t* name, const void* value, int scope);
    [[nodiscard]] virtual int WriteParam(const wchar_t* name, int value, int scope);
    [[nodiscard]] virtual int WriteParam(const wchar_t* name, bool value, int scope);
    [[nodiscard]] virtual int WriteParam(const wchar_t* name, const wchar_t* value, int scope);
};

class PluginWriterXML : public PluginWriter {
public:
    explicit PluginWriterXML(const MyGuid& id) : m_id(id) {}
    int WriteParam(const wchar_t* name, int value, int scope) override;
    int WriteParam(const wchar_t* name, bool value, int scope) override;
    int WriteParam(const wchar_t* name, const wchar_t* value, int scope) override;
    [[nodiscard]] virtual int SetID(const MyGuid& id);
    // Removes the first job record with the writer's ID.
    [[nodiscard]] virtual int DeleteRecord();
    virtual void GetFilePath(MyFilePath& path) = 0;

private:
    MyGuid m_id;
};

class PluginWriterXMLBrellix : public PluginWriterXML {
public:
    // baseFolder stands in for the roaming application-data folder when not empty.
    explicit PluginWriterXMLBrellix(const MyGuid& id, std::wstring baseFolder = std::wstring())
        : PluginWriterXML(id), m_baseFolder(std::move(baseFolder)) {}
    void GetFilePath(MyFilePath& path) override;

private:
    std::wstring m_baseFolder;
};

class PluginXMLAppender {
public:
    virtual ~PluginXMLAppender() = default;
    // Merges the elements named elementName of the source file into the destination file.
    // attributeName (or null) identifies corresponding elements.
    [[nodiscard]] virtual int AppendSettings(const std::wstring& destinationPath, const std::wstring& sourcePath,
                                             const std::wstring& elementName, const std::wstring& parentName,
                                             const std::wstring& rootName, const wchar_t* attributeName) = 0;
};

class PluginXMLAppenderUtf8 : public PluginXMLAppender {
public:
    int AppendSettings(const std::wstring& destinationPath, const std::wstring& sourcePath,
                       const std::wstring& elementName, const std::wstring& parentName, const std::wstring& rootName,
                       const wchar_t* attributeName) override;
};
