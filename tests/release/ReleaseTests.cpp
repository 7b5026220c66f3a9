// What a release of the plug-in must carry: the DLL's string table and manifest, its windows
// made with the common controls its manifest asks for, and help files the Help button finds.
#include "support/ActivationContext.h"
#include "support/Localization.h"
#include "support/PluginHelp.h"
#include "tests/common/FolderPickerRobot.h"
#include "tests/common/TestSupport.h"
#include "tests/common/UiRobot.h"
#include "tests/localization/LocalizationFixtures.h"
#include "ui/FolderBrowseDialog.h"
#include "ui/PluginCommonSettingDialog.h"
#include "ui/PluginFolderBrowseDialog.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

using loc_test::EnvironmentOverride;
using testing_support::BinFolder;
using testing_support::ReadFileBytes;
using testing_support::RegistryValueOverride;
using testing_support::ScratchFolder;

namespace {

std::wstring PluginPath() { return BinFolder() + L"\\PluginForBrellix.dll"; }

std::string ResourceBytes(HMODULE module, const wchar_t* name, const wchar_t* type) {
    HRSRC found = ::FindResourceW(module, name, type);
    if (!found) return std::string();
    HGLOBAL loaded = ::LoadResource(module, found);
    const char* data = loaded ? static_cast<const char*>(::LockResource(loaded)) : nullptr;
    return data ? std::string(data, ::SizeofResource(module, found)) : std::string();
}

// The file of the module whose code holds the address; empty when none does.
std::wstring ModuleFileOfAddress(const void* address) {
    HMODULE module = nullptr;
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              static_cast<const wchar_t*>(address), &module)) {
        return std::wstring();
    }
    std::wstring path = loc_test::ModulePath(module);
    return path.substr(path.rfind(L'\\') + 1);
}

// The module that implements the window's class. A button of version 6 of the common controls
// comes from comctl32.dll; without the plug-in's activation context it is user32's own.
std::wstring ClassModuleOf(HWND window) {
    return ModuleFileOfAddress(reinterpret_cast<const void*>(::GetClassLongPtrW(window, GCLP_WNDPROC)));
}

bool SameFileName(const std::wstring& a, const wchar_t* b) { return ::lstrcmpiW(a.c_str(), b) == 0; }

class LoadedPlugin : public ::testing::Test {
protected:
    void SetUp() override {
        m_plugin.Reset(::LoadLibraryW(PluginPath().c_str()));
        ASSERT_TRUE(m_plugin) << ::GetLastError();
    }
    raii::UniqueModule m_plugin;
};

}  // namespace

