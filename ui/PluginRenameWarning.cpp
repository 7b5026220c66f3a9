#include "ui/PluginRenameWarning.h"

#include "resources/resource.h"
#include "send/PluginTarget.h"
#include "send/PluginTargetList.h"
#include "send/SendStatus.h"
#include "settings/PluginReader.h"
#include "settings/PluginWriter.h"
#include "support/Localization.h"
#include "support/MessageTexts.h"
#include "support/OrvInfoLog.h"
#include "support/ResultCodes.h"

#include <commctrl.h>

namespace {

const wchar_t kShowRenames[] = L"ShowRenames";
constexpr int kChecked = 1;
constexpr INT_PTR kListFailedEndCode = 3;

// A missing settings file, entry or common section means the default: show the warning.
bool CountsAsNotStored(int code) {
    return code == result::kFileNotFound || code == result::kBadEnvironment || code == result::kNotStored;
}

bool InsertColumn(HWND list, int index, const std::wstring& title, int width) {
    LVCOLUMNW column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = LVCFMT_LEFT;
    column.cx = width;
    column.pszText = const_cast<wchar_t*>(title.c_str());
    column.iSubItem = index;
    return ::SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column)) ==
           index;
}

bool InsertRow(HWND list, int index, const std::wstring& text) {
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = index;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    return ::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)) == index;
}

bool SetCell(HWND list, int row, int column, const std::wstring& text) {
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = const_cast<wchar_t*>(text.c_str());
    return ::SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)) != 0;
}

}  // namespace

PluginRenameWarning::~PluginRenameWarning() = default;

void PluginRenameWarning::Warning(PluginReader* reader, PluginWriter* writer, PluginTargetList* targetList) {
    WriteLog(log_level::kTrace, L"PluginRenameWarning::Warning");
    if (!reader || !targetList) return;
    bool show = false;
    int read = reader->ReadParam(&show, kShowRenames, setting_scope::kCommon);
    if (read == result::kSuccess) {
        if (!show) return;
    } else if (!CountsAsNotStored(read)) {
        ShowMessage(nullptr, texts::CouldNotReadSettings(), texts::Error(), MB_OK);
        return;
    }

    PluginRenameWarningDialog dialog(nullptr);
    if (dialog.SetList(targetList) != result::kSuccess) return;
    if (dialog.DoModal() != IDOK) return;
    // Without a writer the choice cannot be kept: say so as for a failed write.
    int written = writer ? writer->WriteParam(kShowRenames, dialog.ShowAgain(), setting_scope::kCommon)
                         : result::kBadArguments;
    if (written != result::kSuccess) {
        ShowMessage(nullptr, texts::CouldNotWriteSettings(), texts::Error(), 0);
    }
}

PluginRenameWarningDialog::PluginRenameWarningDialog(HWND parent) : CPluginBaseDialog(IDD_RENAME_WARNING, parent) {
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
}

PluginRenameWarningDialog::~PluginRenameWarningDialog() = default;

int PluginRenameWarningDialog::SetList(PluginTargetList* targetList) {
    if (!targetList) return result::kBadArguments;
    m_targetList = targetList;
    return result::kSuccess;
}

bool PluginRenameWarningDialog::ShowAgain() const { return m_checkState != kChecked; }

BOOL PluginRenameWarningDialog::OnInitDialog() {
    HWND list = GetDlgItem(IDC_RENAME_LIST);
    ::SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    int built = InsertColumns();
    if (built == result::kSuccess) built = FillList();
    if (built != result::kSuccess) {
        MessageBox(texts::ErrorOccured(), std::wstring(), MB_OK);
        EndDialog(kListFailedEndCode);
    }

    SetWindowText(texts::RenamedFiles());
    SetDlgItemText(IDC_DO_NOT_SHOW_AGAIN, texts::DoNotShowAgain());
    ::SendMessageW(GetDlgItem(IDC_DO_NOT_SHOW_AGAIN), BM_SETCHECK, BST_UNCHECKED, 0);
    m_message = texts::FileNamesDuplicated();
    SetDlgItemText(IDOK, texts::Ok());
    SetDlgItemText(IDC_RENAME_MESSAGE, m_message);
    return TRUE;
}

// Only the check box is read back (by OK); the message goes one way, into its text.
void PluginRenameWarningDialog::DoDataExchange(DataExchange& dx) { dx.Check(IDC_DO_NOT_SHOW_AGAIN, m_checkState); }

void PluginRenameWarningDialog::OnOK() {
    if (!UpdateData(true)) return;
    if (m_checkState == kChecked) {
        // Where the confirmation can be turned on again.
        MessageBox(texts::RenameHint(), texts::CommonSettings(), MB_OK);
    }
    EndDialog(IDOK);
}

int PluginRenameWarningDialog::InsertColumns() {
    HWND list = GetDlgItem(IDC_RENAME_LIST);
    RECT client = {};
    ::GetClientRect(list, &client);
    int half = (client.right - client.left) / 2;
    if (!InsertColumn(list, 0, texts::ConfiguredFileName(), half)) return result::kInternalError;
    if (!InsertColumn(list, 1, texts::RenamedFileName(), half)) return result::kInternalError;
    return result::kSuccess;
}

int PluginRenameWarningDialog::FillList() {
    if (!m_targetList) return result::kInternalError;
    HWND list = GetDlgItem(IDC_RENAME_LIST);
    int built = result::kSuccess;
    int row = 0;
    while (PluginTargetFile* file = m_targetList->Next()) {
        if (!InsertRow(list, row, file->GetSourcePath().GetFileName())) {
            built = result::kInternalError;
            break;
        }
        if (file->GetStatus() == send_status::kSavedUnderNewName &&
            !SetCell(list, row, 1, file->GetSavedPath().GetFileName())) {
            built = result::kInternalError;
            break;
        }
        ++row;
    }
    m_targetList->ResetCursor();
    return built;
}
