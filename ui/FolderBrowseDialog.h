// The platform's shell folder picker with three additions: a folder selected when it opens,
// one font for all its controls, and an extra push button left of OK whose clicks go to a
// handler. The picker's callback and window procedure have no context of their own, so the
// current object, the click handler and the picker's previous window procedure are
// process-wide: only one picker can be open at a time.
#pragma once

#include "support/Raii.h"

#include <windows.h>

#include <string>

// A face and a point size, as DialogFontFromLocale gives them.
struct FontChoice {
    std::wstring face;
    int pointSize = 0;
};

// Called on the picker's thread with the picker window when the extra button is clicked.
using ExtraButtonHandler = LRESULT (*)(HWND picker, UINT message, WPARAM wParam, LPARAM lParam);

class FolderBrowseDialog {
public:
    // Control ID of the extra button inside the picker.
    static constexpr int kExtraButtonId = 100;

    FolderBrowseDialog();
    virtual ~FolderBrowseDialog();
    FolderBrowseDialog(const FolderBrowseDialog&) = delete;
    FolderBrowseDialog& operator=(const FolderBrowseDialog&) = delete;

    // Each argument may be null and then leaves its field alone. 160 and nothing more taken for
    // an initial folder of 260 characters or more; 160 for a font with an empty face or one that
    // cannot be made (no font is kept then); otherwise 0.
    [[nodiscard]] virtual int SetOptions(HWND owner, const std::wstring* title, const std::wstring* initialFolder,
                                         const FontChoice* font);
    // 160 without a handler; otherwise stores text and handler and gives 0.
    [[nodiscard]] virtual int SetExtraButton(const std::wstring& text, ExtraButtonHandler handler);
    // Shows the picker. 1 with the chosen folder's path; 2 when the user cancels, the picker
    // fails, or another picker is already open.
    int Browse(std::wstring& path);

private:
    static int CALLBACK BrowseCallback(HWND picker, UINT message, LPARAM lParam, LPARAM data);
    static LRESULT CALLBACK PickerProc(HWND picker, UINT message, WPARAM wParam, LPARAM lParam);
    void OnInitialized(HWND picker);
    void AddExtraButton(HWND picker);
    void PlaceExtraButton(HWND picker);

    HWND m_owner = nullptr;
    std::wstring m_title;
    std::wstring m_initialFolder;
    raii::UniqueFont m_font;
    std::wstring m_extraButtonText;
    HWND m_extraButton = nullptr;
};
