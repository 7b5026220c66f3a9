#include "ui/CPluginBaseDialog.h"

#include "support/ActivationContext.h"
#include "support/Localization.h"
#include "support/MessageTexts.h"
#include "support/MyModule.h"
#include "support/MyPath.h"
#include "support/OrvInfoLog.h"
#include "support/Raii.h"
#include "support/ValueText.h"
#include "ui/DialogPlacement.h"
#include "ui/DialogTemplate.h"
#include "ui/RightToLeftText.h"

#include <commctrl.h>

#include <utility>
#include <vector>

namespace {

// The dialog window that the creation hook of this thread is waiting for, and the hook.
thread_local CPluginBaseDialog* t_creating = nullptr;
thread_local HHOOK t_hook = nullptr;

bool IsDialogWindow(HWND hwnd) {
    wchar_t className[16] = {};
    ::GetClassNameW(hwnd, className, 16);
    return std::wstring(className) == L"#32770";
}

// The in-memory template of templateId with the dialog font of the current locale. Without a
// usable font text the template keeps its own font.
DialogTemplate PrepareTemplate(UINT templateId) {
    // The templates hold common controls (progress bar, list view): register their classes.
    static const bool registered = [] {
        INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_PROGRESS_CLASS | ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
        return ::InitCommonControlsEx(&classes) != FALSE;
    }();
    (void)registered;
    std::wstring face;
    int size = 0;
    bool haveFont = DialogFontFromLocale(face, size);
    DialogTemplate dialogTemplate;
    if (dialogTemplate.Load(MyModule::CodeModule(), templateId) && haveFont) {
        dialogTemplate.SetFont(face, static_cast<WORD>(size));
    }
    return dialogTemplate;
}

int CALLBACK NoteFontFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;  // one family is enough
}

std::wstring ApplicationName() {
    std::wstring path = MyModule::FileNameOf(MyModule::CodeModule());
    std::wstring name = path.substr(path_text::FileNameStart(path));
    size_t dot = name.rfind(L'.');
    return dot == std::wstring::npos ? name : name.substr(0, dot);
}

// Right-to-left reading order for every text of a mirrored dialog: mirroring moves the
// controls, but each control still draws its text left to right unless it is told otherwise
// (punctuation and Latin parts of an Arabic text would land on the wrong side).
BOOL CALLBACK SetRightToLeftReading(HWND child, LPARAM) {
    LONG_PTR exStyle = ::GetWindowLongPtrW(child, GWL_EXSTYLE);
    if (!(exStyle & WS_EX_RTLREADING)) {
        ::SetWindowLongPtrW(child, GWL_EXSTYLE, exStyle | WS_EX_RTLREADING);
        ::InvalidateRect(child, nullptr, TRUE);
    }
    return TRUE;
}

void ApplyRightToLeftReading(HWND dialog) {
    LONG_PTR exStyle = ::GetWindowLongPtrW(dialog, GWL_EXSTYLE);
    ::SetWindowLongPtrW(dialog, GWL_EXSTYLE, exStyle | WS_EX_RTLREADING);
    ::EnumChildWindows(dialog, SetRightToLeftReading, 0);
    DrawStaticsRightToLeft(dialog);
}

}  // namespace

void DataExchange::Text(int controlId, std::wstring& value) {
    HWND control = ::GetDlgItem(m_dialog, controlId);
    if (!m_save) {
        ::SetWindowTextW(control, value.c_str());
        return;
    }
    int length = ::GetWindowTextLengthW(control);
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    int copied = ::GetWindowTextW(control, buffer.data(), length + 1);
    value.assign(buffer.data(), copied > 0 ? static_cast<size_t>(copied) : 0);
}

void DataExchange::Check(int controlId, int& state) {
    HWND control = ::GetDlgItem(m_dialog, controlId);
    if (m_save) {
        state = static_cast<int>(::SendMessageW(control, BM_GETCHECK, 0, 0));
    } else {
        ::SendMessageW(control, BM_SETCHECK, static_cast<WPARAM>(state), 0);
    }
}

CPluginBaseDialog::CPluginBaseDialog(UINT templateId, HWND parent)
    : m_templateId(templateId), m_parent(parent) {}

CPluginBaseDialog::~CPluginBaseDialog() {
    if (m_hwnd && !m_modal) ::DestroyWindow(m_hwnd);
}

BOOL CPluginBaseDialog::Create(UINT templateId, HWND parent) {
    WriteLog(log_level::kTrace, L"CPluginBaseDialog::Create start nIDTemplate = %d", templateId);
    DialogTemplate dialogTemplate = PrepareTemplate(templateId);
    m_templateId = templateId;
    m_modal = false;
    HWND created = nullptr;
    DWORD error = ERROR_RESOURCE_NAME_NOT_FOUND;
    if (!dialogTemplate.IsEmpty()) {
        t_creating = this;
        t_hook = ::SetWindowsHookExW(WH_CBT, CreateHook, nullptr, ::GetCurrentThreadId());
        PluginActivationScope themedControls;
        created = ::CreateDialogIndirectParamW(MyModule::CodeModule(), dialogTemplate.Get(), parent,
                                               DialogProc, reinterpret_cast<LPARAM>(this));
        error = ::GetLastError();
        if (t_hook) ::UnhookWindowsHookEx(t_hook);
        t_hook = nullptr;
        t_creating = nullptr;
    }
    if (!created) WriteLog(log_level::kError, L"CreateIndirect Error = %d", static_cast<int>(error));
    WriteLog(log_level::kTrace, L"CPluginBaseDialog::Create end");
    return created ? TRUE : FALSE;
}

