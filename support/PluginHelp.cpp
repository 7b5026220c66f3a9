#include "support/PluginHelp.h"

#include "support/Localization.h"

#include <shlwapi.h>

namespace {

using OrvHelpFn = BOOL(__stdcall*)(HWND, const wchar_t*, UINT, ULONG_PTR);

constexpr UINT kHelpFinder = 11;
constexpr DWORD kPathCapacity = MAX_PATH;

struct LanguageSuffix {
    int language;
    const wchar_t* suffix;
};

const LanguageSuffix kSuffixes[] = {
    {1033, L"_EN"}, {1031, L"_GE"}, {1034, L"_SP"}, {1036, L"_FR"},      {1040, L"_IT"},
    {1041, L"_JP"}, {1043, L"_DU"}, {1042, L"_KR"}, {1049, L"_RU"},      {2052, L"_CN"},
    {1028, L"_CH_Tra"}, {1054, L"_TH"}, {1066, L"_VI"}, {1046, L"_PO"}, {1055, L"_TR"},
};

const wchar_t kEnglishSuffix[] = L"_EN";

}  // namespace

PluginHelp::PluginHelp(std::wstring topic, std::wstring moduleName)
    : m_topic(std::move(topic)), m_moduleName(std::move(moduleName)), m_helpLibrary(LoadSharedLibrary(L"orvhelp.dll")) {}

PluginHelp::~PluginHelp() {
    if (m_helpLibrary) ::FreeLibrary(m_helpLibrary);
}

int PluginHelp::HelpLanguage(int locale) {
    int primary = locale & 0x3FF;
    int subLanguage = (locale & 0xFFFF) >> 10;
    if (primary == LANG_CHINESE && (subLanguage == SUBLANG_CHINESE_SIMPLIFIED || subLanguage == SUBLANG_CHINESE_SINGAPORE)) {
        return 2052;
    }
    return primary | 0x400;
}

const wchar_t* PluginHelp::LanguageSuffixOf(int locale) {
    int language = HelpLanguage(locale);
    for (const LanguageSuffix& entry : kSuffixes) {
        if (entry.language == language) return entry.suffix;
    }
    return kEnglishSuffix;
}

bool PluginHelp::HelpFolder(std::wstring& folder) const {
    wchar_t path[kPathCapacity] = {};
    // A module path that does not fit the buffer is treated like one that cannot be had.
    DWORD length = ::GetModuleFileNameW(::GetModuleHandleW(m_moduleName.c_str()), path, kPathCapacity);
    if (length == 0 || length >= kPathCapacity) return false;
    folder = ::PathRemoveFileSpecW(path) ? std::wstring(path) + L"\\" : std::wstring();
    return true;
}

bool PluginHelp::Open(HWND owner, const std::wstring& file) const {
    if (m_helpLibrary) {
        auto orvHelp = reinterpret_cast<OrvHelpFn>(reinterpret_cast<void*>(::GetProcAddress(m_helpLibrary, "OrvHelpW")));
        return orvHelp && orvHelp(owner, file.c_str(), kHelpFinder, 0) != 0;
    }
    return ::WinHelpW(owner, file.c_str(), kHelpFinder, 0) != 0;
}

void PluginHelp::ShowHelp(HWND owner, int locale) {
    if (!owner) return;
    std::wstring folder;
    if (!HelpFolder(folder)) return;
    if (Open(owner, folder + m_topic + LanguageSuffixOf(locale) + L".chm")) return;
    // The user's language has no help file (or the viewer failed): the English one.
    std::wstring englishFolder;
    if (!HelpFolder(englishFolder)) return;
    (void)Open(owner, englishFolder + m_topic + kEnglishSuffix + L".chm");
}
