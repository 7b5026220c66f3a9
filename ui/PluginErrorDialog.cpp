#include "ui/PluginErrorDialog.h"

#include "destination/PluginDestination.h"
#include "resources/resource.h"
#include "support/MessageTexts.h"
#include "support/ResultCodes.h"

namespace {

constexpr INT_PTR kNoMessageEndCode = 5;
constexpr int kFolderChosen = 1;
constexpr int kIgnoredArgument = 1;

}  // namespace

PluginErrorDialog::PluginErrorDialog(HWND parent) : CPluginBaseDialog(IDD_ERROR, parent) {}

PluginErrorDialog::~PluginErrorDialog() = default;

int PluginErrorDialog::SetMessage(const std::wstring& text, PluginDestination* settingTarget) {
    if (!settingTarget) return result::kBadArguments;
    m_message = text;
    m_settingTarget = settingTarget;
    m_messageSet = true;
    return result::kSuccess;
}

INT_PTR PluginErrorDialog::DoModal() {
    if (!m_messageSet) {
        MessageBox(texts::ErrorOccured(), std::wstring(), MB_OK);
        return kNoMessageEndCode;
    }
    return CPluginBaseDialog::DoModal();
}

// Returning TRUE lets the dialog manager put the focus on the first button, Retry. Retry is also
// made the default button: the template has none, and a dialog manager that does not make the
// focused button the default would otherwise turn Enter into IDOK (1), which counts as abort.
BOOL PluginErrorDialog::OnInitDialog() {
    SetWindowText(texts::Error());
    SetDlgItemText(IDC_RETRY, texts::Retry());
    SetDlgItemText(IDC_ABORT, texts::Abort());
    SetDlgItemText(IDC_SETTING, texts::Setting());
    CPluginBaseDialog::OnInitDialog();  // the message into its text
    FitMessage();
    ::SendMessageW(GetSafeHwnd(), DM_SETDEFID, IDC_RETRY, 0);
    return TRUE;
}

// The message names the reason, the file and the folder, each of any length: the text grows
// downwards until all of it shows, and the line, the buttons and the dialog move with it.
void PluginErrorDialog::FitMessage() {
    HWND text = GetDlgItem(IDC_ERROR_MESSAGE);
    if (!text) return;
    RECT rect = ControlRect(IDC_ERROR_MESSAGE);
    RECT needed = {0, 0, rect.right - rect.left, 0};
    HDC dc = ::GetDC(text);
    if (!dc) return;
    HGDIOBJ font = reinterpret_cast<HGDIOBJ>(::SendMessageW(text, WM_GETFONT, 0, 0));
    HGDIOBJ previousFont = font ? ::SelectObject(dc, font) : nullptr;
    // As the static control breaks it: at words, and inside a word (a path) longer than a line.
    ::DrawTextW(dc, m_message.c_str(), static_cast<int>(m_message.size()), &needed,
                DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX | DT_EXPANDTABS);
    if (previousFont) ::SelectObject(dc, previousFont);
    ::ReleaseDC(text, dc);
    int extra = needed.bottom - (rect.bottom - rect.top);
    if (extra <= 0) return;
    rect.bottom += extra;
    MoveControl(IDC_ERROR_MESSAGE, rect);
    for (int id : {IDC_RETRY, IDC_ABORT, IDC_SETTING, IDC_ERROR_LINE}) {
        RECT below = ControlRect(id);
        ::OffsetRect(&below, 0, extra);
        MoveControl(id, below);
    }
    RECT window = {};
    ::GetWindowRect(GetSafeHwnd(), &window);
    ::SetWindowPos(GetSafeHwnd(), nullptr, 0, 0, window.right - window.left, window.bottom - window.top + extra,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void PluginErrorDialog::DoDataExchange(DataExchange& dx) { dx.Text(IDC_ERROR_MESSAGE, m_message); }

bool PluginErrorDialog::OnCommand(int controlId, int notifyCode) {
    if (notifyCode == BN_CLICKED) {
        switch (controlId) {
        case IDC_RETRY:
            OnRetry();
            return true;
        case IDC_ABORT:
            OnAbort();
            return true;
        case IDC_SETTING:
            OnSetting();
            return true;
        default:
            break;
        }
    }
    return CPluginBaseDialog::OnCommand(controlId, notifyCode);
}

void PluginErrorDialog::OnRetry() { EndDialog(IDRETRY); }

void PluginErrorDialog::OnAbort() { EndDialog(IDABORT); }

// The folder picker is owned by this dialog, so that this dialog is disabled while the picker
// is open: otherwise Retry, Abort or a second Setting (a second picker over the picker's
// process-wide state) could be pressed behind it. A cancelled picker leaves the dialog open.
void PluginErrorDialog::OnSetting() {
    if (!m_settingTarget) return;
    if (m_settingTarget->ReadDestinationFromDialog(kIgnoredArgument, GetSafeHwnd()) == kFolderChosen) {
        EndDialog(IDRETRY);
    }
}
