#include "settings/PluginReader.h"

#include "settings/MyXml.h"
#include "settings/SettingsXml.h"
#include "support/ResultCodes.h"
#include "support/ValueText.h"

#include <windows.h>

#include <cstdio>

int PluginReader::ReadUntyped(void*, const wchar_t*, int) { return result::kSuccess; }
int PluginReader::ReadParam(int*, const wchar_t*, int) { return result::kSuccess; }
int PluginReader::ReadParam(bool*, const wchar_t*, int) { return result::kSuccess; }
int PluginReader::ReadParam(std::wstring*, const wchar_t*, int) { return result::kSuccess; }

int PluginReaderXML::SetID(const MyGuid& id) {
    m_id = id;
    return result::kSuccess;
}

namespace {

// Loads the settings file and puts the reader on the section of the scope. 0, or the code.
int LoadSection(PluginReaderXML& owner, MyXmlReader& reader, const MyGuid& id, int scope) {
    MyFilePath path(L"");
    owner.GetFilePath(path);
    if (!path.Exists()) return result::kFileNotFound;
    if (reader.Load(path.GetPath()) != S_OK) return result::kAccessDenied;
    switch (scope) {
    case setting_scope::kCommon:
        return reader.SelectElements(settings_xml::kCommonSection) ? result::kSuccess : result::kNotStored;
    case setting_scope::kJob:
        return settings_xml::FindRecord(reader, id) ? result::kSuccess : result::kNotStored;
    default:
        return result::kBadArguments;
    }
}

}  // namespace

int PluginReaderXML::ReadParam(std::wstring* value, const wchar_t* name, int scope) {
    if (!value || !name) return result::kBadArguments;
    MyXmlReader reader;
    int code = LoadSection(*this, reader, m_id, scope);
    if (code != result::kSuccess) return code;
    std::wstring text;
    if (reader.GetChildText(text, name) != S_OK) return result::kBadEnvironment;
    *value = std::move(text);
    return result::kSuccess;
}

int PluginReaderXML::ReadParam(int* value, const wchar_t* name, int scope) {
    if (!value) return result::kBadArguments;
    std::wstring text;
    int code = PluginReaderXML::ReadParam(&text, name, scope);
    if (code != result::kSuccess) return code;
    return TextToInt(text, *value) == 0 ? result::kSuccess : result::kBadArguments;
}

int PluginReaderXML::ReadParam(bool* value, const wchar_t* name, int scope) {
    if (!value) return result::kBadArguments;
    std::wstring text;
    int code = PluginReaderXML::ReadParam(&text, name, scope);
    if (code != result::kSuccess) return code;
    return TextToBool(text, *value) == 0 ? result::kSuccess : result::kBadArguments;
}

int PluginReaderXML::ReadLastUpdate(time_t* time) {
    if (!time) return result::kBadArguments;
    MyXmlReader reader;
    int code = LoadSection(*this, reader, m_id, setting_scope::kJob);
    if (code != result::kSuccess) return code;
    std::wstring stamp;
    if (reader.GetAttribute(stamp, settings_xml::kLastUpdate) != S_OK) return result::kBadEnvironment;
    time_t parsed = 0;
    if (!settings_format::ParseLastUpdate(stamp, parsed)) return result::kBadEnvironment;
    *time = parsed;
    return result::kSuccess;
}

void PluginReaderXMLBrellix::GetFilePath(MyFilePath& path) {
    PluginSettingFileBrellix file(m_baseFolder);
    file.GetFilePath(path);
}

namespace settings_format {

namespace {

// Reads a number of minDigits to maxDigits digits at pos.
bool ReadNumber(const std::wstring& text, size_t& pos, size_t minDigits, size_t maxDigits, int& number) {
    size_t start = pos;
    number = 0;
    while (pos < text.size() && pos - start < maxDigits && text[pos] >= L'0' && text[pos] <= L'9') {
        number = number * 10 + (text[pos] - L'0');
        ++pos;
    }
    return pos - start >= minDigits;
}

bool Expect(const std::wstring& text, size_t& pos, wchar_t separator) {
    if (pos >= text.size() || text[pos] != separator) return false;
    ++pos;
    return true;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

}  // namespace

bool ParseLastUpdate(const std::wstring& text, time_t& time) {
    size_t pos = 0;
    while (pos < text.size() && text[pos] == L' ') ++pos;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!ReadNumber(text, pos, 4, 4, year) || !Expect(text, pos, L'/') || !ReadNumber(text, pos, 1, 2, month) ||
        !Expect(text, pos, L'/') || !ReadNumber(text, pos, 1, 2, day) || !Expect(text, pos, L' ') ||
        !ReadNumber(text, pos, 1, 2, hour) || !Expect(text, pos, L':') || !ReadNumber(text, pos, 1, 2, minute) ||
        !Expect(text, pos, L':') || !ReadNumber(text, pos, 1, 2, second)) {
        return false;
    }
    while (pos < text.size() && text[pos] == L' ') ++pos;
    if (pos != text.size()) return false;
    static const int kDaysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1) return false;
    int monthDays = kDaysInMonth[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
    if (day > monthDays || hour > 23 || minute > 59 || second > 59) return false;
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    fields.tm_isdst = -1;  // the system decides whether daylight-saving time applies
    time_t value = std::mktime(&fields);
    if (value == static_cast<time_t>(-1)) return false;
    time = value;
    return true;
}

std::wstring CurrentStamp() {
    time_t now = std::time(nullptr);
    std::tm local{};
    const std::tm* converted = std::localtime(&now);
    if (converted) local = *converted;
    wchar_t text[32] = {};
    std::wcsftime(text, 32, L"%Y/%m/%d %H:%M:%S", &local);
    return text;
}

}  // namespace settings_format
