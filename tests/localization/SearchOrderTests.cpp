#include "support/Localization.h"
#include "support/MessageTexts.h"

#include "tests/localization/LocalizationFixtures.h"

#include <gtest/gtest.h>

using loc_test::ModulePath;
using loc_test::PlaceLocalizationLibrary;
using loc_test::PluginFolder;
using loc_test::UnboundLocalization;
using testing_support::RegistryValueOverride;
using testing_support::ScratchFolder;

namespace {

// Scratch stand-ins for every place the search looks: registry-named file, registry folder,
// Program Files and Common Files (through their registry values) and the standard search
// (through the DLL directory). Everything is put back at the end.
class SearchPlaces {
public:
    SearchPlaces()
        : m_programFilesFolder(m_root / L"pf"),
          m_commonFilesFolder(m_root / L"common"),
          m_programFiles(HKEY_LOCAL_MACHINE, loc_test::kCurrentVersionKey, L"ProgramFilesDir", &m_programFilesFolder),
          m_commonFiles(HKEY_LOCAL_MACHINE, loc_test::kCurrentVersionKey, L"CommonFilesDir", &m_commonFilesFolder) {
        for (const wchar_t* sub : {L"named", L"default", L"pf", L"pf\\Orvane", L"pf\\Orvane\\Shared Files", L"common",
                                   L"common\\Orvane", L"standard"}) {
            ::CreateDirectoryW((m_root / sub).c_str(), nullptr);
        }
    }
    ~SearchPlaces() { ::SetDllDirectoryW(nullptr); }

    std::wstring NamedFile(const wchar_t* name) const { return m_root / (std::wstring(L"named\\") + name); }
    std::wstring DefaultFolder() const { return m_root / L"default"; }
    std::wstring ProgramFilesFile(const wchar_t* name) const {
        return m_root / (std::wstring(L"pf\\Orvane\\Shared Files\\") + name);
    }
    std::wstring CommonFilesFile(const wchar_t* name) const { return m_root / (std::wstring(L"common\\Orvane\\") + name); }
    std::wstring StandardFile(const wchar_t* name) const { return m_root / (std::wstring(L"standard\\") + name); }
    void UseStandardFolder() { ASSERT_TRUE(::SetDllDirectoryW((m_root / L"standard").c_str())); }

private:
    ScratchFolder m_root;
    std::wstring m_programFilesFolder;
    std::wstring m_commonFilesFolder;
    RegistryValueOverride m_programFiles;
    RegistryValueOverride m_commonFiles;
    loc_test::QuietSearchRegistry m_quiet;
};

std::wstring LoadedPath(const wchar_t* name) {
    raii::UniqueModule module(LoadSharedLibrary(name));
    return module ? ModulePath(module.Get()) : std::wstring();
}

}  // namespace

TEST(LoadSharedLibrary, SearchesRegistryValueThenDefaultThenProgramFilesThenCommonFilesThenStandard) {
    SearchPlaces places;
    std::wstring named = places.NamedFile(L"orvloc.dll");
    std::wstring atDefault = places.DefaultFolder() + L"\\orvloc.dll";
    const std::wstring order[] = {named, atDefault, places.ProgramFilesFile(L"orvloc.dll"),
                                  places.CommonFilesFile(L"orvloc.dll"), places.StandardFile(L"orvloc.dll")};
    for (const std::wstring& path : order) PlaceLocalizationLibrary(path);
    RegistryValueOverride value(HKEY_LOCAL_MACHINE, loc_test::kSharedFilesKey, L"orvloc.dll", &named);
    std::wstring defaultFolder = places.DefaultFolder();
    RegistryValueOverride folder(HKEY_LOCAL_MACHINE, loc_test::kSharedFilesKey, L"", &defaultFolder);
    places.UseStandardFolder();

    // Each place wins while its file exists; removing it hands over to the next.
    for (const std::wstring& expected : order) {
        EXPECT_EQ(LoadedPath(L"orvloc.dll"), expected);
        ASSERT_TRUE(::DeleteFileW(expected.c_str())) << ::GetLastError();
    }
    EXPECT_EQ(LoadedPath(L"orvloc.dll"), L"");
}

TEST(LoadSharedLibrary, NameWithBackslashIsLoadedOnlyAsGiven) {
    SearchPlaces places;
    std::wstring named = places.NamedFile(L"orvloc.dll");
    PlaceLocalizationLibrary(named);
    RegistryValueOverride value(HKEY_LOCAL_MACHINE, loc_test::kSharedFilesKey, L"orvloc.dll", &named);
    EXPECT_EQ(LoadedPath(places.StandardFile(L"orvloc.dll").c_str()), L"") << "missing, and nothing else is tried";
    EXPECT_EQ(LoadedPath(named.c_str()), named);
    EXPECT_EQ(LoadedPath(L"orvloc.dll"), named) << "the bare name goes through the registry";
}

