// The error dialog: the text of a failure and three ways on, Retry, Abort and Setting (choose
// the destination folder again, then retry). It only reports how it was closed:
//   4 (IDRETRY)  Retry, or Setting with a folder chosen
//   3 (IDABORT)  Abort
//   2 (IDCANCEL) Esc or the close box
//   5            shown without a message ("Error occured." instead of the dialog)
//   -1           the dialog could not be created
#pragma once

#include "ui/CPluginBaseDialog.h"

#include <string>

class PluginDestination;

class PluginErrorDialog : public CPluginBaseDialog {
public:
    explicit PluginErrorDialog(HWND parent);
    ~PluginErrorDialog() override;

    // The failure's text and the destination whose folder Setting chooses again (not owned).
    // 160 without a destination, and nothing changes.
    [[nodiscard]] int SetMessage(const std::wstring& text, PluginDestination* settingTarget);
    INT_PTR DoModal() override;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(DataExchange& dx) override;
    bool OnCommand(int controlId, int notifyCode) override;

private:
    void OnRetry();
    void OnAbort();
    void OnSetting();
    void FitMessage();

    std::wstring m_message;
    PluginDestination* m_settingTarget = nullptr;
    bool m_messageSet = false;
};
