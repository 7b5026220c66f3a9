#include "support/Localization.h"

#include "support/ActivationContext.h"
#include "support/MyRegistoryEntry.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <cstdarg>
#include <cstring>
#include <cwchar>
#include <vector>

namespace {

constexpr size_t kPathCapacity = MAX_PATH;          // wide characters of every candidate path
constexpr DWORD kRegistryBytes = MAX_PATH * 2;      // bytes of every registry value buffer
constexpr int kDefaultLocale = 1033;
constexpr UINT kKeyCodePage = 932;                  // keys are ASCII but for two Shift-JIS marks
const wchar_t kSharedFilesKey[] = L"SOFTWARE\\Orvane Inc.\\Shared Files";
const wchar_t kCurrentVersionKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const int kRightToLeftLocales[] = {1025};

using SetLocaleFn = int(__stdcall*)(int);
using GetLocaleFn = int(__stdcall*)();
using AddFileWFn = int(__stdcall*)(const wchar_t*);
using LookupAWFn = const wchar_t*(__stdcall*)(const char*, int*);
using LookupWWFn = const wchar_t*(__stdcall*)(const wchar_t*, int*);
using A2WFn = wchar_t*(__stdcall*)(wchar_t*, const char*, int);
using SpecialFolderFn = BOOL(WINAPI*)(HWND, LPWSTR, int, BOOL);

// The ten entry points of the localisation library, bound once at start-up and only read
// afterwards. Four are bound for completeness and never called.
struct LocalizationEntryPoints {
    SetLocaleFn setLocale = nullptr;
    GetLocaleFn getLocale = nullptr;
    FARPROC addFileA = nullptr;
    AddFileWFn addFileW = nullptr;
    FARPROC clearFiles = nullptr;
    LookupAWFn lookupAW = nullptr;
    LookupWWFn lookupWW = nullptr;
    A2WFn a2w = nullptr;
    FARPROC w2a = nullptr;
    FARPROC dialog = nullptr;
};

LocalizationEntryPoints g_entry;

COrvLibrary& LocalizationLibrary() {
    static COrvLibrary library;
    return library;
}

template <typename Fn>
Fn Bind(const COrvLibrary& library, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(library.GetProcAddress(name)));
}

// Formats a candidate path into a buffer of kPathCapacity characters. False when it would
// not fit: such a candidate is skipped rather than cut or overrun.
bool FormatCandidate(wchar_t (&buffer)[kPathCapacity], const wchar_t* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    int written = ::_vsnwprintf(buffer, kPathCapacity, format, arguments);
    va_end(arguments);
    if (written < 0 || static_cast<size_t>(written) >= kPathCapacity) {
        buffer[0] = L'\0';
        return false;
    }
    return true;
}

HMODULE LoadCandidate(const wchar_t* path) { return ::LoadLibraryExW(path, nullptr, 0); }

bool ReadMachineValue(const wchar_t* subKey, const wchar_t* valueName, wchar_t (&buffer)[kPathCapacity]) {
    DWORD size = kRegistryBytes;
    buffer[0] = L'\0';
    return ReadLocalMachineString(subKey, valueName, buffer, &size) == ERROR_SUCCESS;
}

HMODULE LoadFromSpecialFolder(SpecialFolderFn specialFolder, int csidl, const wchar_t* format,
                              const wchar_t* fileName) {
    if (!specialFolder) return nullptr;
    wchar_t folder[kPathCapacity] = {};
    if (!specialFolder(nullptr, folder, csidl, FALSE)) return nullptr;
    wchar_t candidate[kPathCapacity];
    if (!FormatCandidate(candidate, format, folder, fileName)) return nullptr;
    return LoadCandidate(candidate);
}

HMODULE LoadFromRegistryFolder(const wchar_t* subKey, const wchar_t* valueName, const wchar_t* format,
                               const wchar_t* fileName) {
    wchar_t folder[kPathCapacity];
    if (!ReadMachineValue(subKey, valueName, folder)) return nullptr;
    wchar_t candidate[kPathCapacity];
    if (!FormatCandidate(candidate, format, folder, fileName)) return nullptr;
    return LoadCandidate(candidate);
}

