// Several processes saving into one folder at once, and a process killed in the middle of a
// save. The other processes are this test program again, started with a child role in the
// environment (the tests of the ChildRole suite do nothing without one).
#include "destination/PluginDestinationBrellix.h"
#include "send/PluginSender.h"
#include "send/SendStatus.h"
#include "send/TemporaryCopy.h"
#include "tests/common/ImportHook.h"
#include "tests/send/SendTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <map>
#include <set>
#include <string>
#include <vector>

using send_tests::ListNames;
using send_tests::Narrow;
using testing_support::ImportHook;
using testing_support::ReadFileBytes;
using testing_support::ScratchFolder;
using testing_support::WriteFileBytes;
using Names = std::vector<std::wstring>;

namespace {

constexpr wchar_t kRoleVariable[] = L"SENDER_TEST_ROLE";
constexpr wchar_t kFolderVariable[] = L"SENDER_TEST_FOLDER";
constexpr wchar_t kTagVariable[] = L"SENDER_TEST_TAG";
constexpr wchar_t kEventVariable[] = L"SENDER_TEST_EVENT";
constexpr int kFilesPerProcess = 60;
constexpr DWORD kChildWaitMs = 120000;

std::wstring Variable(const wchar_t* name) {
    wchar_t value[1024] = {};
    DWORD length = ::GetEnvironmentVariableW(name, value, 1024);
    return length > 0 && length < 1024 ? std::wstring(value, length) : std::wstring();
}

// A child process of this program running one test of the ChildRole suite.
class Child {
public:
    Child(const std::wstring& role, const std::wstring& folder, const std::wstring& tag, const std::wstring& event) {
        wchar_t program[MAX_PATH] = {};
        ::GetModuleFileNameW(nullptr, program, MAX_PATH);
        ::SetEnvironmentVariableW(kRoleVariable, role.c_str());
        ::SetEnvironmentVariableW(kFolderVariable, folder.c_str());
        ::SetEnvironmentVariableW(kTagVariable, tag.c_str());
        ::SetEnvironmentVariableW(kEventVariable, event.c_str());
        std::wstring commandLine = L"\"" + std::wstring(program) + L"\" --gtest_filter=ChildRole." + role;
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info = {};
        if (::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                             &info)) {
            m_process.Reset(info.hProcess);
            ::CloseHandle(info.hThread);
            m_id = info.dwProcessId;
        }
        ::SetEnvironmentVariableW(kRoleVariable, nullptr);
    }
    bool Started() const { return static_cast<bool>(m_process); }
    DWORD Id() const { return m_id; }
    // The exit code, or 0xFFFFFFFF when it did not end in time.
    DWORD Wait() {
        if (::WaitForSingleObject(m_process.Get(), kChildWaitMs) != WAIT_OBJECT_0) return 0xFFFFFFFF;
        DWORD code = 0xFFFFFFFF;
        ::GetExitCodeProcess(m_process.Get(), &code);
        return code;
    }
    void Kill() {
        ::TerminateProcess(m_process.Get(), 9);
        ::WaitForSingleObject(m_process.Get(), kChildWaitMs);
        m_process.Reset();
    }
    ~Child() {
        if (m_process && ::WaitForSingleObject(m_process.Get(), 0) != WAIT_OBJECT_0) Kill();
    }

private:
    raii::UniqueHandle m_process;
    DWORD m_id = 0;
};

std::wstring UniqueEventName(const wchar_t* what) {
    return std::wstring(L"PluginSenderTest-") + what + L"-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
           std::to_wstring(::GetTickCount());
}

std::vector<std::wstring> Temporaries(const std::wstring& folder) {
    std::vector<std::wstring> found;
    for (const std::wstring& name : ListNames(folder)) {
        if (name.rfind(file_copy::kTemporaryPrefix, 0) == 0) found.push_back(name);
    }
    return found;
}

}  // namespace