TEST(ShippedDll, IsAGuiModuleWithoutDebugSectionsAndLinksItsDebugFile) {
    std::string image = ReadFileBytes(PluginPath());
    ASSERT_GT(image.size(), sizeof(IMAGE_DOS_HEADER));
    IMAGE_DOS_HEADER dos;
    memcpy(&dos, image.data(), sizeof(dos));
    ASSERT_EQ(dos.e_magic, IMAGE_DOS_SIGNATURE);
    size_t ntOffset = static_cast<size_t>(dos.e_lfanew);
    ASSERT_LE(ntOffset + sizeof(DWORD) + sizeof(IMAGE_FILE_HEADER) + sizeof(WORD) * 35, image.size());
    IMAGE_FILE_HEADER file;
    memcpy(&file, image.data() + ntOffset + sizeof(DWORD), sizeof(file));
    size_t optionalOffset = ntOffset + sizeof(DWORD) + sizeof(IMAGE_FILE_HEADER);
    // Subsystem sits at the same offset (68) in the 32- and 64-bit optional headers.
    WORD subsystem = 0;
    memcpy(&subsystem, image.data() + optionalOffset + 68, sizeof(subsystem));
    EXPECT_EQ(subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
    size_t sectionOffset = optionalOffset + file.SizeOfOptionalHeader;
    ASSERT_LE(sectionOffset + file.NumberOfSections * sizeof(IMAGE_SECTION_HEADER), image.size());
    // Names longer than eight characters are "/<offset>" into the string table that follows
    // the COFF symbols.
    size_t stringTable = file.PointerToSymbolTable + size_t{file.NumberOfSymbols} * 18;
    bool debugLink = false;
    for (WORD i = 0; i < file.NumberOfSections; ++i) {
        IMAGE_SECTION_HEADER section;
        memcpy(&section, image.data() + sectionOffset + i * sizeof(section), sizeof(section));
        std::string name(reinterpret_cast<const char*>(section.Name), strnlen(reinterpret_cast<const char*>(section.Name), 8));
        if (name.size() > 1 && name[0] == '/') {
            size_t at = stringTable + std::stoul(name.substr(1));
            ASSERT_TRUE(file.PointerToSymbolTable != 0 && at < image.size()) << name;
            name = std::string(image.c_str() + at, strnlen(image.c_str() + at, image.size() - at));
        }
        EXPECT_NE(name.rfind(".debug", 0), 0u) << name;
        if (name == ".gnu_debuglink") debugLink = true;
    }
    EXPECT_TRUE(debugLink);
    EXPECT_NE(::GetFileAttributesW((PluginPath() + L".debug").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(LoadedPlugin, StringTableNamesTheProduct) {
    wchar_t text[64] = {};
    ASSERT_GT(::LoadStringW(m_plugin.Get(), 100, text, 64), 0);
    EXPECT_STREQ(text, L"PluginForBrellix");
}

TEST_F(LoadedPlugin, ManifestIsTheIsolationAwareOneAndAsksForCommonControls6) {
    // ID 2 is the manifest of a DLL for its own windows; ID 1 would be a program's.
    EXPECT_EQ(::FindResourceW(m_plugin.Get(), MAKEINTRESOURCEW(1), RT_MANIFEST), nullptr);
    std::string manifest = ResourceBytes(m_plugin.Get(), MAKEINTRESOURCEW(2), RT_MANIFEST);
    ASSERT_FALSE(manifest.empty());
    for (const char* part : {"name=\"Microsoft.Windows.Common-Controls\"", "version=\"6.0.0.0\"",
                             "publicKeyToken=\"6595b64144ccf1df\"", "level=\"asInvoker\"", "<dpiAware>true</dpiAware>"}) {
        EXPECT_NE(manifest.find(part), std::string::npos) << part;
    }
    // The platform accepts it as an activation context.
    ACTCTXW description = {};
    description.cbSize = sizeof(description);
    description.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
    std::wstring path = PluginPath();
    description.lpSource = path.c_str();
    description.lpResourceName = MAKEINTRESOURCEW(2);
    description.hModule = m_plugin.Get();
    raii::UniqueActivationContext context(::CreateActCtxW(&description));
    EXPECT_TRUE(context) << ::GetLastError();
}

TEST(ActivationContext, ScopeActivatesThePluginContextAndRestoresTheOldOne) {
    HANDLE before = nullptr;
    ASSERT_TRUE(::GetCurrentActCtx(&before));
    raii::UniqueActivationContext outer(before);  // GetCurrentActCtx adds a reference
    {
        PluginActivationScope scope;
        EXPECT_TRUE(scope.IsActive());
        HANDLE inside = nullptr;
        ASSERT_TRUE(::GetCurrentActCtx(&inside));
        raii::UniqueActivationContext current(inside);
        EXPECT_NE(current.Get(), outer.Get());
    }
    HANDLE after = nullptr;
    ASSERT_TRUE(::GetCurrentActCtx(&after));
    raii::UniqueActivationContext restored(after);
    EXPECT_EQ(restored.Get(), outer.Get());
}

TEST(ActivationContext, WithoutItAButtonIsTheSystemsOwn) {
    // The contrast that makes the dialog checks below meaningful.
    raii::UniqueWindow button(::CreateWindowW(L"BUTTON", L"b", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr));
    ASSERT_TRUE(button);
    EXPECT_FALSE(SameFileName(ClassModuleOf(button.Get()), L"comctl32.dll")) << ClassModuleOf(button.Get());
}

TEST(ActivationContext, PluginDialogsUseCommonControls6) {
    PluginCommonSettingDialog dialog(nullptr);
    std::wstring buttonModule;
    UiRobot robot([&](UiRobot& r) {
        HWND window = r.WaitForWindow(L"#32770", L"Common settings");
        buttonModule = ClassModuleOf(::GetDlgItem(window, IDOK));
        r.PressKey(window, VK_ESCAPE);
        r.WaitForClose(window);
    });
    dialog.DoModal();
    robot.Join();
    EXPECT_TRUE(SameFileName(buttonModule, L"comctl32.dll")) << buttonModule;
}

TEST(ActivationContext, PluginMessageBoxesUseCommonControls6) {
    std::wstring buttonModule;
    UiRobot robot([&](UiRobot& r) {
        HWND box = r.WaitForWindow(L"#32770", L"Error");
        buttonModule = ClassModuleOf(::GetDlgItem(box, IDOK));
        r.Click(box, IDOK);
        r.WaitForClose(box);
    });
    ShowMessage(nullptr, L"Error occured.", L"Error", MB_OK);
    robot.Join();
    EXPECT_TRUE(SameFileName(buttonModule, L"comctl32.dll")) << buttonModule;
}

TEST(ActivationContext, FolderPickerUsesCommonControls6) {
    std::wstring buttonModule;
    PluginFolderBrowseDialog dialog;
    EXPECT_EQ(dialog.Prepare(nullptr, L"Title", nullptr), 0);
    UiRobot robot([&](UiRobot& r) {
        HWND picker = r.WaitForWindow(L"#32770", testing_support::kPickerCaption);
        buttonModule = ClassModuleOf(::GetDlgItem(picker, IDOK));
        r.Click(picker, IDCANCEL);
    });
    std::wstring path;
    EXPECT_EQ(dialog.Browse(path), 2);
    robot.Join();
    EXPECT_TRUE(SameFileName(buttonModule, L"comctl32.dll")) << buttonModule;
}

namespace {

std::wstring FromUtf8(const std::string& bytes) {
    int size = ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), size);
    return text;
}

// The built plug-in DLL is loaded from bin/, where the build also puts the compiled help files;
// the localisation stand-in is bound so the locale can be chosen; the help stand-in records the
// paths it is asked to open.
class HelpButton : public loc_test::UnboundLocalization {
protected:
    HelpButton()
        : m_library(loc_test::StandinPath(L"orvhelp.dll")),
          m_libraryValue(HKEY_LOCAL_MACHINE, loc_test::kSharedFilesKey, L"orvhelp.dll", &m_library),
          m_log(L"ORVHELP_LOG", m_records / L"requests.txt"),
          m_noViewer(L"ORVHELP_NO_VIEWER", L"1") {}

    void SetUp() override {
        loc_test::UnboundLocalization::SetUp();
        m_plugin.Reset(::LoadLibraryW(PluginPath().c_str()));
        ASSERT_TRUE(m_plugin) << ::GetLastError();
        m_localizationOwner = std::make_unique<loc_test::PluginFolder>();
        loc_test::PlaceLocalizationLibrary(*m_localizationOwner / L"orvloc.dll");
        ASSERT_TRUE(LoadLocalization(m_localizationOwner->Handle()));
    }
    void TearDown() override {
        loc_test::UnboundLocalization::TearDown();
        m_localizationOwner.reset();
    }

    // Presses the picker's Help button once; the lines the help library was asked for.
    std::wstring PressHelp() {
        ::DeleteFileW((m_records / L"requests.txt").c_str());
        PluginHelp help(L"ScanToBrellix", L"PluginForBrellix.dll");
        PluginFolderBrowseDialog dialog;
        EXPECT_EQ(dialog.Prepare(nullptr, L"Title", &help), 0);
        UiRobot robot([](UiRobot& r) {
            HWND picker = r.WaitForWindow(L"#32770", testing_support::kPickerCaption);
            r.Click(picker, FolderBrowseDialog::kExtraButtonId);
            r.Click(picker, IDCANCEL);
        });
        std::wstring path;
        EXPECT_EQ(dialog.Browse(path), 2);
        robot.Join();
        return FromUtf8(ReadFileBytes(m_records / L"requests.txt"));
    }

    loc_test::QuietSearchRegistry m_quiet;
    std::wstring m_library;
    RegistryValueOverride m_libraryValue;
    ScratchFolder m_records;
    EnvironmentOverride m_log;
    EnvironmentOverride m_noViewer;
    raii::UniqueModule m_plugin;
    std::unique_ptr<loc_test::PluginFolder> m_localizationOwner;
};

}  // namespace

TEST_F(HelpButton, AsksForTheShippedHelpFileOfEachLanguage) {
    struct Case {
        LANGID locale;
        const wchar_t* file;
    } cases[] = {
        {1033, L"ScanToBrellix_EN.chm"},
        {1041, L"ScanToBrellix_JP.chm"},
        {1031, L"ScanToBrellix_GE.chm"},
        {1036, L"ScanToBrellix_FR.chm"},
    };
    for (const Case& c : cases) {
        SetCurrentLocale(c.locale);
        ASSERT_EQ(CurrentLocale(), c.locale);
        std::wstring expected = BinFolder() + L"\\" + c.file;
        // One request, for the language's own file, which exists: no fall-back to English.
        EXPECT_EQ(PressHelp(), expected + L"\r\n") << c.locale;
        EXPECT_NE(::GetFileAttributesW(expected.c_str()), INVALID_FILE_ATTRIBUTES) << c.file;
    }
}
