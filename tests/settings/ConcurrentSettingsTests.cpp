// The settings file shared by several processes: changes of two processes at the same time
// both kept, a reader in the way only delays a save, temporaries of a killed process removed
// by the next save (and only those), and a read-only settings file left as it is.
#include "settings/MyXml.h"
#include "settings/PluginReader.h"
#include "settings/PluginWriter.h"
#include "settings/XmlFileIo.h"
#include "support/FileLock.h"

#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

using testing_support::ReadFileBytes;
using testing_support::ScratchFolder;
using testing_support::WriteFileBytes;

namespace {

constexpr wchar_t kBaseVariable[] = L"PLUGIN_TEST_SETTINGS_BASE";
constexpr wchar_t kJobVariable[] = L"PLUGIN_TEST_SETTINGS_JOB";
constexpr wchar_t kEventVariable[] = L"PLUGIN_TEST_SETTINGS_EVENT";
constexpr int kRounds = 30;

GUID JobId(int job) { return GUID{0x5e771e00u + static_cast<unsigned long>(job), 0x1111, 0x2222, {1, 2, 3, 4, 5, 6, 7, 8}}; }

std::wstring Variable(const wchar_t* name) {
    wchar_t value[1024] = {};
    DWORD length = ::GetEnvironmentVariableW(name, value, 1024);
    return length > 0 && length < 1024 ? std::wstring(value) : std::wstring();
}

std::wstring SettingsPath(const std::wstring& base) {
    MyFilePath path(L"");
    PluginSettingFileBrellix(base).GetFilePath(path);
    return path.GetPath();
}

// This test program run again as a child for one disabled test, with variables of its own.
class ChildProcess {
public:
    ChildProcess(const wchar_t* test, const std::vector<std::pair<const wchar_t*, std::wstring>>& variables) {
        for (const auto& variable : variables) ::SetEnvironmentVariableW(variable.first, variable.second.c_str());
        wchar_t self[MAX_PATH] = {};
        ::GetModuleFileNameW(nullptr, self, MAX_PATH);
        std::wstring command = std::wstring(L"\"") + self + L"\" --gtest_also_run_disabled_tests --gtest_filter=" + test;
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process{};
        if (::CreateProcessW(self, &command[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                             &process)) {
            m_process.Reset(process.hProcess);
            ::CloseHandle(process.hThread);
            m_id = process.dwProcessId;
        }
        for (const auto& variable : variables) ::SetEnvironmentVariableW(variable.first, nullptr);
    }
    ~ChildProcess() {
        if (m_process && ::WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT) Kill();
    }
    bool Started() const { return static_cast<bool>(m_process); }
    HANDLE Handle() const { return m_process.Get(); }
    DWORD Id() const { return m_id; }
    // The exit code, or STILL_ACTIVE when it did not end within the time.
    DWORD Wait(DWORD timeoutMs) {
        DWORD code = STILL_ACTIVE;
        if (::WaitForSingleObject(m_process.Get(), timeoutMs) == WAIT_OBJECT_0) ::GetExitCodeProcess(m_process.Get(), &code);
        return code;
    }
    void Kill() {
        ::TerminateProcess(m_process.Get(), 9);
        ::WaitForSingleObject(m_process.Get(), INFINITE);
    }

private:
    raii::UniqueHandle m_process;
    DWORD m_id = 0;
};

// Names in the settings folder that are temporaries of the settings file, with their attributes.
std::vector<std::pair<std::wstring, DWORD>> Temporaries(const std::wstring& settingsPath) {
    MyFilePath file(settingsPath);
    std::vector<std::pair<std::wstring, DWORD>> found;
    WIN32_FIND_DATAW data{};
    HANDLE find = ::FindFirstFileW(path_text::Join(file.GetFolder(), L"*.new").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return found;
    do {
        found.emplace_back(data.cFileName, data.dwFileAttributes);
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    return found;
}

raii::UniqueHandle NamedEvent(std::wstring& name) {
    name = L"PluginTestSettings" + std::to_wstring(::GetCurrentProcessId()) + L"_" + std::to_wstring(::GetTickCount());
    return raii::UniqueHandle(::CreateEventW(nullptr, TRUE, FALSE, name.c_str()));
}

// Child: waits for the start signal, then changes its own job's record in every round, one
// new parameter at a time. Any failed write fails this child.
TEST(SettingsWriterChild, DISABLED_WriteRounds) {
    const std::wstring base = Variable(kBaseVariable);
    const int job = std::stoi(Variable(kJobVariable));
    raii::UniqueHandle start(::OpenEventW(SYNCHRONIZE, FALSE, Variable(kEventVariable).c_str()));
    ASSERT_TRUE(start);
    ASSERT_EQ(::WaitForSingleObject(start.Get(), 60000), WAIT_OBJECT_0);
    raii::ComApartment apartment;
    for (int round = 0; round < kRounds; ++round) {
        PluginWriterXMLBrellix writer(MyGuid(JobId(job)), base);
        std::wstring name = L"Round" + std::to_wstring(round);
        ASSERT_EQ(writer.WriteParam(name.c_str(), round, 1), 0) << "round " << round;
        ASSERT_EQ(writer.WriteParam(L"Destination", name.c_str(), 1), 0) << "round " << round;
    }
}

// Child: makes a settings temporary the way a save does, says so, and waits to be killed.
TEST(SettingsWriterChild, DISABLED_HoldTemporary) {
    raii::UniqueFile file;
    std::wstring temporary;
    ASSERT_EQ(xml_file_io::CreateTemporaryBeside(SettingsPath(Variable(kBaseVariable)), file, temporary), 0u);
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(file.Get(), "<Objects>", 9, &written, nullptr));
    raii::UniqueHandle ready(::OpenEventW(EVENT_MODIFY_STATE, FALSE, Variable(kEventVariable).c_str()));
    ASSERT_TRUE(ready);
    ::SetEvent(ready.Get());
    ::Sleep(INFINITE);
}

class SharedSettingsTest : public ::testing::Test {
protected:
    std::wstring FilePath() const { return SettingsPath(m_base.Path()); }
    PluginWriterXMLBrellix Writer(int job = 0) { return PluginWriterXMLBrellix(MyGuid(JobId(job)), m_base.Path()); }
    PluginReaderXMLBrellix Reader(int job = 0) { return PluginReaderXMLBrellix(MyGuid(JobId(job)), m_base.Path()); }

    raii::ComApartment m_apartment;
    ScratchFolder m_base;
};

// Two processes change their own jobs at the same time while a third party keeps opening the
// file to read it, the way a scanner or the user's editor would: every write succeeds and
// every change of both is kept.
TEST_F(SharedSettingsTest, TwoProcessesChangingDifferentJobsKeepEveryChange) {
    ASSERT_EQ(Writer(9).WriteParam(L"Destination", L"first", 1), 0);  // the file exists from the start
    std::wstring eventName;
    raii::UniqueHandle start = NamedEvent(eventName);
    ASSERT_TRUE(start);
    ChildProcess first(L"SettingsWriterChild.DISABLED_WriteRounds",
                       {{kBaseVariable, m_base.Path()}, {kJobVariable, L"1"}, {kEventVariable, eventName}});
    ChildProcess second(L"SettingsWriterChild.DISABLED_WriteRounds",
                        {{kBaseVariable, m_base.Path()}, {kJobVariable, L"2"}, {kEventVariable, eventName}});
    ASSERT_TRUE(first.Started() && second.Started());

    std::atomic<bool> writersDone{false};
    std::atomic<int> reads{0};
    const std::wstring path = FilePath();
    std::thread foreignReader([&] {
        while (!writersDone) {
            raii::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                                FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!file) continue;
            char buffer[4096];
            DWORD read = 0;
            (void)::ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr);
            ++reads;
            file.Reset();
            ::Sleep(3);
        }
    });
    ::SetEvent(start.Get());
    DWORD firstCode = first.Wait(300000);
    DWORD secondCode = second.Wait(300000);
    writersDone = true;
    foreignReader.join();
    EXPECT_EQ(firstCode, 0u) << "a write of the first process failed";
    EXPECT_EQ(secondCode, 0u) << "a write of the second process failed";
    EXPECT_GT(reads.load(), 0);