// Saves kFilesPerProcess files, all named scan.pdf, into the shared folder once the parent
// signals the start; each holds "<tag>-<index>".
TEST(ChildRole, SaveSameNames) {
    if (Variable(kRoleVariable) != L"SaveSameNames") GTEST_SKIP() << "run by ConcurrentSave only";
    std::wstring folder = Variable(kFolderVariable);
    std::wstring tag = Variable(kTagVariable);
    raii::UniqueHandle start(::OpenEventW(SYNCHRONIZE, FALSE, Variable(kEventVariable).c_str()));
    ASSERT_TRUE(start);
    ScratchFolder in;
    std::vector<std::wstring> sources;
    for (int i = 0; i < kFilesPerProcess; ++i) {
        std::wstring sub = in / std::to_wstring(i);
        ASSERT_TRUE(::CreateDirectoryW(sub.c_str(), nullptr));
        sources.push_back(sub + L"\\scan.pdf");
        WriteFileBytes(sources.back(), Narrow(tag) + "-" + std::to_string(i));
    }
    ASSERT_EQ(::WaitForSingleObject(start.Get(), kChildWaitMs), WAIT_OBJECT_0);
    for (const std::wstring& source : sources) {
        PluginSend2Folder sender;
        sender.SetFolder(MyFolderPath(folder));
        int status = sender.Send(MyFilePath(source), true);
        EXPECT_TRUE(status == send_status::kSaved || status == send_status::kSavedUnderNewName) << status;
    }
}

TEST(ConcurrentSave, TwoProcessesSavingTheSameNamesEachSaveEveryFileOnceUnderDistinctNames) {
    ScratchFolder out;
    std::wstring eventName = UniqueEventName(L"start");
    raii::UniqueHandle start(::CreateEventW(nullptr, TRUE, FALSE, eventName.c_str()));
    ASSERT_TRUE(start);
    WriteFileBytes(out / L"scan_003.pdf", "there before");
    Child first(L"SaveSameNames", out.Path(), L"first", eventName);
    Child second(L"SaveSameNames", out.Path(), L"second", eventName);
    ASSERT_TRUE(first.Started() && second.Started());
    ::SetEvent(start.Get());
    EXPECT_EQ(first.Wait(), 0u);
    EXPECT_EQ(second.Wait(), 0u);

    // Every file once, under the first 2n names of the numbered sequence (the file that was
    // there before keeps its name and its bytes), and nothing else in the folder.
    std::set<std::string> expectedContents;
    for (const char* tag : {"first", "second"}) {
        for (int i = 0; i < kFilesPerProcess; ++i) expectedContents.insert(std::string(tag) + "-" + std::to_string(i));
    }
    std::set<std::wstring> expectedNames{L"scan.pdf"};
    for (int n = 1; n <= 2 * kFilesPerProcess; ++n) {
        wchar_t name[32];
        std::swprintf(name, 32, L"scan_%03d.pdf", n);
        expectedNames.insert(name);
    }
    Names names = ListNames(out.Path());
    EXPECT_EQ(std::set<std::wstring>(names.begin(), names.end()), expectedNames);
    EXPECT_EQ(ReadFileBytes(out / L"scan_003.pdf"), "there before");
    std::multiset<std::string> contents;
    for (const std::wstring& name : names) {
        if (name != L"scan_003.pdf") contents.insert(ReadFileBytes(out / name));
    }
    EXPECT_EQ(contents, std::multiset<std::string>(expectedContents.begin(), expectedContents.end()))
        << "every file saved exactly once, none overwritten";
}

namespace {

HANDLE g_reachedRename = nullptr;

// Stands for a process stopped between its copy and its rename (in a move, while the copy's
// data goes to the disk): it tells the parent and waits to be killed.
BOOL WINAPI WaitInsteadOfFlushing(HANDLE) {
    ::SetEvent(g_reachedRename);
    ::Sleep(INFINITE);
    return FALSE;
}

}  // namespace