INT_PTR CPluginBaseDialog::DoModal() {
    WriteLog(log_level::kTrace, L"CPluginBaseDialog::DoModal start");
    if (m_templateId == 0) {
        WriteLog(log_level::kError, L"CPluginBaseDialog::DoModal m_nIDTemplate == 0");
        return -1;
    }
    DialogTemplate dialogTemplate = PrepareTemplate(m_templateId);
    INT_PTR endCode = -1;
    if (!dialogTemplate.IsEmpty()) {
        m_modal = true;
        t_creating = this;
        t_hook = ::SetWindowsHookExW(WH_CBT, CreateHook, nullptr, ::GetCurrentThreadId());
        PluginActivationScope themedControls;
        endCode = ::DialogBoxIndirectParamW(MyModule::CodeModule(), dialogTemplate.Get(), m_parent,
                                            DialogProc, reinterpret_cast<LPARAM>(this));
        // The hook removes itself once it has seen the dialog; it is still here only when no
        // dialog window was made.
        if (t_hook) ::UnhookWindowsHookEx(t_hook);
        t_hook = nullptr;
        t_creating = nullptr;
    }
    WriteLog(log_level::kTrace, L"CPluginBaseDialog::DoModal end DoModal = %d", static_cast<int>(endCode));
    return endCode;
}

int CPluginBaseDialog::MessageBox(const std::wstring& text, const std::wstring& caption, UINT style) {
    std::wstring shownCaption = caption.empty() ? ApplicationName() : caption;
    PluginActivationScope themedControls;
    return ::MessageBoxW(m_hwnd, text.c_str(), shownCaption.c_str(), MessageBoxStyle(style));
}

UINT CPluginBaseDialog::MessageBoxStyle(UINT style) const { return style | RightToLeftReadingFlag(); }

int CPluginBaseDialog::OnCreate(CREATESTRUCTW* create) {
    if (::CallWindowProcW(m_previousProc, m_hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(create)) == -1) {
        return -1;
    }
    if (IsRightToLeft()) {
        LONG_PTR exStyle = ::GetWindowLongPtrW(m_hwnd, GWL_EXSTYLE);
        ::SetWindowLongPtrW(m_hwnd, GWL_EXSTYLE, exStyle | WS_EX_LAYOUTRTL);
    }
    return 0;
}

BOOL CPluginBaseDialog::OnInitDialog() {
    UpdateData(false);
    return TRUE;
}

void CPluginBaseDialog::DoDataExchange(DataExchange&) {}

bool CPluginBaseDialog::OnCommand(int controlId, int notifyCode) {
    if (notifyCode != BN_CLICKED && notifyCode != 1) return false;  // 1: from an accelerator
    switch (controlId) {
    case IDOK:
        OnOK();
        return true;
    case IDCANCEL:
        OnCancel();
        return true;
    default:
        return false;
    }
}

void CPluginBaseDialog::OnOK() {
    if (!UpdateData(true)) return;
    EndDialog(IDOK);
}

void CPluginBaseDialog::OnCancel() { EndDialog(IDCANCEL); }

bool CPluginBaseDialog::OnMessage(UINT, WPARAM, LPARAM, INT_PTR&) { return false; }

bool CPluginBaseDialog::UpdateData(bool saveAndValidate) {
    if (!m_hwnd) return false;
    DataExchange dx(m_hwnd, saveAndValidate);
    DoDataExchange(dx);
    return true;
}

void CPluginBaseDialog::EndDialog(INT_PTR endCode) {
    if (m_hwnd) ::EndDialog(m_hwnd, endCode);
}

HWND CPluginBaseDialog::GetDlgItem(int controlId) const { return ::GetDlgItem(m_hwnd, controlId); }

void CPluginBaseDialog::SetDlgItemText(int controlId, const std::wstring& text) {
    ::SetDlgItemTextW(m_hwnd, controlId, text.c_str());
}

std::wstring CPluginBaseDialog::GetDlgItemText(int controlId) const {
    std::wstring text;
    DataExchange(m_hwnd, true).Text(controlId, text);
    return text;
}

void CPluginBaseDialog::SetWindowText(const std::wstring& text) { ::SetWindowTextW(m_hwnd, text.c_str()); }

