#include "support/MyModule.h"
#include "support/OrvInfoLog.h"

#include "tests/common/ProcessRun.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using testing_support::Lines;
using testing_support::ReadFileBytes;
using testing_support::RegistryValueOverride;
using testing_support::ScratchFolder;

namespace {

const wchar_t kCurrentVersion[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

// The text of a line after "] L<level> ".
std::string TextOf(const std::string& line) {
    size_t marker = line.find("] L");
    return marker == std::string::npos ? std::string() : line.substr(marker + 5);
}

// A log bound to the stand-in library, writing into a scratch file.
class BoundLog : public ::testing::Test {
protected:
    void SetUp() override {
        m_file = m_scratch / L"log.txt";
        ::SetEnvironmentVariableW(L"ORVINFOLOG_FILE", m_file.c_str());
        ASSERT_EQ(m_log.Load((testing_support::StandinFolder() + L"\\orvinfolog.dll").c_str()), 0);
        EXPECT_NE(m_log.CreateInfoHandle(::GetModuleHandleW(nullptr)), 0u);
        m_log.SetThreadName(L"PLRP_Brellix");
    }
    void TearDown() override {
        m_log.Unload();
        ::SetEnvironmentVariableW(L"ORVINFOLOG_FILE", nullptr);
    }
    std::vector<std::string> LogLines() { return Lines(ReadFileBytes(m_file)); }

    ScratchFolder m_scratch;
    std::wstring m_file;
    COrvInfoLog m_log;
};

}  // namespace

TEST_F(BoundLog, LinesArriveWithLevelThreadNameAndWideArguments) {
    EXPECT_GT(m_log.WriteLog(2, L"CMain::Execute, filelist = %s, bfiledelete = 0x%08x", L"C:\\list.txt", 1), 0);
    m_log.WriteLog(3, L"Error PreSend = %d", 1223);
    auto lines = LogLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find("[PLRP_Brellix] L2 "), std::string::npos) << lines[0];
    EXPECT_EQ(TextOf(lines[0]), "CMain::Execute, filelist = C:\\list.txt, bfiledelete = 0x00000001");
    EXPECT_EQ(TextOf(lines[1]), "Error PreSend = 1223");
}

TEST_F(BoundLog, LongLinesAreCutAt1023Characters) {
    std::wstring longText(3000, L'x');
    m_log.WriteLog(1, L"%s", longText.c_str());
    m_log.WriteLog(1, L"after");
    auto lines = LogLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(TextOf(lines[0]), std::string(1023, 'x'));
    EXPECT_EQ(TextOf(lines[1]), "after");
}

TEST_F(BoundLog, TwoThreadsNeverInterleaveOrLoseLines) {
    constexpr int kPerThread = 400;
    auto writer = [this](int id) {
        for (int i = 0; i < kPerThread; ++i) m_log.WriteLog(1, L"thread %d line %d %s", id, i, L"payload");
    };
    std::thread first(writer, 1);
    std::thread second(writer, 2);
    first.join();
    second.join();
    auto lines = LogLines();
    ASSERT_EQ(lines.size(), 2u * kPerThread);
    std::vector<int> next(3, 0);
    for (const std::string& line : lines) {
        int id = -1;
        int index = -1;
        char tail[16] = {};
        ASSERT_EQ(std::sscanf(TextOf(line).c_str(), "thread %d line %d %15s", &id, &index, tail), 3) << line;
        ASSERT_TRUE(id == 1 || id == 2) << line;
        EXPECT_EQ(index, next[id]++) << "lines of one thread stay in order";
        EXPECT_STREQ(tail, "payload");
    }
}

TEST(LogAbsent, EveryCallDoesNothingWithoutTheLibrary) {
    ScratchFolder emptyProgramFiles;
    RegistryValueOverride programFiles(HKEY_LOCAL_MACHINE, kCurrentVersion, L"ProgramFilesDir",
                                       &emptyProgramFiles.Path());
    COrvInfoLog log;
    EXPECT_NE(log.Load(L"orvinfolog.dll"), 0);
    EXPECT_EQ(log.library, nullptr);
    EXPECT_EQ(log.CreateInfoHandle(::GetModuleHandleW(nullptr)), 0u);
    EXPECT_EQ(log.SetThreadName(L"x"), 0);
    EXPECT_EQ(log.WriteLog(1, L"%s", L"dropped"), 0);
    EXPECT_EQ(TheLog().library, nullptr) << "the process log is unbound in tests";
    EXPECT_EQ(WriteLog(3, L"Error %d", 5), 0);
}

TEST(LogAbsent, LoadFailureIsTheLastErrorAsHResult) {
    ScratchFolder emptyProgramFiles;
    RegistryValueOverride programFiles(HKEY_LOCAL_MACHINE, kCurrentVersion, L"ProgramFilesDir",
                                       &emptyProgramFiles.Path());
    COrvInfoLog log;
    EXPECT_EQ(static_cast<unsigned>(log.Load(L"orvinfolog.dll")), 0x8007007Eu) << "module not found";
}

TEST(LogAbsent, LibraryWithoutWriteExportDropsLines) {
    COrvInfoLog log;
    ASSERT_EQ(log.Load(L"version.dll"), 0);
    EXPECT_EQ(log.writeLog, nullptr);
    EXPECT_EQ(log.CreateInfoHandle(::GetModuleHandleW(nullptr)), 0u);
    EXPECT_EQ(log.WriteLog(1, L"line %d", 1), 0);
    log.Unload();
}

TEST(LogFallback, LoadsFromProgramFilesSharedFilesFolder) {
    ScratchFolder programFiles;
    std::wstring shared = programFiles / L"Orvane\\Shared Files";
    ASSERT_TRUE(::CreateDirectoryW((programFiles / L"Orvane").c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW(shared.c_str(), nullptr));
    testing_support::CopyFileOrFail(testing_support::StandinFolder() + L"\\orvinfolog.dll",
                                    shared + L"\\orvinfolog.dll");
    RegistryValueOverride value(HKEY_LOCAL_MACHINE, kCurrentVersion, L"ProgramFilesDir", &programFiles.Path());

    COrvInfoLog log;
    ASSERT_EQ(log.Load(L"orvinfolog.dll"), 0);
    EXPECT_EQ(MyModule::FileNameOf(log.library), shared + L"\\orvinfolog.dll");
    EXPECT_NE(log.writeLog, nullptr);
    log.Unload();
}

TEST(LogFallback, ProgramFilesValueLongerThanItsBufferIsRefused) {
    std::wstring tooLong = L"C:\\" + std::wstring(140, L'p');
    RegistryValueOverride value(HKEY_LOCAL_MACHINE, kCurrentVersion, L"ProgramFilesDir", &tooLong);
    COrvInfoLog log;
    EXPECT_EQ(log.Load(L"orvinfolog.dll"), ERROR_MORE_DATA);
    EXPECT_EQ(log.library, nullptr);
}