TEST(LoadSharedLibrary, CandidateLongerThanItsBufferIsSkipped) {
    SearchPlaces places;
    // 250 characters fit the registry buffer, but folder + "\orvloc.dll" exceeds 259.
    std::wstring longFolder = L"C:\\" + std::wstring(247, L'x');
    RegistryValueOverride folder(HKEY_LOCAL_MACHINE, loc_test::kSharedFilesKey, L"", &longFolder);
    PlaceLocalizationLibrary(places.ProgramFilesFile(L"orvloc.dll"));
    EXPECT_EQ(LoadedPath(L"orvloc.dll"), places.ProgramFilesFile(L"orvloc.dll"));
    // A value too long for its 520-byte buffer is not read at all.
    std::wstring tooLong = L"C:\\" + std::wstring(400, L'y') + L"\\orvloc.dll";
    RegistryValueOverride value(HKEY_LOCAL_MACHINE, loc_test::kSharedFilesKey, L"orvloc.dll", &tooLong);
    EXPECT_EQ(LoadedPath(L"orvloc.dll"), places.ProgramFilesFile(L"orvloc.dll"));
}

TEST_F(UnboundLocalization, PluginFolderCandidatesComeFirstInTheirOrderThenTheSearch) {
    SearchPlaces places;
    PluginFolder plugin;
    const std::wstring besidePlugin[] = {plugin / L"plugvkdloc.dll", plugin / L"vkdloc.dll", plugin / L"orvloc.dll"};
    for (const std::wstring& path : besidePlugin) PlaceLocalizationLibrary(path);
    std::wstring vkdloc = places.NamedFile(L"vkdloc.dll");
    std::wstring orvloc = places.NamedFile(L"orvloc.dll");
    PlaceLocalizationLibrary(vkdloc);
    PlaceLocalizationLibrary(orvloc);
    RegistryValueOverride vkdlocValue(HKEY_LOCAL_MACHINE, loc_test::kSharedFilesKey, L"vkdloc.dll", &vkdloc);
    RegistryValueOverride orvlocValue(HKEY_LOCAL_MACHINE, loc_test::kSharedFilesKey, L"orvloc.dll", &orvloc);

    for (const std::wstring& expected : {besidePlugin[0], besidePlugin[1], besidePlugin[2], vkdloc, orvloc}) {
        ASSERT_TRUE(LoadLocalization(plugin.Handle()));
        EXPECT_EQ(ModulePath(LocalizationModule()), expected);
        UnloadLocalization();
        ASSERT_TRUE(::DeleteFileW(expected.c_str())) << ::GetLastError();
    }
    EXPECT_FALSE(LoadLocalization(plugin.Handle()));
    EXPECT_EQ(LocalizationModule(), nullptr);
    EXPECT_EQ(CurrentLocale(), 1033);
}

TEST_F(UnboundLocalization, SecondLoadKeepsTheBoundLibrary) {
    loc_test::QuietSearchRegistry quiet;
    PluginFolder first;
    PluginFolder second;
    PlaceLocalizationLibrary(first / L"orvloc.dll");
    PlaceLocalizationLibrary(second / L"plugvkdloc.dll");
    ASSERT_TRUE(LoadLocalization(first.Handle()));
    SetCurrentLocale(1041);
    EXPECT_TRUE(LoadLocalization(second.Handle()));
    EXPECT_EQ(ModulePath(LocalizationModule()), first / L"orvloc.dll");
    EXPECT_EQ(CurrentLocale(), 1041);
}

TEST_F(UnboundLocalization, LibraryWithoutTheExportsBehavesAsNone) {
    loc_test::QuietSearchRegistry quiet;
    PluginFolder plugin;
    testing_support::CopyFileOrFail(loc_test::StandinPath(L"orvinfolog.dll"), plugin / L"orvloc.dll");
    ASSERT_TRUE(LoadLocalization(plugin.Handle()));
    SetCurrentLocale(1025);
    AddFile(loc_test::ShippedTranslations().c_str());
    EXPECT_EQ(CurrentLocale(), 1033);
    EXPECT_FALSE(IsRightToLeft());
    EXPECT_EQ(texts::PluginFor(), L"Pellora plug-in for Brellix");
    EXPECT_EQ(TranslateWideKey(L"50%%"), L"50%");
}