RECT CPluginBaseDialog::ControlRect(int controlId) const {
    RECT rect = {};
    HWND control = GetDlgItem(controlId);
    if (!control || !::GetWindowRect(control, &rect)) return RECT{};
    ::MapWindowPoints(HWND_DESKTOP, m_hwnd, reinterpret_cast<POINT*>(&rect), 2);
    // In a mirrored dialog the mapped rectangle comes back with left and right swapped.
    if (rect.left > rect.right) std::swap(rect.left, rect.right);
    return rect;
}

void CPluginBaseDialog::MoveControl(int controlId, const RECT& rect) {
    if (HWND control = GetDlgItem(controlId)) {
        ::MoveWindow(control, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
    }
}

CPluginBaseDialog* CPluginBaseDialog::FromHandle(HWND hwnd) {
    return reinterpret_cast<CPluginBaseDialog*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

void CPluginBaseDialog::Attach(HWND hwnd) {
    m_hwnd = hwnd;
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_previousProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WindowProc)));
}

// Sees the dialog window as soon as it exists, before WM_CREATE, and subclasses it so that the
// create handler runs; then removes itself.
LRESULT CALLBACK CPluginBaseDialog::CreateHook(int code, WPARAM wParam, LPARAM lParam) {
    HHOOK hook = t_hook;
    HWND hwnd = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_CREATEWND && t_creating && IsDialogWindow(hwnd)) {
        std::exchange(t_creating, nullptr)->Attach(hwnd);
        t_hook = nullptr;
        ::UnhookWindowsHookEx(hook);
        return 0;
    }
    return ::CallNextHookEx(hook, code, wParam, lParam);
}

LRESULT CALLBACK CPluginBaseDialog::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CPluginBaseDialog* dialog = FromHandle(hwnd);
    if (!dialog) return ::DefDlgProcW(hwnd, message, wParam, lParam);
    WNDPROC previous = dialog->m_previousProc;
    if (message == WM_CREATE) return dialog->OnCreate(reinterpret_cast<CREATESTRUCTW*>(lParam));
    if (message == WM_NCDESTROY) {
        LRESULT result = ::CallWindowProcW(previous, hwnd, message, wParam, lParam);
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        dialog->m_hwnd = nullptr;
        return result;
    }
    return ::CallWindowProcW(previous, hwnd, message, wParam, lParam);
}

// Results of handled messages other than WM_INITDIALOG and WM_COMMAND go through DWLP_MSGRESULT.
INT_PTR CALLBACK CPluginBaseDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CPluginBaseDialog* dialog = FromHandle(hwnd);
    if (message == WM_INITDIALOG) {
        if (!dialog) {  // created without the hook's help: attach now
            dialog = reinterpret_cast<CPluginBaseDialog*>(lParam);
            dialog->m_hwnd = hwnd;
            ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(dialog));
        }
        BOOL platformFocus = dialog->OnInitDialog();
        // Before the dialog manager shows the window: it appears in its place and reading order.
        if (IsRightToLeft()) ApplyRightToLeftReading(hwnd);
        PlaceDialog(hwnd);
        return platformFocus;
    }
    if (!dialog) return FALSE;
    if (message == WM_COMMAND) return dialog->OnCommand(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
    INT_PTR result = 0;
    if (!dialog->OnMessage(message, wParam, lParam, result)) return FALSE;
    ::SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
    return TRUE;
}

bool IsFontInstalled(const std::wstring& face) {
    if (face.empty() || face.size() >= LF_FACESIZE) return false;
    HDC screenCompatible = ::CreateCompatibleDC(nullptr);
    if (!screenCompatible) return false;
    LOGFONTW description = {};
    description.lfCharSet = DEFAULT_CHARSET;
    face.copy(description.lfFaceName, face.size());
    bool found = false;
    ::EnumFontFamiliesExW(screenCompatible, &description, NoteFontFound, reinterpret_cast<LPARAM>(&found), 0);
    ::DeleteDC(screenCompatible);
    return found;
}

bool DialogFontFromTexts(const std::wstring& fontText, const std::wstring& preferredFace,
                         const std::wstring& fallbackFace, std::wstring& face, int& size) {
    // Tokens as a tokenizer sees them: leading separators skipped, each token up to the next "/".
    std::vector<std::wstring> tokens;
    size_t at = fontText.find_first_not_of(L'/');
    while (at != std::wstring::npos && tokens.size() < 2) {
        size_t end = fontText.find(L'/', at);
        tokens.push_back(fontText.substr(at, end == std::wstring::npos ? std::wstring::npos : end - at));
        at = end == std::wstring::npos ? end : fontText.find_first_not_of(L'/', end);
    }
    if (tokens.size() < 2) return false;
    int pointSize = 0;
    if (TextToInt(tokens[1], pointSize) != 0 || pointSize > 0xFFFF) return false;  // the template holds a WORD
    face = IsFontInstalled(preferredFace) ? preferredFace : fallbackFace;
    size = pointSize;
    return true;
}

bool DialogFontFromLocale(std::wstring& face, int& size) {
    return DialogFontFromTexts(texts::DialogFont(), texts::PreferredFace(), texts::FallbackFace(), face, size);
}
