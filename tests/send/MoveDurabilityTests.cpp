// A move (the delete flag set) must put the copy's data and its name on the disk before the
// source is deleted. The calls the sender makes are observed from outside it: the test
// program's imports of kernel32 are pointed at recorders that call the real functions.
#include "send/PluginSender.h"
#include "send/SendStatus.h"
#include "tests/common/ImportHook.h"
#include "tests/send/SendTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using send_tests::ListNames;
using testing_support::ImportHook;
using testing_support::ReadFileBytes;
using testing_support::ScratchFolder;
using testing_support::WriteFileBytes;
using Names = std::vector<std::wstring>;

namespace {

// What the recorders saw, in order, as "flush <file name>", "move <from> -> <to> <flags>",
// "delete <file name>". Only the last path component is kept.
std::vector<std::wstring> g_calls;
// A system error code the flush recorder fails with instead of flushing (0: flush for real).
DWORD g_flushFailure = 0;
void* g_flushOriginal = nullptr;
void* g_moveOriginal = nullptr;
void* g_deleteOriginal = nullptr;

std::wstring LastComponent(const std::wstring& path) { return path.substr(path_text::FileNameStart(path)); }

BOOL WINAPI RecordFlush(HANDLE file) {
    wchar_t path[1024] = {};
    ::GetFinalPathNameByHandleW(file, path, 1024, 0);
    g_calls.push_back(L"flush " + LastComponent(path));
    if (g_flushFailure != 0) {
        ::SetLastError(g_flushFailure);
        return FALSE;
    }
    return reinterpret_cast<decltype(&::FlushFileBuffers)>(g_flushOriginal)(file);
}

BOOL WINAPI RecordMove(const wchar_t* from, const wchar_t* to, DWORD flags) {
    g_calls.push_back(L"move " + LastComponent(from) + L" -> " + LastComponent(to) +
                      ((flags & MOVEFILE_WRITE_THROUGH) ? L" write-through" : L""));
    return reinterpret_cast<decltype(&::MoveFileExW)>(g_moveOriginal)(from, to, flags);
}

BOOL WINAPI RecordDelete(const wchar_t* path) {
    g_calls.push_back(L"delete " + LastComponent(path));
    return reinterpret_cast<decltype(&::DeleteFileW)>(g_deleteOriginal)(path);
}

// The temporary file's name in a recorded call replaced by "<temporary>".
std::vector<std::wstring> WithTemporaryNamed(std::vector<std::wstring> calls) {
    for (std::wstring& call : calls) {
        size_t start = call.find(L"~plg");
        if (start == std::wstring::npos) continue;
        size_t end = call.find(L".tmp", start);
        if (end != std::wstring::npos) call.replace(start, end + 4 - start, L"<temporary>");
    }
    return calls;
}

class MoveDurabilityTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_flush.IsActive() && m_move.IsActive() && m_delete.IsActive())
            << "the test program imports the three calls from kernel32";
        g_flushOriginal = m_flush.Original();
        g_moveOriginal = m_move.Original();
        g_deleteOriginal = m_delete.Original();
        g_calls.clear();
        g_flushFailure = 0;
        WriteFileBytes(m_in / L"a.pdf", "scan a");
    }
    void TearDown() override { g_flushFailure = 0; }

    int Send(bool deleteSource) {
        PluginSend2Folder sender;
        sender.SetFolder(MyFolderPath(m_out.Path()));
        return sender.Send(MyFilePath(m_in / L"a.pdf"), deleteSource);
    }

    ImportHook m_flush{"kernel32.dll", "FlushFileBuffers", reinterpret_cast<void*>(&RecordFlush)};
    ImportHook m_move{"kernel32.dll", "MoveFileExW", reinterpret_cast<void*>(&RecordMove)};
    ImportHook m_delete{"kernel32.dll", "DeleteFileW", reinterpret_cast<void*>(&RecordDelete)};
    ScratchFolder m_in;
    ScratchFolder m_out;
};

}  // namespace

TEST_F(MoveDurabilityTest, AMovedFileIsFlushedAndRenamedWithWriteThroughBeforeItsSourceGoes) {
    EXPECT_EQ(Send(true), send_status::kSaved);
    EXPECT_EQ(WithTemporaryNamed(g_calls), (Names{L"flush <temporary>", L"move <temporary> -> a.pdf write-through",
                                                  L"delete a.pdf"}));
    EXPECT_EQ(ReadFileBytes(m_out / L"a.pdf"), "scan a");
    EXPECT_TRUE(ListNames(m_in.Path()).empty());
}

TEST_F(MoveDurabilityTest, ARenamedMoveFlushesOnceAndWritesThroughTheNameItGets) {
    WriteFileBytes(m_out / L"a.pdf", "old");
    EXPECT_EQ(Send(true), send_status::kSavedUnderNewName);
    EXPECT_EQ(WithTemporaryNamed(g_calls),
              (Names{L"flush <temporary>", L"move <temporary> -> a.pdf write-through",
                     L"move <temporary> -> a_001.pdf write-through", L"delete a.pdf"}));
    EXPECT_EQ(ReadFileBytes(m_out / L"a_001.pdf"), "scan a");
    EXPECT_EQ(ReadFileBytes(m_out / L"a.pdf"), "old");
}

TEST_F(MoveDurabilityTest, ACopyThatKeepsItsSourceIsNeitherFlushedNorWrittenThrough) {
    EXPECT_EQ(Send(false), send_status::kSaved);
    EXPECT_EQ(WithTemporaryNamed(g_calls), (Names{L"move <temporary> -> a.pdf"}));
    EXPECT_EQ(ReadFileBytes(m_out / L"a.pdf"), "scan a");
    EXPECT_EQ(ListNames(m_in.Path()), Names{L"a.pdf"});
}

TEST_F(MoveDurabilityTest, AFailingFlushKeepsTheSourceAndIsTheCopysFailure) {
    for (DWORD failure : {static_cast<DWORD>(ERROR_IO_DEVICE), static_cast<DWORD>(ERROR_DISK_FULL)}) {
        g_calls.clear();
        g_flushFailure = failure;
        EXPECT_EQ(Send(true), static_cast<int>(failure));
        std::vector<std::wstring> calls = WithTemporaryNamed(g_calls);
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(calls.front(), L"flush <temporary>");
        for (const std::wstring& call : calls) {
            EXPECT_NE(call.rfind(L"move", 0), 0u) << "no name is claimed for data not on the disk";
            EXPECT_NE(call, L"delete a.pdf") << "the source must stay";
        }
        EXPECT_EQ(ReadFileBytes(m_in / L"a.pdf"), "scan a");
        EXPECT_TRUE(ListNames(m_out.Path()).empty()) << "neither the name nor the temporary file may stay";
    }
}
