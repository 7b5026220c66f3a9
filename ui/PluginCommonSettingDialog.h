// The common setting dialog: one check box, "confirm the file name when saving", which is the
// common setting "ShowRenames". The dialog only shows and returns the value.
#pragma once

#include "ui/CPluginBaseDialog.h"

class PluginCommonSettingDialog : public CPluginBaseDialog {
public:
    explicit PluginCommonSettingDialog(HWND parent);
    ~PluginCommonSettingDialog() override;

    // Check state to show; always 0.
    int SetValue(bool flag);
    // The state shown, or after OK the state the user left.
    bool GetValue() const { return m_value == 1; }

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(DataExchange& dx) override;

private:
    int m_value = 0;
};
