// Minimal form: no library is searched yet; every text is its English key.
#include "support/Localization.h"

#include <vector>

COrvLibrary::~COrvLibrary() {
    if (m_module) ::FreeLibrary(m_module);
}

bool COrvLibrary::Load(const wchar_t* fileName) {
    m_module = LoadSharedLibrary(fileName);
    return m_module != nullptr;
}

FARPROC COrvLibrary::GetProcAddress(const char* name) const {
    return m_module ? ::GetProcAddress(m_module, name) : nullptr;
}

HMODULE LoadSharedLibrary(const wchar_t*) { return nullptr; }
bool LoadLocalization(HMODULE) { return false; }
void SetCurrentLocale(LANGID) {}
int CurrentLocale() { return 1033; }
void AddFile(const wchar_t*) {}

std::wstring TranslateKey(const char* key) {
    // Keys are ASCII but for two Shift-JIS quotation marks: convert with code page 932.
    int length = ::MultiByteToWideChar(932, 0, key, -1, nullptr, 0);
    if (length <= 0) return std::wstring();
    std::vector<wchar_t> wide(static_cast<size_t>(length));
    ::MultiByteToWideChar(932, 0, key, -1, wide.data(), length);
    return std::wstring(wide.data());
}

std::wstring TranslateWideKey(const wchar_t* key) {
    std::wstring text;
    for (const wchar_t* p = key; *p; ++p) {
        text += *p;
        if (p[0] == L'%' && p[1] == L'%') ++p;
    }
    return text;
}

bool IsRightToLeft() { return CurrentLocale() == 1025; }
UINT RightToLeftReadingFlag() { return IsRightToLeft() ? MB_RTLREADING : 0; }

int ShowMessage(HWND owner, const std::wstring& text, const std::wstring& caption, UINT style) {
    return ::MessageBoxW(owner, text.c_str(), caption.c_str(), style | RightToLeftReadingFlag());
}
