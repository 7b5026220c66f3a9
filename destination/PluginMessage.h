// The two texts with which the plug-in tells the user that the cloud application is needed:
// the question before a save and the reminder line of a settings summary.
#pragma once

#include <string>

class PluginMessage {
public:
    PluginMessage(std::wstring text, std::wstring summaryLine)
        : m_text(std::move(text)), m_summaryLine(std::move(summaryLine)) {}
    virtual ~PluginMessage() = default;

    const std::wstring& GetText() const { return m_text; }
    const std::wstring& GetSummaryLine() const { return m_summaryLine; }

private:
    const std::wstring m_text;
    const std::wstring m_summaryLine;
};
