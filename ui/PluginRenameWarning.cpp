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

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

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

int ColumnTextWidth(HWND list, int column) {
    // The list's own margins around a cell's text (as LVSCW_AUTOSIZE leaves them).
    constexpr int kCellMargin = 16;
    wchar_t header[256] = {};
    LVCOLUMNW title = {};
    title.mask = LVCF_TEXT;
    title.pszText = header;
    title.cchTextMax = 256;
    ::SendMessageW(list, LVM_GETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&title));
    int widest = static_cast<int>(::SendMessageW(list, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(header)));
    int rows = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    std::vector<wchar_t> text(32768);
    for (int row = 0; row < rows; ++row) {
        LVITEMW item = {};
        item.iSubItem = column;
        item.pszText = text.data();
        item.cchTextMax = static_cast<int>(text.size());
        ::SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
        int width = static_cast<int>(::SendMessageW(list, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(text.data())));
        if (width > widest) widest = width;
    }
    return widest + kCellMargin;
}

std::wstring CellText(HWND list, int row, int column) {
    std::vector<wchar_t> text(32768);
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = text.data();
    item.cchTextMax = static_cast<int>(text.size());
    int length = static_cast<int>(
        ::SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)));
    return std::wstring(text.data(), length > 0 ? static_cast<size_t>(length) : 0);
}

bool PutOnClipboard(HWND owner, const std::wstring& text) {
    size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!memory) return false;
    if (void* target = ::GlobalLock(memory)) {
        std::memcpy(target, text.c_str(), bytes);
        ::GlobalUnlock(memory);
    }
    if (!::OpenClipboard(owner)) {
        ::GlobalFree(memory);
        return false;
    }
    ::EmptyClipboard();
    // Once set, the memory belongs to the clipboard.
    bool placed = ::SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    ::CloseClipboard();
    if (!placed) ::GlobalFree(memory);
    return placed;
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
    // Label tips show a name that a narrowed column cuts.
    ::SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
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

    RECT client = {};
    ::GetClientRect(GetSafeHwnd(), &client);
    m_initialClient = SIZE{client.right, client.bottom};
    RECT window = {};
    ::GetWindowRect(GetSafeHwnd(), &window);
    m_minimumWindow = SIZE{window.right - window.left, window.bottom - window.top};
    for (int id : {IDC_RENAME_MESSAGE, IDC_RENAME_LIST, IDC_DO_NOT_SHOW_AGAIN, IDOK}) {
        if (GetDlgItem(id)) m_anchored.push_back({id, ControlRect(id)});
    }
    if (built == result::kSuccess) FitColumns();
    return TRUE;
}

bool PluginRenameWarningDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    switch (message) {
    case WM_SIZE:
        if (wParam == SIZE_MINIMIZED) return false;
        LayOut(LOWORD(lParam), HIWORD(lParam));
        return false;  // the dialog manager still sees the size (the size grip)
    case WM_GETMINMAXINFO: {
        auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
        if (m_minimumWindow.cx > 0) limits->ptMinTrackSize = POINT{m_minimumWindow.cx, m_minimumWindow.cy};
        result = 0;
        return true;
    }
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->idFrom != IDC_RENAME_LIST || header->code != LVN_KEYDOWN) return false;
        auto* key = reinterpret_cast<NMLVKEYDOWN*>(lParam);
        if (key->wVKey == 'C' && ::GetKeyState(VK_CONTROL) < 0) CopySelectedRows();
        return false;
    }
    case WM_COPY:
        CopySelectedRows();
        result = 0;
        return true;
    default:
        return false;
    }
}

void PluginRenameWarningDialog::LayOut(int clientWidth, int clientHeight) {
    if (m_anchored.empty()) return;
    int dx = clientWidth - m_initialClient.cx;
    int dy = clientHeight - m_initialClient.cy;
    for (const Anchored& control : m_anchored) {
        RECT rect = control.initial;
        switch (control.id) {
        case IDC_RENAME_MESSAGE: rect.right += dx; break;
        case IDC_RENAME_LIST:
            rect.right += dx;
            rect.bottom += dy;
            break;
        case IDC_DO_NOT_SHOW_AGAIN:
            rect.right += dx;
            ::OffsetRect(&rect, 0, dy);
            break;
        default: ::OffsetRect(&rect, dx, dy); break;  // OK stays in its corner
        }
        MoveControl(control.id, rect);
    }
    FitColumns();
}

void PluginRenameWarningDialog::FitColumns() {
    HWND list = GetDlgItem(IDC_RENAME_LIST);
    if (!list) return;
    RECT client = {};
    ::GetClientRect(list, &client);
    int available = client.right - client.left;
    int first = std::max(ColumnTextWidth(list, 0), available / 2);
    int second = std::max(ColumnTextWidth(list, 1), available - first);
    ::SendMessageW(list, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(first, 0));
    ::SendMessageW(list, LVM_SETCOLUMNWIDTH, 1, MAKELPARAM(second, 0));
    // A horizontal scroll bar that came or went changes the client area: fit once more.
    RECT after = {};
    ::GetClientRect(list, &after);
    if (after.right != client.right && first + second > after.right) {
        ::SendMessageW(list, LVM_SETCOLUMNWIDTH, 1,
                       MAKELPARAM(std::max(ColumnTextWidth(list, 1), static_cast<int>(after.right) - first), 0));
    }
}

void PluginRenameWarningDialog::CopySelectedRows() {
    HWND list = GetDlgItem(IDC_RENAME_LIST);
    std::wstring text;
    int row = -1;
    while ((row = static_cast<int>(::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED))) >= 0) {
        text += CellText(list, row, 0) + L"\t" + CellText(list, row, 1) + L"\r\n";
    }
    if (!text.empty()) (void)PutOnClipboard(GetSafeHwnd(), text);
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
