#include "ui/PluginFolderBrowseDialog.h"

#include "support/Localization.h"
#include "support/MessageTexts.h"
#include "support/PluginHelp.h"
#include "ui/CPluginBaseDialog.h"
#include "ui/FolderBrowseDialog.h"

namespace {
// The picker's Help button has no context of its own (see FolderBrowseDialog).
PluginHelp* g_help = nullptr;
}  // namespace

PluginFolderBrowseDialog::~PluginFolderBrowseDialog() { g_help = nullptr; }

int PluginFolderBrowseDialog::Prepare(HWND owner, const std::wstring& title, PluginHelp* help) {
    m_owner = owner;
    m_title = title;
    g_help = help;
    return 0;
}

int PluginFolderBrowseDialog::Browse(std::wstring& path) {
    FolderBrowseDialog picker;
    std::wstring initialFolder = path;
    // An unusable font text leaves the face empty; SetOptions then keeps no font and the picker
    // its own fonts. Likewise a too long initial folder only loses the preselection.
    FontChoice font;
    DialogFontFromLocale(font.face, font.pointSize);
    (void)picker.SetOptions(m_owner, &m_title, &initialFolder, &font);
    if (g_help) (void)picker.SetExtraButton(texts::Help(), HelpHandler);
    m_result = picker.Browse(initialFolder);
    if (m_result == 1) path = initialFolder;
    return m_result;
}

LRESULT PluginFolderBrowseDialog::HelpHandler(HWND picker, UINT, WPARAM, LPARAM) {
    if (g_help) g_help->ShowHelp(picker, CurrentLocale());
    return 0;
}
