// Base of every dialog of the plug-in. It creates the dialog from an in-memory copy of its
// template whose font is chosen from the translated texts, mirrors the dialog in right-to-left
// locales (layout and reading order), centres it when it is shown (ui/DialogPlacement.h), and
// gives derived dialogs a small set of hooks:
//   OnInitDialog   set texts (the base pushes the bound members into the controls)
//   DoDataExchange bind members to controls: dx.Text(id, m_text), dx.Check(id, m_state)
//   OnCommand      buttons and menu commands; the base sends IDOK to OnOK, IDCANCEL to OnCancel
//   OnMessage      any other message (posted application messages and the like)
//   OnCreate       WM_CREATE of the dialog window (the base applies the mirrored layout here)
#pragma once

#include <windows.h>

#include <string>

// Moves texts and check states between a dialog's members and its controls, in one direction.
class DataExchange {
public:
    DataExchange(HWND dialog, bool saveAndValidate) : m_dialog(dialog), m_save(saveAndValidate) {}

    // True when the controls' values go into the members.
    bool Saving() const { return m_save; }
    void Text(int controlId, std::wstring& value);
    // Check state: 0 unchecked, 1 checked, 2 indeterminate.
    void Check(int controlId, int& state);

private:
    HWND m_dialog;
    bool m_save;
};

class CPluginBaseDialog {
public:
    CPluginBaseDialog(UINT templateId, HWND parent);
    virtual ~CPluginBaseDialog();
    CPluginBaseDialog(const CPluginBaseDialog&) = delete;
    CPluginBaseDialog& operator=(const CPluginBaseDialog&) = delete;

    // Creates the dialog modeless, owned by parent; non-zero on success.
    virtual BOOL Create(UINT templateId, HWND parent);
    // Shows the dialog modally; its end code, or -1 when there is no template or no dialog.
    virtual INT_PTR DoModal();

    // A message box owned by the dialog, reading right to left where the language needs it.
    // An empty caption shows the application's name (the module's file name without extension).
    int MessageBox(const std::wstring& text, const std::wstring& caption, UINT style);

    // The style MessageBox hands to the platform: MB_RTLREADING | MB_RIGHT added where the
    // language reads right to left.
    UINT MessageBoxStyle(UINT style) const;

    HWND GetSafeHwnd() const { return m_hwnd; }
    UINT TemplateId() const { return m_templateId; }

protected:
    // The create handler: default handling, then WS_EX_LAYOUTRTL in right-to-left locales.
    // -1 refuses the window.
    virtual int OnCreate(CREATESTRUCTW* create);
    // Pushes the bound members into the controls; TRUE lets the platform set the focus.
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(DataExchange& dx);
    // True when the command was handled.
    virtual bool OnCommand(int controlId, int notifyCode);
    // Takes the controls' values and ends the dialog with IDOK.
    virtual void OnOK();
    virtual void OnCancel();
    // Any other message; return true (and set result) when handled.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);

    // True after moving the values (controls into members when saveAndValidate).
    bool UpdateData(bool saveAndValidate = true);
    void EndDialog(INT_PTR endCode);
    HWND GetDlgItem(int controlId) const;
    void SetDlgItemText(int controlId, const std::wstring& text);
    std::wstring GetDlgItemText(int controlId) const;
    void SetWindowText(const std::wstring& text);
    // A control's rectangle in the dialog's client coordinates, left and right in order also in
    // a mirrored dialog (as MoveControl takes it back); empty without the control.
    RECT ControlRect(int controlId) const;
    void MoveControl(int controlId, const RECT& rect);

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK CreateHook(int code, WPARAM wParam, LPARAM lParam);
    static CPluginBaseDialog* FromHandle(HWND hwnd);
    void Attach(HWND hwnd);

    UINT m_templateId;
    HWND m_parent;
    HWND m_hwnd = nullptr;
    WNDPROC m_previousProc = nullptr;
    bool m_modal = false;
};

// The face and point size of the dialog font from the translation of "Segoe UI/9" (size) and of
// "Segoe UI" or "Tahoma" (face). False when the size text is not "<face>/<digits>".
bool DialogFontFromLocale(std::wstring& face, int& size);
// The same rule over given texts: fontText like "Segoe UI/9", the preferred face (used when
// installed) and the fallback face.
bool DialogFontFromTexts(const std::wstring& fontText, const std::wstring& preferredFace,
                         const std::wstring& fallbackFace, std::wstring& face, int& size);
// True when at least one font family of that face is installed. Empty faces and faces beyond
// the platform's 31-character limit are not installed.
bool IsFontInstalled(const std::wstring& face);
