// Opens the help file of a topic in the current language, through the optional help library
// "orvhelp.dll" or, without it, through WinHelpW.
#pragma once

#include <windows.h>

#include <string>

class PluginHelp {
public:
    PluginHelp(std::wstring topic, std::wstring moduleName);
    virtual ~PluginHelp();
    PluginHelp(const PluginHelp&) = delete;
    PluginHelp& operator=(const PluginHelp&) = delete;

    // Opens "<module folder>\<topic><language suffix>.chm"; falls back to the "_EN" file.
    virtual void ShowHelp(HWND owner, int locale);

private:
    std::wstring m_topic;
    std::wstring m_moduleName;
    HMODULE m_helpLibrary = nullptr;
};