// Starts moving a file into the folder and stops for good before naming it.
TEST(ChildRole, StopBeforeRenaming) {
    if (Variable(kRoleVariable) != L"StopBeforeRenaming") GTEST_SKIP() << "run by StaleTemporaries only";
    g_reachedRename = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, Variable(kEventVariable).c_str());
    ASSERT_NE(g_reachedRename, nullptr);
    ImportHook flush("kernel32.dll", "FlushFileBuffers", reinterpret_cast<void*>(&WaitInsteadOfFlushing));
    ASSERT_TRUE(flush.IsActive());
    // The source lies in a folder of the parent's: this process never gets to remove anything.
    std::wstring source = Variable(kTagVariable) + L"\\scan" + std::to_wstring(::GetCurrentProcessId()) + L".pdf";
    WriteFileBytes(source, std::string(256 * 1024, 's'));
    PluginSend2Folder sender;
    sender.SetFolder(MyFolderPath(Variable(kFolderVariable)));
    (void)sender.Send(MyFilePath(source), true);
}

TEST(StaleTemporaries, AKilledRunsTemporaryIsRemovedByTheNextRunAndOnlyItsOwn) {
    ScratchFolder out;
    ScratchFolder in;
    // Two runs stopped between copy and rename; one is killed, the other still lives.
    std::wstring killedEvent = UniqueEventName(L"killed");
    std::wstring livingEvent = UniqueEventName(L"living");
    raii::UniqueHandle killedReached(::CreateEventW(nullptr, TRUE, FALSE, killedEvent.c_str()));
    raii::UniqueHandle livingReached(::CreateEventW(nullptr, TRUE, FALSE, livingEvent.c_str()));
    Child killed(L"StopBeforeRenaming", out.Path(), in.Path(), killedEvent);
    Child living(L"StopBeforeRenaming", out.Path(), in.Path(), livingEvent);
    ASSERT_TRUE(killed.Started() && living.Started());
    ASSERT_EQ(::WaitForSingleObject(killedReached.Get(), kChildWaitMs), WAIT_OBJECT_0);
    ASSERT_EQ(::WaitForSingleObject(livingReached.Get(), kChildWaitMs), WAIT_OBJECT_0);

    // Wine keeps only some attributes of a file: the temporary mark is checked where it sticks.
    WriteFileBytes(in / L"probe", "x");
    ::SetFileAttributesW((in / L"probe").c_str(), FILE_ATTRIBUTE_TEMPORARY);
    bool temporaryMarkSticks = (::GetFileAttributesW((in / L"probe").c_str()) & FILE_ATTRIBUTE_TEMPORARY) != 0;
    std::map<DWORD, std::wstring> byProcess;
    for (const std::wstring& name : Temporaries(out.Path())) {
        DWORD attributes = ::GetFileAttributesW((out / name).c_str());
        EXPECT_TRUE(attributes & FILE_ATTRIBUTE_HIDDEN) << Narrow(name);
        if (temporaryMarkSticks) {
            EXPECT_TRUE(attributes & FILE_ATTRIBUTE_TEMPORARY) << Narrow(name);
        }
        byProcess[std::wcstoul(name.c_str() + 4, nullptr, 16)] = name;
    }
    ASSERT_EQ(byProcess.size(), 2u);
    ASSERT_EQ(byProcess.count(killed.Id()), 1u);
    ASSERT_EQ(byProcess.count(living.Id()), 1u);
    killed.Kill();

    // Names that only look like ours, a temporary of this live process, and one that carries
    // the living process's number but another start: its number was reused.
    std::wstring own = file_copy::TemporaryName();
    wchar_t reused[64];
    std::swprintf(reused, 64, L"~plg%lx_1d0000000000000_1.tmp", living.Id());
    for (const std::wstring& name : {own, std::wstring(reused), std::wstring(L"~plgnotours.tmp"),
                                     std::wstring(L"~plg1_2.txt")}) {
        WriteFileBytes(out / name, "x");
    }

    PluginDestinationBrellix destination(in.Path());
    destination.SetFolder(out.Path());
    ASSERT_EQ(destination.BeginSend(), 0);
    Names left = ListNames(out.Path());
    Names expected{byProcess[living.Id()], own, L"~plgnotours.tmp", L"~plg1_2.txt"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(left, expected) << "the killed run's temporary and the reused number's go, nothing else";

    living.Kill();
    ASSERT_EQ(destination.BeginSend(), 0);
    expected = {L"~plg1_2.txt", L"~plgnotours.tmp", own};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Temporaries(out.Path()), expected);
}
