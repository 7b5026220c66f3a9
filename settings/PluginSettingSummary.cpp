#include "settings/PluginSettingSummary.h"

#include "support/Localization.h"
#include "support/ResultCodes.h"

PluginSettingSummary::~PluginSettingSummary() {
    m_pairs.clear();
    m_lines.clear();
}

int PluginSettingSummary::WriteParam(const wchar_t*, int, int) { return result::kSuccess; }
int PluginSettingSummary::WriteParam(const wchar_t*, bool, int) { return result::kSuccess; }

int PluginSettingSummary::WriteParam(const wchar_t* name, const wchar_t* value, int) {
    std::wstring label = name ? TranslateWideKey(name) : std::wstring();
    m_pairs.push_back(std::make_unique<PluginSettingString>(std::move(label), value ? value : L""));
    return result::kSuccess;
}

void PluginSettingSummary::AddLine(const std::wstring& line) { m_lines.push_back(line); }

std::wstring PluginSettingSummary::GetText() const {
    std::wstring text;
    for (size_t i = 0; i < m_pairs.size(); ++i) {
        if (i > 0) text += L'\n';
        text += m_pairs[i]->ToText();
    }
    for (const std::wstring& line : m_lines) {
        if (!text.empty()) text += L'\n';
        text += line;
    }
    return text;
}
