// Placeholder until the help library binding is built: shows nothing.
#include "support/PluginHelp.h"

PluginHelp::PluginHelp(std::wstring topic, std::wstring moduleName)
    : m_topic(std::move(topic)), m_moduleName(std::move(moduleName)) {}

PluginHelp::~PluginHelp() {
    if (m_helpLibrary) ::FreeLibrary(m_helpLibrary);
}

void PluginHelp::ShowHelp(HWND, int) {}
