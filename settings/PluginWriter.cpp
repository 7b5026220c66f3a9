#include "settings/PluginWriter.h"

#include "settings/MyXml.h"
#include "settings/SettingsXml.h"
#include "settings/XmlFileIo.h"
#include "support/FileLock.h"
#include "support/ResultCodes.h"
#include "support/ValueText.h"

int PluginWriter::WriteUntyped(const wchar_t*, const void*, int) { return result::kSuccess; }
int PluginWriter::WriteParam(const wchar_t*, int, int) { return result::kSuccess; }
int PluginWriter::WriteParam(const wchar_t*, bool, int) { return result::kSuccess; }
int PluginWriter::WriteParam(const wchar_t*, const wchar_t*, int) { return result::kSuccess; }

int PluginWriterXML::SetID(const MyGuid& id) {
    m_id = id;
    return result::kSuccess;
}

int PluginWriterXML::WriteParam(const wchar_t* name, int value, int scope) {
    std::wstring text;
    IntToText(value, text);
    return PluginWriterXML::WriteParam(name, text.c_str(), scope);
}

int PluginWriterXML::WriteParam(const wchar_t* name, bool value, int scope) {
    std::wstring text;
    BoolToText(value, text);
    return PluginWriterXML::WriteParam(name, text.c_str(), scope);
}

namespace {

// Puts the writer on the common section, adding it to the root when missing.
// 0; 10 without root; the DOM status of a failed addition.
int SelectCommonSection(MyXmlWriterUtf8& writer, bool& found) {
    found = writer.SelectElements(settings_xml::kCommonSection) != nullptr;
    if (found) return result::kSuccess;
    if (!writer.SelectElements(settings_xml::kRoot)) return result::kBadEnvironment;
    HRESULT added = writer.AddChild(settings_xml::kCommonSection, nullptr, nullptr, nullptr);
    if (added != S_OK) return static_cast<int>(added);
    found = writer.SelectElements(settings_xml::kCommonSection) != nullptr;
    return result::kSuccess;
}

// Puts the writer on the job's record, adding it to the root when missing.
int SelectJobRecord(MyXmlWriterUtf8& writer, const MyGuid& id, bool& found) {
    found = settings_xml::FindRecord(writer, id);
    if (found) return result::kSuccess;
    if (!writer.SelectElements(settings_xml::kRoot)) return result::kBadEnvironment;
    const std::wstring idText = id.ToString(1);
    HRESULT added = writer.AddChild(settings_xml::kJobRecord, nullptr, settings_xml::kId, idText.c_str());
    if (added != S_OK) return static_cast<int>(added);
    found = settings_xml::FindRecord(writer, id);
    return result::kSuccess;
}

}  // namespace

int PluginWriterXML::WriteParam(const wchar_t* name, const wchar_t* value, int scope) {
    if (!name || !value) return result::kBadArguments;
    MyFilePath path(L"");
    GetFilePath(path);
    if (path.GetPath().empty()) return ERROR_PATH_NOT_FOUND;
    MyFolderPath folder(path.GetFolder());
    if (!folder.Exists()) {
        DWORD error = folder.CreateRecursive();
        if (error != 0) return static_cast<int>(error);
    }

    // Held from the load to the save, so that a change of another process is not undone.
    FileLock lock;
    if (DWORD error = xml_file_io::LockForChange(lock, path.GetPath())) return static_cast<int>(error);
    MyXmlWriterUtf8 writer;
    HRESULT loaded = writer.Load(path.GetPath());
    if (loaded == E_INVALIDARG) {
        // A file that exists but cannot be loaded is never overwritten by a write.
        if (path.Exists()) return result::kAccessDenied;
        if (writer.CreateNew(settings_xml::kRoot, nullptr) != S_OK) return result::kAccessDenied;
    } else if (loaded != S_OK) {
        return result::kInternalError;
    }

    bool found = false;
    if (scope == setting_scope::kCommon) {
        int code = SelectCommonSection(writer, found);
        if (code != result::kSuccess || !found) return code;
        if (writer.SetChildText(name, value, 1) != S_OK) return result::kInvalidData;
    } else if (scope == setting_scope::kJob) {
        int code = SelectJobRecord(writer, m_id, found);
        if (code != result::kSuccess || !found) return code;
        // Every job write renews the record's stamp. It is set first, while the cursor is still
        // on the record: adding the value's element moves the cursor to that element.
        if (writer.SetAttribute(settings_xml::kLastUpdate, settings_format::CurrentStamp()) != S_OK) {
            return result::kBadEnvironment;
        }
        if (writer.SetChildText(name, value, 1) != S_OK) return result::kInvalidData;
    } else {
        return result::kBadArguments;
    }
    // A save that fails is reported: the value was not stored.
    return writer.Save(path.GetPath()) == S_OK ? result::kSuccess : result::kAccessDenied;
}

int PluginWriterXML::DeleteRecord() {
    MyFilePath path(L"");
    GetFilePath(path);
    FileLock lock;
    if (DWORD error = xml_file_io::LockForChange(lock, path.GetPath())) return static_cast<int>(error);
    MyXmlWriterUtf8 writer;
    if (writer.Load(path.GetPath()) != S_OK) return result::kFileNotFound;
    const std::wstring idText = m_id.ToString(1);
    if (writer.RemoveElement(settings_xml::kJobRecord, nullptr, settings_xml::kId, idText.c_str()) != S_OK) {
        return result::kBadArguments;
    }
    return writer.Save(path.GetPath()) == S_OK ? result::kSuccess : result::kAccessDenied;
}

void PluginWriterXMLBrellix::GetFilePath(MyFilePath& path) {
    PluginSettingFileBrellix file(m_baseFolder);
    file.GetFilePath(path);
}

int PluginXMLAppenderUtf8::AppendSettings(const std::wstring& destinationPath, const std::wstring& sourcePath,
                                          const std::wstring& elementName, const std::wstring& parentName,
                                          const std::wstring& rootName, const wchar_t* attributeName) {
    MyXmlReader source;
    if (source.Load(sourcePath) != S_OK) return result::kFileNotFound;
    FileLock lock;
    if (DWORD error = xml_file_io::LockForChange(lock, destinationPath)) return static_cast<int>(error);
    MyXmlWriterUtf8 destination;
    if (destination.Load(destinationPath) != S_OK && destination.CreateNew(rootName, nullptr) != S_OK) {
        return result::kAccessDenied;
    }

    if (source.SelectElements(elementName)) {
        do {
            bool corresponds = false;
            if (attributeName) {
                // The first destination element whose attribute equals the source element's.
                std::wstring key;
                corresponds = source.GetAttribute(key, attributeName) == S_OK &&
                              destination.SelectElementWithAttribute(elementName, attributeName, key) != nullptr;
            } else if (destination.SelectElements(elementName)) {
                do {
                    corresponds = destination.MatchesElement(&source);
                } while (!corresponds && destination.MoveNext());
            }
            HRESULT placed = S_OK;
            if (corresponds) {
                placed = destination.ReplaceWith(&source);
            } else {
                if (!destination.SelectElements(parentName)) return result::kInvalidData;
                placed = destination.AppendChild(&source);
            }
            if (placed != S_OK) return result::kInvalidData;
        } while (source.MoveNext());
    }
    return destination.Save(destinationPath) == S_OK ? result::kSuccess : result::kAccessDenied;
}
