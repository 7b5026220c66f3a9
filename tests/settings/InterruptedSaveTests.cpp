// A process killed while it saves the settings file must leave a file that loads, with either
// the old or the new content.
#include "settings/MyXml.h"

#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

using testing_support::ScratchFolder;

namespace {

constexpr wchar_t kLoopFileVariable[] = L"PLUGIN_TEST_SAVE_LOOP_FILE";
constexpr wchar_t kSavedEventVariable[] = L"PLUGIN_TEST_SAVE_LOOP_EVENT";
constexpr int kElements = 20000;

// A big document whose every element carries the version, so a torn mix of two saves shows.
std::wstring Content(int version) {
    std::wstring inner;
    std::wstring element = L"<Setting ID='{" + std::to_wstring(version) + L"}'><Destination>C:\\Sync\\folder</Destination></Setting>";
    inner.reserve(element.size() * kElements);
    for (int i = 0; i < kElements; ++i) inner += element;
    return inner;
}

void SaveVersion(const std::wstring& path, int version) {
    MyXmlWriterUtf8 writer;
    ASSERT_EQ(writer.CreateNew(L"Objects", Content(version).c_str()), S_OK);
    ASSERT_EQ(writer.Save(path), S_OK);
}

// The version of a loaded file; -1 when it does not load or its elements disagree.
int LoadedVersion(const std::wstring& path) {
    MyXmlReader reader;
    if (reader.Load(path) != S_OK || !reader.SelectElements(L"Setting") || reader.Count() != kElements) return -1;
    std::wstring first, value;
    if (reader.GetAttribute(first, L"ID") != S_OK) return -1;
    while (reader.MoveNext()) {
        if (reader.GetAttribute(value, L"ID") != S_OK || value != first) return -1;
    }
    return std::stoi(first.substr(1));
}

// Run only as the child of the test below: saves new versions until it is killed.
TEST(SaveInterruption, DISABLED_SaveLoop) {
    wchar_t path[1024] = {};
    ASSERT_GT(::GetEnvironmentVariableW(kLoopFileVariable, path, 1024), 0u);
    wchar_t eventName[128] = {};
    ASSERT_GT(::GetEnvironmentVariableW(kSavedEventVariable, eventName, 128), 0u);
    raii::UniqueHandle saved(::OpenEventW(EVENT_MODIFY_STATE, FALSE, eventName));
    ASSERT_TRUE(saved);
    raii::ComApartment apartment;
    for (int version = 1;; ++version) {
        SaveVersion(path, version);
        ::SetEvent(saved.Get());
    }
}

TEST(SaveInterruption, KilledSaverLeavesALoadableFile) {
    raii::ComApartment apartment;
    ScratchFolder folder;
    const std::wstring path = folder / L"PluginForBrellix.xml";
    SaveVersion(path, 0);
    ASSERT_EQ(LoadedVersion(path), 0);

    wchar_t self[MAX_PATH] = {};
    ASSERT_GT(::GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    ASSERT_TRUE(::SetEnvironmentVariableW(kLoopFileVariable, path.c_str()));
    // The saver signals after each complete save; the kill comes at a varying moment of a
    // later save, however slow the machine is.
    const std::wstring eventName = L"PluginTestSaved" + std::to_wstring(::GetCurrentProcessId());
    raii::UniqueHandle saved(::CreateEventW(nullptr, FALSE, FALSE, eventName.c_str()));
    ASSERT_TRUE(saved);
    ASSERT_TRUE(::SetEnvironmentVariableW(kSavedEventVariable, eventName.c_str()));
    int lastVersion = 0;
    const DWORD delays[] = {0, 15, 30, 45, 60, 75};
    for (DWORD delay : delays) {
        std::wstring command = std::wstring(L"\"") + self +
                               L"\" --gtest_also_run_disabled_tests --gtest_filter=SaveInterruption.DISABLED_SaveLoop";
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process{};
        ASSERT_TRUE(::CreateProcessW(self, &command[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                                     &startup, &process));
        raii::UniqueHandle processHandle(process.hProcess);
        raii::UniqueHandle threadHandle(process.hThread);
        HANDLE waitFor[] = {saved.Get(), process.hProcess};
        ASSERT_EQ(::WaitForMultipleObjects(2, waitFor, FALSE, 120000), WAIT_OBJECT_0)
            << "the saver stopped by itself or never completed a save";
        ASSERT_EQ(::WaitForSingleObject(process.hProcess, delay), static_cast<DWORD>(WAIT_TIMEOUT))
            << "the saver stopped by itself";
        ASSERT_TRUE(::TerminateProcess(process.hProcess, 9));
        ::WaitForSingleObject(process.hProcess, INFINITE);

        int version = LoadedVersion(path);
        EXPECT_GE(version, 0) << "the file does not load after a kill at " << delay << " ms";
        lastVersion = version > lastVersion ? version : lastVersion;
    }
    ::SetEnvironmentVariableW(kLoopFileVariable, nullptr);
    ::SetEnvironmentVariableW(kSavedEventVariable, nullptr);
    EXPECT_GT(lastVersion, 0) << "no save completed: the kills did not hit a running saver";
}

}  // namespace
