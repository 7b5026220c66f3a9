// A localisation library with the exports the plug-in binds (calling convention __stdcall).
// Translation files are added with OrvLocalizeAddFileW (format: LocFile.h); lookups answer
// from the section of the current locale, or else from the section of that locale's primary
// language with its default sub-language (2055 falls back to 1031). A file added later
// replaces entries of the same key. Narrow keys are converted with code page 932 and then
// looked up like wide keys. A returned translation stays valid until the files change.
// OrvLocalizeAddFileA, OrvLocalizeClearFiles, OrvLocalizeW2A and OrvLocalizeDialog exist so
// that all ten entry points bind; they do nothing and return 0.
#include "support/Raii.h"
#include "tools/orvloc/LocFile.h"

#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

namespace {

constexpr UINT kKeyCodePage = 932;

std::mutex g_lock;
loc_file::Sections g_sections;
int g_locale = ::GetUserDefaultLangID();

std::string ReadWholeFile(const wchar_t* path, bool& ok) {
    std::string bytes;
    raii::UniqueFile file(::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    ok = file.IsValid();
    if (!ok) return bytes;
    char chunk[65536];
    DWORD read = 0;
    while (::ReadFile(file.Get(), chunk, sizeof chunk, &read, nullptr) && read > 0) bytes.append(chunk, read);
    return bytes;
}

std::wstring WideKey(const char* key) {
    int characters = ::MultiByteToWideChar(kKeyCodePage, 0, key, -1, nullptr, 0);
    if (characters <= 0) return std::wstring();
    std::vector<wchar_t> wide(static_cast<size_t>(characters));
    ::MultiByteToWideChar(kKeyCodePage, 0, key, -1, wide.data(), characters);
    return std::wstring(wide.data());
}

int ByteSize(const std::wstring& text) { return static_cast<int>((text.size() + 1) * sizeof(wchar_t)); }

// Caller holds g_lock.
const std::wstring* Find(const std::wstring& key) {
    const int candidates[] = {g_locale, (g_locale & 0x3FF) | 0x400};
    for (int locale : candidates) {
        auto section = g_sections.find(locale);
        if (section == g_sections.end()) continue;
        auto entry = section->second.find(key);
        if (entry != section->second.end()) return &entry->second;
    }
    return nullptr;
}

const wchar_t* Lookup(const std::wstring& key, int* size) {
    std::lock_guard<std::mutex> guard(g_lock);
    const std::wstring* translation = key.empty() ? nullptr : Find(key);
    if (size) *size = ByteSize(translation ? *translation : key);
    return translation ? translation->c_str() : nullptr;
}

}  // namespace

extern "C" {

int __stdcall OrvLocalizeSetLocale(int locale) {
    std::lock_guard<std::mutex> guard(g_lock);
    g_locale = locale;
    return 0;
}

int __stdcall OrvLocalizeGetLocale() {
    std::lock_guard<std::mutex> guard(g_lock);
    return g_locale;
}

int __stdcall OrvLocalizeAddFileA(const char*) { return 0; }

// 0 when the file was read and every line parsed; otherwise the number of bad lines, or -1
// when the file cannot be read. Good entries of a partly bad file are used.
int __stdcall OrvLocalizeAddFileW(const wchar_t* path) {
    if (!path) return -1;
    bool ok = false;
    std::string bytes = ReadWholeFile(path, ok);
    if (!ok) return -1;
    loc_file::ParseResult parsed = loc_file::Parse(bytes);
    std::lock_guard<std::mutex> guard(g_lock);
    loc_file::Merge(g_sections, parsed.sections);
    return parsed.badLines;
}

int __stdcall OrvLocalizeClearFiles() { return 0; }

const wchar_t* __stdcall OrvLocalizeLookupAW(const char* key, int* size) {
    return Lookup(key ? WideKey(key) : std::wstring(), size);
}

const wchar_t* __stdcall OrvLocalizeLookupWW(const wchar_t* key, int* size) {
    return Lookup(key ? std::wstring(key) : std::wstring(), size);
}

// Writes the code page 932 wide form of text into destination, which holds size wide
// characters (twice size bytes); a longer text is cut and always terminated.
wchar_t* __stdcall OrvLocalizeA2W(wchar_t* destination, const char* text, int size) {
    if (!destination || size <= 0) return destination;
    destination[0] = L'\0';
    if (!text) return destination;
    std::wstring wide = WideKey(text);
    size_t count = wide.size() < static_cast<size_t>(size) ? wide.size() : static_cast<size_t>(size) - 1;
    wide.copy(destination, count);
    destination[count] = L'\0';
    return destination;
}

int __stdcall OrvLocalizeW2A(char*, const wchar_t*, int) { return 0; }
int __stdcall OrvLocalizeDialog(HWND) { return 0; }

}  // extern "C"
