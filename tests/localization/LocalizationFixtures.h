// Shared helpers of the localisation tests: a scratch "plug-in folder" with a module loaded
// from it, copies of the stand-in libraries, and the registry keys the library search reads.
#pragma once

#include "support/Localization.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace loc_test {

const wchar_t kSharedFilesKey[] = L"SOFTWARE\\Orvane Inc.\\Shared Files";
const wchar_t kCurrentVersionKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

inline std::wstring StandinPath(const wchar_t* name) { return testing_support::StandinFolder() + L"\\" + name; }
inline std::wstring ShippedTranslations() { return testing_support::SourceFolder() + L"\\resources\\PluginForBrellix.loc"; }

// Full file name of a loaded module.
inline std::wstring ModulePath(HMODULE module) {
    std::vector<wchar_t> buffer(32768);
    DWORD length = ::GetModuleFileNameW(module, buffer.data(), static_cast<DWORD>(buffer.size()));
    return std::wstring(buffer.data(), length);
}

using testing_support::EnvironmentOverride;

// Copies the stand-in localisation library to a path of the test's choice.
inline void PlaceLocalizationLibrary(const std::wstring& path) {
    testing_support::CopyFileOrFail(StandinPath(L"orvloc.dll"), path);
}

// A folder that plays the plug-in's folder: "Plugin.dll" (a copy of a stand-in) is loaded
// from it, and its handle is what LoadLocalization is given.
class PluginFolder {
public:
    PluginFolder() {
        testing_support::CopyFileOrFail(StandinPath(L"orvinfolog.dll"), m_folder / L"Plugin.dll");
        m_module.Reset(::LoadLibraryW((m_folder / L"Plugin.dll").c_str()));
        EXPECT_TRUE(m_module) << ::GetLastError();
    }
    HMODULE Handle() const { return m_module.Get(); }
    const std::wstring& Path() const { return m_folder.Path(); }
    std::wstring operator/(const std::wstring& name) const { return m_folder / name; }

private:
    testing_support::ScratchFolder m_folder;  // destroyed after the module is freed
    raii::UniqueModule m_module;
};

// Leaves no localisation library bound before and after each test.
class UnboundLocalization : public ::testing::Test {
protected:
    void SetUp() override { UnloadLocalization(); }
    void TearDown() override { UnloadLocalization(); }
};

// Binds the stand-in library from a plug-in folder and adds the shipped translations.
class BoundWithShippedFile : public UnboundLocalization {
protected:
    void SetUp() override {
        UnboundLocalization::SetUp();
        PlaceLocalizationLibrary(m_plugin / L"orvloc.dll");
        ASSERT_TRUE(LoadLocalization(m_plugin.Handle()));
        AddFile(ShippedTranslations().c_str());
    }
    PluginFolder m_plugin;
};

// Clears the library search's registry values for a test and puts them back afterwards, so
// that nothing installed on the machine takes part.
class QuietSearchRegistry {
public:
    QuietSearchRegistry() {
        for (const wchar_t* name : {L"orvloc.dll", L"vkdloc.dll", L"orvhelp.dll", L""}) {
            m_overrides.push_back(std::make_unique<testing_support::RegistryValueOverride>(
                HKEY_LOCAL_MACHINE, kSharedFilesKey, name, nullptr));
        }
    }

private:
    std::vector<std::unique_ptr<testing_support::RegistryValueOverride>> m_overrides;
};

}  // namespace loc_test
