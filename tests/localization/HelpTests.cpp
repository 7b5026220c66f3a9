#include "support/PluginHelp.h"

#include "tests/localization/LocalizationFixtures.h"

#include <gtest/gtest.h>

using loc_test::EnvironmentOverride;
using testing_support::ReadFileBytes;
using testing_support::RegistryValueOverride;
using testing_support::ScratchFolder;

namespace {

std::string Utf8(const std::wstring& text) {
    int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

// The help library stand-in, found through its registry value, records every path it is asked
// to open and starts no viewer. The help files lie beside "HelpOwner.dll" in a scratch folder.
class HelpFiles : public ::testing::Test {
protected:
    HelpFiles()
        : m_library(loc_test::StandinPath(L"orvhelp.dll")),
          m_libraryValue(HKEY_LOCAL_MACHINE, loc_test::kSharedFilesKey, L"orvhelp.dll", &m_library),
          m_log(L"ORVHELP_LOG", m_records / L"requests.txt"),
          m_noViewer(L"ORVHELP_NO_VIEWER", L"1") {
        testing_support::CopyFileOrFail(loc_test::StandinPath(L"orvinfolog.dll"), m_folder / L"HelpOwner.dll");
        m_owner.Reset(::LoadLibraryW((m_folder / L"HelpOwner.dll").c_str()));
        m_window.Reset(::CreateWindowW(L"STATIC", L"owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr));
    }

    void CreateHelpFile(const std::wstring& name) { testing_support::WriteFileBytes(m_folder / name, "chm"); }
    std::string Requests() const { return ReadFileBytes(m_records / L"requests.txt"); }
    void ClearRequests() { ::DeleteFileW((m_records / L"requests.txt").c_str()); }
    std::string Line(const std::wstring& folder, const std::wstring& name) const { return Utf8(folder + L"\\" + name) + "\r\n"; }

    loc_test::QuietSearchRegistry m_quiet;
    std::wstring m_library;
    RegistryValueOverride m_libraryValue;
    ScratchFolder m_folder;
    ScratchFolder m_records;
    EnvironmentOverride m_log;
    EnvironmentOverride m_noViewer;
    raii::UniqueModule m_owner;
    raii::UniqueWindow m_window;
};

}  // namespace

TEST(PluginHelpLanguage, LocalesMapToTheirHelpLanguageAndSuffix) {
    struct Case {
        int locale;
        int language;
        const wchar_t* suffix;
    } cases[] = {
        {1041, 1041, L"_JP"}, {2057, 1033, L"_EN"},     {3084, 1036, L"_FR"},    {3076, 1028, L"_CH_Tra"},
        {4100, 2052, L"_CN"}, {1044, 1044, L"_EN"},     {2052, 2052, L"_CN"},    {1028, 1028, L"_CH_Tra"},
        {5124, 1028, L"_CH_Tra"}, {1033, 1033, L"_EN"}, {2055, 1031, L"_GE"},    {1046, 1046, L"_PO"},
        {2070, 1046, L"_PO"}, {1055, 1055, L"_TR"},     {1066, 1066, L"_VI"},    {1025, 1025, L"_EN"},
        {0x10411, 1041, L"_JP"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PluginHelp::HelpLanguage(c.locale), c.language) << c.locale;
        EXPECT_STREQ(PluginHelp::LanguageSuffixOf(c.locale), c.suffix) << c.locale;
    }
}

TEST_F(HelpFiles, OpensTheFileOfTheLocaleBesideTheModule) {
    struct Case {
        int locale;
        const wchar_t* file;
    } cases[] = {
        {1041, L"ScanToBrellix_JP.chm"},     {2057, L"ScanToBrellix_EN.chm"}, {3084, L"ScanToBrellix_FR.chm"},
        {3076, L"ScanToBrellix_CH_Tra.chm"}, {4100, L"ScanToBrellix_CN.chm"}, {1044, L"ScanToBrellix_EN.chm"},
    };
    for (const Case& c : cases) CreateHelpFile(c.file);
    PluginHelp help(L"ScanToBrellix", L"HelpOwner.dll");
    for (const Case& c : cases) {
        ClearRequests();
        help.ShowHelp(m_window.Get(), c.locale);
        EXPECT_EQ(Requests(), Line(m_folder.Path(), c.file)) << c.locale;
    }
}

TEST_F(HelpFiles, MissingFileOfTheLanguageFallsBackToEnglish) {
    CreateHelpFile(L"ScanToBrellix_EN.chm");
    PluginHelp help(L"ScanToBrellix", L"HelpOwner.dll");
    help.ShowHelp(m_window.Get(), 1041);
    EXPECT_EQ(Requests(), Line(m_folder.Path(), L"ScanToBrellix_JP.chm") + Line(m_folder.Path(), L"ScanToBrellix_EN.chm"));
}

TEST_F(HelpFiles, NothingWithoutOwnerWindow) {
    CreateHelpFile(L"ScanToBrellix_EN.chm");
    PluginHelp help(L"ScanToBrellix", L"HelpOwner.dll");
    help.ShowHelp(nullptr, 1033);
    EXPECT_EQ(Requests(), "");
}

TEST_F(HelpFiles, UnknownModuleNameLooksBesideTheHostProgram) {
    PluginHelp help(L"ScanToBrellix", L"NotLoaded.dll");
    // Italian: a language whose help the build does not ship beside the test program, so the
    // first request fails and the English file is asked for next.
    help.ShowHelp(m_window.Get(), 1040);
    std::wstring programFolder = loc_test::ModulePath(nullptr);
    programFolder.erase(programFolder.rfind(L'\\'));
    EXPECT_EQ(Requests(), Line(programFolder, L"ScanToBrellix_IT.chm") + Line(programFolder, L"ScanToBrellix_EN.chm"));
}