    for (int job : {1, 2}) {
        for (int round = 0; round < kRounds; ++round) {
            int value = -1;
            std::wstring name = L"Round" + std::to_wstring(round);
            EXPECT_EQ(Reader(job).ReadParam(&value, name.c_str(), 1), 0) << "job " << job << " lost " << round;
            EXPECT_EQ(value, round);
        }
        std::wstring destination;
        EXPECT_EQ(Reader(job).ReadParam(&destination, L"Destination", 1), 0);
        EXPECT_EQ(destination, L"Round" + std::to_wstring(kRounds - 1));
    }
    std::wstring kept;
    EXPECT_EQ(Reader(9).ReadParam(&kept, L"Destination", 1), 0);
    EXPECT_EQ(kept, L"first");
    EXPECT_TRUE(Temporaries(path).empty());
}

// A reader that keeps the file open (without letting it be deleted) only delays a save.
TEST_F(SharedSettingsTest, ASaveWaitsForAReaderThatBrieflyHoldsTheFile) {
    ASSERT_EQ(Writer().WriteParam(L"Destination", L"old", 1), 0);
    raii::UniqueFile reader(::CreateFileW(FilePath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(reader);
    std::thread closer([&] {
        ::Sleep(300);
        reader.Reset();
    });
    EXPECT_EQ(Writer().WriteParam(L"Destination", L"new", 1), 0);
    closer.join();
    std::wstring value;
    EXPECT_EQ(Reader().ReadParam(&value, L"Destination", 1), 0);
    EXPECT_EQ(value, L"new");
}

// A change that cannot have the lock within its bound fails with a clear code and leaves the
// file as it was.
TEST_F(SharedSettingsTest, AChangeGivesUpWhenTheLockStaysTaken) {
    ASSERT_EQ(Writer().WriteParam(L"Destination", L"old", 1), 0);
    const std::string before = ReadFileBytes(FilePath());
    std::atomic<bool> held{false};
    raii::UniqueHandle release(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::thread holder([&] {
        FileLock lock;
        if (lock.Acquire(FilePath(), 1000) == 0) held = true;
        ::WaitForSingleObject(release.Get(), 60000);
    });
    while (!held) ::Sleep(1);
    DWORD started = ::GetTickCount();
    EXPECT_EQ(Writer().WriteParam(L"Destination", L"new", 1), static_cast<int>(ERROR_TIMEOUT));
    EXPECT_GE(::GetTickCount() - started, xml_file_io::kChangeLockTimeoutMs - 100);
    ::SetEvent(release.Get());
    holder.join();
    EXPECT_EQ(ReadFileBytes(FilePath()), before);
    // The lock is free again: the next change goes through.
    EXPECT_EQ(Writer().WriteParam(L"Destination", L"new", 1), 0);
}

// A process killed during a save leaves its hidden temporary; the next save removes it, but
// not the temporary of a process that still runs.
TEST_F(SharedSettingsTest, TemporariesOfKilledProcessesAreRemovedByTheNextSave) {
    ASSERT_EQ(Writer().WriteParam(L"Destination", L"old", 1), 0);
    const std::wstring path = FilePath();
    const std::wstring fileName = MyFilePath(path).GetFileName();
    std::wstring eventName;
    raii::UniqueHandle ready = NamedEvent(eventName);
    ASSERT_TRUE(ready);
    ChildProcess killed(L"SettingsWriterChild.DISABLED_HoldTemporary", {{kBaseVariable, m_base.Path()}, {kEventVariable, eventName}});
    ASSERT_TRUE(killed.Started());
    HANDLE waitFor[] = {ready.Get(), killed.Handle()};
    ASSERT_EQ(::WaitForMultipleObjects(2, waitFor, FALSE, 60000), WAIT_OBJECT_0);
    ::ResetEvent(ready.Get());
    ChildProcess running(L"SettingsWriterChild.DISABLED_HoldTemporary", {{kBaseVariable, m_base.Path()}, {kEventVariable, eventName}});
    ASSERT_TRUE(running.Started());
    waitFor[1] = running.Handle();
    ASSERT_EQ(::WaitForMultipleObjects(2, waitFor, FALSE, 60000), WAIT_OBJECT_0);

    auto temporaryOf = [&](DWORD processId) {
        for (const auto& found : Temporaries(path)) {
            DWORD writer = 0;
            if (xml_file_io::IsTemporaryOf(fileName, found.first, writer) && writer == processId) return found.second;
        }
        return INVALID_FILE_ATTRIBUTES;
    };
    const DWORD attributes = temporaryOf(killed.Id());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_HIDDEN) << attributes;
    killed.Kill();
    ASSERT_NE(temporaryOf(killed.Id()), INVALID_FILE_ATTRIBUTES) << "the kill removed the temporary by itself";

    EXPECT_EQ(Writer().WriteParam(L"Destination", L"new", 1), 0);
    EXPECT_EQ(temporaryOf(killed.Id()), INVALID_FILE_ATTRIBUTES) << "the killed process's temporary is still there";
    EXPECT_NE(temporaryOf(running.Id()), INVALID_FILE_ATTRIBUTES) << "a running process's temporary was removed";
    // Names of other kinds beside the file are never touched.
    WriteFileBytes(path + L".notes.new", "mine");
    WriteFileBytes(path + L".1-2.new.txt", "mine");
    EXPECT_EQ(Writer().WriteParam(L"Destination", L"newer", 1), 0);
    EXPECT_EQ(ReadFileBytes(path + L".notes.new"), "mine");
    EXPECT_EQ(ReadFileBytes(path + L".1-2.new.txt"), "mine");
    running.Kill();
    EXPECT_EQ(xml_file_io::RemoveStaleTemporaries(path), 1);
    std::wstring value;
    EXPECT_EQ(Reader().ReadParam(&value, L"Destination", 1), 0);
    EXPECT_EQ(value, L"newer");
    // The saved file itself is a plain one, though it was written as a hidden temporary.
    EXPECT_EQ(::GetFileAttributesW(path.c_str()) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY), 0u);
}

TEST(SettingsTemporaryName, CarriesTheWritersProcessId) {
    struct Case {
        const wchar_t* name;
        bool matches;
        DWORD processId;
    } cases[] = {
        {L"PluginForBrellix.xml.1a2b-0.new", true, 0x1a2b},
        {L"PluginForBrellix.xml.FFFFFFFF-12.new", true, 0xFFFFFFFFu},
        {L"pluginforbrellix.xml.1a2b-0.new", false, 0},
        {L"PluginForBrellix.xml.1a2b.new", false, 0},
        {L"PluginForBrellix.xml.-1.new", false, 0},
        {L"PluginForBrellix.xml.1-.new", false, 0},
        {L"PluginForBrellix.xml.1x-2.new", false, 0},
        {L"PluginForBrellix.xml.100000000-2.new", false, 0},
        {L"PluginForBrellix.xml.1-2.new.txt", false, 0},
        {L"Other.xml.1-2.new", false, 0},
    };
    for (const Case& c : cases) {
        DWORD processId = 0;
        EXPECT_EQ(xml_file_io::IsTemporaryOf(L"PluginForBrellix.xml", c.name, processId), c.matches) << c.name;
        if (c.matches) {
            EXPECT_EQ(processId, c.processId) << c.name;
        }
    }
}

// A settings file its user made read-only is refused by every change, on Wine as on Windows,
// and stays as it was, read-only.
TEST_F(SharedSettingsTest, AReadOnlySettingsFileIsLeftAsItIs) {
    ASSERT_EQ(Writer().WriteParam(L"Destination", L"kept", 1), 0);
    ASSERT_EQ(Writer().WriteParam(L"ShowRenames", true, 0), 0);
    const std::wstring path = FilePath();
    const std::string before = ReadFileBytes(path);
    ASSERT_TRUE(::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    const std::wstring import = m_base / L"import.xml";
    WriteFileBytes(import, "<Objects><Setting ID=\"{1}\"><Destination>d</Destination></Setting></Objects>");

    EXPECT_EQ(Writer().WriteParam(L"Destination", L"changed", 1), 5);
    EXPECT_EQ(Writer(3).WriteParam(L"Destination", L"new job", 1), 5);
    EXPECT_EQ(Writer().WriteParam(L"ShowRenames", false, 0), 5);
    EXPECT_EQ(Writer().DeleteRecord(), 5);
    EXPECT_EQ(PluginXMLAppenderUtf8().AppendSettings(path, import, L"Setting", L"Objects", L"Objects", L"ID"), 5);

    EXPECT_EQ(ReadFileBytes(path), before);
    EXPECT_EQ(::GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_READONLY, static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(Temporaries(path).empty());
    std::wstring value;
    EXPECT_EQ(Reader().ReadParam(&value, L"Destination", 1), 0);
    EXPECT_EQ(value, L"kept");
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

}  // namespace