std::wstring WideFromKey(const char* key, int sizeInBytes) {
    std::vector<wchar_t> buffer(static_cast<size_t>(sizeInBytes) / sizeof(wchar_t) + 1, L'\0');
    ::MultiByteToWideChar(kKeyCodePage, 0, key, -1, buffer.data(), static_cast<int>(buffer.size()) - 1);
    return std::wstring(buffer.data());
}

// Bytes of the wide form of a narrow key, terminator included.
int WideKeyBytes(const char* key) {
    int characters = ::MultiByteToWideChar(kKeyCodePage, 0, key, -1, nullptr, 0);
    if (characters <= 0) characters = static_cast<int>(std::strlen(key)) + 1;
    return characters * static_cast<int>(sizeof(wchar_t));
}

// Copies a translation handed out by the library: at most size bytes, up to its terminator.
std::wstring CopyTranslation(const wchar_t* text, int sizeInBytes) {
    if (sizeInBytes <= 0) return std::wstring(text);
    size_t limit = static_cast<size_t>(sizeInBytes) / sizeof(wchar_t);
    return std::wstring(text, ::wcsnlen(text, limit));
}

std::wstring CollapsePercents(const wchar_t* text) {
    std::wstring result;
    for (const wchar_t* p = text; *p; ++p) {
        result += *p;
        if (p[0] == L'%' && p[1] == L'%') ++p;
    }
    return result;
}

}  // namespace

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

void COrvLibrary::Free() {
    if (m_module) ::FreeLibrary(m_module);
    m_module = nullptr;
}

HMODULE LoadSharedLibrary(const wchar_t* fileName) {
    if (!fileName || !*fileName) return nullptr;
    if (std::wcschr(fileName, L'\\')) return LoadCandidate(fileName);

    // Shell32 is used only when the process already has it; it is never loaded for this.
    SpecialFolderFn specialFolder = nullptr;
    if (HMODULE shell = ::GetModuleHandleW(L"Shell32.dll")) {
        specialFolder = reinterpret_cast<SpecialFolderFn>(
            reinterpret_cast<void*>(::GetProcAddress(shell, "SHGetSpecialFolderPathW")));
    }

    HMODULE module = nullptr;
    wchar_t value[kPathCapacity];
    if (ReadMachineValue(kSharedFilesKey, fileName, value)) module = LoadCandidate(value);
    if (!module) module = LoadFromRegistryFolder(kSharedFilesKey, nullptr, L"%s\\%s", fileName);
    if (!module) {
        module = LoadFromSpecialFolder(specialFolder, CSIDL_PROGRAM_FILES, L"%s\\Orvane\\Shared Files\\%s", fileName);
    }
    if (!module) {
        module = LoadFromRegistryFolder(kCurrentVersionKey, L"ProgramFilesDir", L"%s\\Orvane\\Shared Files\\%s",
                                        fileName);
    }
    if (!module) module = LoadFromSpecialFolder(specialFolder, CSIDL_PROGRAM_FILES_COMMON, L"%s\\Orvane\\%s", fileName);
    if (!module) module = LoadFromRegistryFolder(kCurrentVersionKey, L"CommonFilesDir", L"%s\\Orvane\\%s", fileName);
    if (!module) module = LoadCandidate(fileName);
    return module;
}

