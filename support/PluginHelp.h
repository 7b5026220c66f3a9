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

    // The language whose help file serves a locale: the primary language's default, but
    // 2052 for Simplified Chinese and Singapore; and that language's file-name suffix, "_EN"
    // for a language without help files.
    static int HelpLanguage(int locale);
    static const wchar_t* LanguageSuffixOf(int locale);

private:
    // "<folder of the module>\", or empty when the folder cannot be taken off the file name.
    // False when the module's file name cannot be had: then there is no help.
    bool HelpFolder(std::wstring& folder) const;
    // OrvHelpW (looked up each time) or, without the help library, WinHelpW; true on success.
    bool Open(HWND owner, const std::wstring& file) const;

    std::wstring m_topic;
    std::wstring m_moduleName;
    HMODULE m_helpLibrary = nullptr;
};
