// The plug-in's folder picker: opens on the given folder, uses the dialog font, and shows a
// "&Help" button when a help object is given.
#pragma once

#include <windows.h>

#include <string>

class PluginHelp;

class PluginFolderBrowseDialog {
public:
    PluginFolderBrowseDialog() = default;
    // Forgets the help object.
    virtual ~PluginFolderBrowseDialog();
    PluginFolderBrowseDialog(const PluginFolderBrowseDialog&) = delete;
    PluginFolderBrowseDialog& operator=(const PluginFolderBrowseDialog&) = delete;

    // Stores owner, title and help object (not owned; may be null: then there is no Help
    // button); always 0.
    int Prepare(HWND owner, const std::wstring& title, PluginHelp* help);
    // Opens on path; 1 when a folder was chosen (path then holds it), 2 otherwise.
    virtual int Browse(std::wstring& path);
    // The last Browse result; 5 before any.
    int Result() const { return m_result; }

private:
    static LRESULT HelpHandler(HWND picker, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_owner = nullptr;
    int m_result = 5;
    std::wstring m_title;
};
