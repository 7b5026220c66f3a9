// The warning shown after a batch that saved files under new names because their names were
// taken: a list of the batch's files with the names they were saved under, and a check box
// that turns the warning off (the common setting "ShowRenames", written back only on OK).
#pragma once

#include "ui/CPluginBaseDialog.h"

#include <string>
#include <vector>

class PluginReader;
class PluginWriter;
class PluginTargetList;

class PluginRenameWarning {
public:
    virtual ~PluginRenameWarning();
    // Shows the warning when "ShowRenames" is true or not stored, and stores the user's choice.
    // The caller decides whether the batch renamed anything and was not cancelled.
    void Warning(PluginReader* reader, PluginWriter* writer, PluginTargetList* targetList);
};

class PluginRenameWarningDialog : public CPluginBaseDialog {
public:
    explicit PluginRenameWarningDialog(HWND parent);
    ~PluginRenameWarningDialog() override;

    // The batch's targets (not owned); 160 without a list.
    [[nodiscard]] int SetList(PluginTargetList* targetList);
    // False only when the check box was checked when OK was pressed.
    bool ShowAgain() const;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(DataExchange& dx) override;
    void OnOK() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

private:
    // A control's rectangle at the dialog's first size, in the dialog's client coordinates.
    struct Anchored {
        int id;
        RECT initial;
    };

    // Widths that show every name whole: each column as wide as its widest text, and together
    // at least as wide as the list, so that the columns fill it.
    void FitColumns();
    // Keeps the message and the check box as wide as the dialog, the list filling the rest and
    // the OK button in its corner.
    void LayOut(int clientWidth, int clientHeight);
    // The selected rows, one per line, their columns separated by a tab, onto the clipboard.
    void CopySelectedRows();

    // 0, or 1359 when a column could not be inserted.
    [[nodiscard]] int InsertColumns();
    // 0, or 1359 when a row could not be filled or there is no target list.
    [[nodiscard]] int FillList();

    PluginTargetList* m_targetList = nullptr;
    std::vector<Anchored> m_anchored;
    SIZE m_initialClient = {};
    SIZE m_minimumWindow = {};
    int m_checkState = 0;
    std::wstring m_message;
};
