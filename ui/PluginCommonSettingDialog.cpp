#include "ui/PluginCommonSettingDialog.h"

#include "resources/resource.h"
#include "support/MessageTexts.h"

PluginCommonSettingDialog::PluginCommonSettingDialog(HWND parent)
    : CPluginBaseDialog(IDD_COMMON_SETTING, parent) {}

PluginCommonSettingDialog::~PluginCommonSettingDialog() = default;

int PluginCommonSettingDialog::SetValue(bool flag) {
    m_value = flag ? 1 : 0;
    return 0;
}

BOOL PluginCommonSettingDialog::OnInitDialog() {
    CPluginBaseDialog::OnInitDialog();  // check state = value
    SetWindowText(texts::CommonSettings());
    SetDlgItemText(IDC_SHOW_RENAMES, texts::ConfirmFileName());
    SetDlgItemText(IDOK, texts::Ok());
    return TRUE;
}

// The check box is read only by OK (the base's OnOK); Esc leaves the value as it was.
void PluginCommonSettingDialog::DoDataExchange(DataExchange& dx) { dx.Check(IDC_SHOW_RENAMES, m_value); }
