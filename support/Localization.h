// Binding to the optional localisation library and the translation of keys into texts.
// Without the library every text is its English key and the current locale is 1033.
#pragma once

#include <windows.h>

#include <string>

// Holds one of the maker's optional libraries; frees it on destruction.
class COrvLibrary {
public:
    COrvLibrary() = default;
    virtual ~COrvLibrary();
    COrvLibrary(const COrvLibrary&) = delete;
    COrvLibrary& operator=(const COrvLibrary&) = delete;

    // Stores LoadSharedLibrary(fileName); true when something is held now.
    bool Load(const wchar_t* fileName);
    FARPROC GetProcAddress(const char* name) const;
    HMODULE Handle() const { return m_module; }
    // Frees the held library, if any.
    void Free();

private:
    HMODULE m_module = nullptr;
};

// Finds one of the maker's shared libraries: a path with a backslash as given; otherwise the
// registry, Program Files and Common Files folders, then the standard search. Null when none.
HMODULE LoadSharedLibrary(const wchar_t* fileName);

// Binds the localisation library, searching beside the given module first. True when bound.
// The first of "<plug-in folder>\plugvkdloc.dll", "...\vkdloc.dll", "...\orvloc.dll", then
// "vkdloc.dll" and "orvloc.dll" through LoadSharedLibrary. A second call keeps what is bound.
bool LoadLocalization(HMODULE pluginModule);
// Unbinds and frees the localisation library (module unload; tests that bind again).
void UnloadLocalization();
// The bound localisation library, or null.
HMODULE LocalizationModule();
void SetCurrentLocale(LANGID locale);
int CurrentLocale();
void AddFile(const wchar_t* path);
// The wide text of a narrow key: its translation, or the key itself.
std::wstring TranslateKey(const char* key);
// The wide form of a narrow key itself, never looked up.
std::wstring UntranslatedKey(const char* key);
// The text of a wide key, with "%%" turned into "%".
std::wstring TranslateWideKey(const wchar_t* key);
bool IsRightToLeft();
// MessageBoxW, with MB_RTLREADING and MB_RIGHT added in right-to-left locales.
int ShowMessage(HWND owner, const std::wstring& text, const std::wstring& caption, UINT style);
// The style flags that right-to-left locales add to message boxes: MB_RTLREADING | MB_RIGHT
// (0 otherwise).
UINT RightToLeftReadingFlag();