bool LoadLocalization(HMODULE pluginModule) {
    COrvLibrary& library = LocalizationLibrary();
    if (library.Handle()) return true;

    // The plug-in folder; a module path that does not fit the buffer leaves it unusable and
    // the three candidates beside the plug-in are skipped.
    wchar_t folder[kPathCapacity] = {};
    DWORD length = ::GetModuleFileNameW(pluginModule, folder, static_cast<DWORD>(kPathCapacity));
    bool haveFolder = length > 0 && length < kPathCapacity;
    if (haveFolder) ::PathRemoveFileSpecW(folder);

    const wchar_t* const besidePlugin[] = {L"plugvkdloc.dll", L"vkdloc.dll", L"orvloc.dll"};
    bool loaded = false;
    for (const wchar_t* name : besidePlugin) {
        wchar_t candidate[kPathCapacity];
        if (haveFolder && FormatCandidate(candidate, L"%s\\%s", folder, name) && library.Load(candidate)) {
            loaded = true;
            break;
        }
    }
    if (!loaded) loaded = library.Load(L"vkdloc.dll") || library.Load(L"orvloc.dll");
    if (!loaded) return false;

    g_entry.setLocale = Bind<SetLocaleFn>(library, "OrvLocalizeSetLocale");
    g_entry.getLocale = Bind<GetLocaleFn>(library, "OrvLocalizeGetLocale");
    g_entry.addFileA = library.GetProcAddress("OrvLocalizeAddFileA");
    g_entry.addFileW = Bind<AddFileWFn>(library, "OrvLocalizeAddFileW");
    g_entry.clearFiles = library.GetProcAddress("OrvLocalizeClearFiles");
    g_entry.lookupAW = Bind<LookupAWFn>(library, "OrvLocalizeLookupAW");
    g_entry.lookupWW = Bind<LookupWWFn>(library, "OrvLocalizeLookupWW");
    g_entry.a2w = Bind<A2WFn>(library, "OrvLocalizeA2W");
    g_entry.w2a = library.GetProcAddress("OrvLocalizeW2A");
    g_entry.dialog = library.GetProcAddress("OrvLocalizeDialog");
    return true;
}

void UnloadLocalization() {
    g_entry = LocalizationEntryPoints{};
    LocalizationLibrary().Free();
}

HMODULE LocalizationModule() { return LocalizationLibrary().Handle(); }

void SetCurrentLocale(LANGID locale) {
    if (g_entry.setLocale) g_entry.setLocale(static_cast<int>(locale));
}

int CurrentLocale() { return g_entry.getLocale ? g_entry.getLocale() : kDefaultLocale; }

void AddFile(const wchar_t* path) {
    if (g_entry.addFileW && path) g_entry.addFileW(path);
}

std::wstring TranslateKey(const char* key) {
    if (!key) return std::wstring();
    int size = WideKeyBytes(key);
    if (g_entry.lookupAW) {
        int reported = 0;
        if (const wchar_t* text = g_entry.lookupAW(key, &reported)) return CopyTranslation(text, reported);
        // The conversion buffer is never smaller than the key needs, whatever was reported.
        if (reported > size) size = reported;
    }
    if (g_entry.a2w) {
        // Twice size bytes, as the library expects, plus a terminator of our own.
        std::vector<wchar_t> buffer(static_cast<size_t>(size) + 1, L'\0');
        if (g_entry.a2w(buffer.data(), key, size)) return std::wstring(buffer.data());
    }
    return WideFromKey(key, size);
}

std::wstring UntranslatedKey(const char* key) { return key ? WideFromKey(key, WideKeyBytes(key)) : std::wstring(); }

std::wstring TranslateWideKey(const wchar_t* key) {
    if (!key) return std::wstring();
    if (g_entry.lookupWW) {
        int reported = 0;
        if (const wchar_t* text = g_entry.lookupWW(key, &reported)) {
            return CollapsePercents(CopyTranslation(text, reported).c_str());
        }
    }
    return CollapsePercents(key);
}

bool IsRightToLeft() {
    int locale = CurrentLocale();
    for (int entry : kRightToLeftLocales) {
        if (locale == entry) return true;
    }
    return false;
}

// A right-to-left message box reads right to left and is aligned to the right, as the
// platform's own boxes in those languages are.
UINT RightToLeftReadingFlag() { return IsRightToLeft() ? MB_RTLREADING | MB_RIGHT : 0; }

int ShowMessage(HWND owner, const std::wstring& text, const std::wstring& caption, UINT style) {
    PluginActivationScope themedControls;
    return ::MessageBoxW(owner, text.c_str(), caption.c_str(), style | RightToLeftReadingFlag());
}
