// The settings summary: a writer that collects "label : value" lines instead of storing them.
#pragma once

#include "settings/PluginWriter.h"

#include <memory>
#include <string>
#include <vector>

class PluginSettingString {
public:
    PluginSettingString(std::wstring label, std::wstring value)
        : m_label(std::move(label)), m_value(std::move(value)) {}
    virtual ~PluginSettingString() = default;
    std::wstring ToText() const { return m_label + L" : " + m_value; }

private:
    std::wstring m_label;
    std::wstring m_value;
};

class PluginSettingSummary : public PluginWriter {
public:
    ~PluginSettingSummary() override;
    // Integers and switches are not part of the summary.
    int WriteParam(const wchar_t* name, int value, int scope) override;
    int WriteParam(const wchar_t* name, bool value, int scope) override;
    // Records the translated name and the value; always 0. The scope does not matter.
    int WriteParam(const wchar_t* name, const wchar_t* value, int scope) override;
    void AddLine(const std::wstring& line);
    // The pairs, then the extra lines, joined by line feeds; no line feed at the end.
    std::wstring GetText() const;

private:
    std::vector<std::unique_ptr<PluginSettingString>> m_pairs;
    std::vector<std::wstring> m_lines;
};
