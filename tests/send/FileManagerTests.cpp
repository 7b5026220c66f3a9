#include "send/PluginErrorTrigger.h"
#include "send/PluginFileManager.h"
#include "send/PluginTarget.h"
#include "send/PluginTargetList.h"
#include "send/SendStatus.h"
#include "send/WorkerMessages.h"
#include "tests/common/LogCapture.h"
#include "tests/send/SendTestSupport.h"
#include "tests/send/TestDestination.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using send_tests::ListNames;
using testing_support::ReadFileBytes;
using testing_support::ScratchFolder;
using testing_support::WriteFileBytes;
using Names = std::vector<std::wstring>;

namespace {

struct Posted {
    UINT message;
    LPARAM lParam;  // for WM_REQUEST_PROC: 1 when a procedure came, else 0
    bool operator==(const Posted& other) const { return message == other.message && lParam == other.lParam; }
};

std::ostream& operator<<(std::ostream& out, const Posted& posted) {
    static const char* names[] = {"START_BATCH", "SEND_A_FILE", "FINISH_BATCH", "CANCEL_SEND",
                                  "FAIL_SEND", "SEND_A_FILE_RENAMED", "REQUEST_PROC", "GO_TO_NEXT",
                                  "ABORT_SEND", "RETRY_SEND"};
    UINT offset = posted.message - WM_APP;
    return out << (offset < 10 ? names[offset] : "?") << "(" << posted.lParam << ")";
}

// A hidden message-only window on the test thread that records what the file manager posts
// and runs requested procedures as the progress dialog does.
class RecordingWindow {
public:
    RecordingWindow() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &RecordingWindow::Procedure;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"SendTestsRecorder";
        ::RegisterClassW(&windowClass);  // a second registration fails harmlessly
        m_window.Reset(::CreateWindowExW(0, L"SendTestsRecorder", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                         windowClass.hInstance, this));
        EXPECT_TRUE(m_window) << "no window, error " << ::GetLastError();
    }

    HWND Handle() const { return m_window.Get(); }
    std::vector<Posted> posted;
    std::vector<WPARAM> senders;
    std::function<void(const Posted&)> onMessage;

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
            ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<RecordingWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self && message >= WM_START_BATCH && message <= WM_RETRY_SEND) {
            Posted entry{message, message == WM_REQUEST_PROC ? (lParam != 0 ? 1 : 0) : lParam};
            self->posted.push_back(entry);
            self->senders.push_back(wParam);
            if (self->onMessage) self->onMessage(entry);
            if (message == WM_REQUEST_PROC && lParam) {
                (void)reinterpret_cast<PluginRequestedProc*>(lParam)->Run(window);
            }
            return 0;
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }

    raii::UniqueWindow m_window;
};

// Answers each question with the next end code of a script and runs an action first.
class ScriptedAsker : public PluginErrorAsker {
public:
    std::vector<int> endCodes;
    std::function<void(int)> beforeAnswer;
    std::vector<std::wstring> messages;

    int AskUser(HWND, const std::wstring& message, PluginDestination*) override {
        int call = static_cast<int>(messages.size());
        messages.push_back(message);
        if (beforeAnswer) beforeAnswer(call);
        return call < static_cast<int>(endCodes.size()) ? endCodes[static_cast<size_t>(call)] : 3;
    }
};

struct BatchOutcome {
    int status;
    int result;
};

struct BatchWork {
    PluginFileManager* manager;
    BatchOutcome outcome;
};

// The worker thread's entry: a named WINAPI function, since on i686 a thread entry must be
// __stdcall.
DWORD WINAPI SendBatch(void* parameter) {
    auto* work = static_cast<BatchWork*>(parameter);
    work->outcome.status = work->manager->Send();
    work->outcome.result = work->manager->MapResult(work->outcome.status);
    return 0;
}

// Runs the batch on a worker thread while this thread pumps the window's messages.
BatchOutcome RunBatch(PluginFileManager& manager) {
    BatchWork work{&manager, {0, 0}};
    raii::UniqueHandle thread(::CreateThread(nullptr, 0, SendBatch, &work, 0, nullptr));
    EXPECT_TRUE(thread);
    HANDLE handle = thread.Get();
    for (;;) {
        DWORD wait = ::MsgWaitForMultipleObjects(1, &handle, FALSE, 60000, QS_ALLINPUT);
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
        if (wait == WAIT_OBJECT_0) break;
        if (wait == WAIT_TIMEOUT) {
            ADD_FAILURE() << "the batch did not end";
            break;
        }
    }
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
    return work.outcome;
}

class FileManagerTest : public ::testing::Test {
protected:
    FileManagerTest() : m_destination(m_out.Path()) {}

    void AddSources(std::initializer_list<const wchar_t*> names) {
        for (const wchar_t* name : names) {
            WriteFileBytes(m_in / name, send_tests::Narrow(name));
            m_list.InsertAt(m_list.GetCount(), new PluginTargetFile(m_in / name));
        }
    }

    BatchOutcome Run(bool deleteSource) {
        m_list.SetErrorAsker(&m_asker);
        m_manager.AddWindow(m_window.Handle());
        EXPECT_EQ(m_manager.Init(&m_destination, deleteSource, &m_list), 0);
        BatchOutcome outcome = RunBatch(m_manager);
        for (WPARAM sender : m_window.senders) EXPECT_EQ(sender, reinterpret_cast<WPARAM>(&m_manager));
        return outcome;
    }

    ScratchFolder m_in;
    ScratchFolder m_out;
    TestDestination m_destination;
    PluginTargetList m_list;
    ScriptedAsker m_asker;
    PluginFileManagerFolderEx m_manager;
    RecordingWindow m_window;
};

constexpr Posted Start{WM_START_BATCH, 0};
constexpr Posted Finish{WM_FINISH_BATCH, 0};
constexpr Posted Request{WM_REQUEST_PROC, 1};
Posted Saved(LPARAM i) { return {WM_SEND_A_FILE, i}; }
Posted Renamed(LPARAM i) { return {WM_SEND_A_FILE_RENAMED, i}; }
Posted Failed(LPARAM i) { return {WM_FAIL_SEND, i}; }
Posted Cancelled(LPARAM i) { return {WM_CANCEL_SEND, i}; }
Posted Retried(LPARAM i) { return {WM_RETRY_SEND, i}; }
Posted Aborted(LPARAM i) { return {WM_ABORT_SEND, i}; }
Posted WentOn(LPARAM i) { return {WM_GO_TO_NEXT, i}; }

using Order = std::vector<Posted>;

}  // namespace

TEST_F(FileManagerTest, AnEmptyListStartsAndFinishes) {
    BatchOutcome outcome = Run(false);
    EXPECT_EQ(m_window.posted, (Order{Start, Finish}));
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.result, 0);
    EXPECT_EQ(m_destination.endSendCalls, 1);
}

TEST_F(FileManagerTest, ACleanBatchSavesEveryFileInOrder) {
    AddSources({L"a.pdf", L"b.pdf", L"c.pdf"});
    BatchOutcome outcome = Run(false);
    EXPECT_EQ(m_window.posted, (Order{Start, Saved(0), Saved(1), Saved(2), Finish}));
    EXPECT_EQ(outcome.result, 0);
    EXPECT_EQ(ListNames(m_out.Path()), (Names{L"a.pdf", L"b.pdf", L"c.pdf"}));
    EXPECT_EQ(m_manager.GetFileCount(), 3);
    EXPECT_EQ(m_manager.GetSavedCount(), 3);
    EXPECT_EQ(m_manager.GetFileAt(1)->GetSavedPath().GetPath(), m_out / L"b.pdf");
}

TEST_F(FileManagerTest, ARenamedFileIsReportedAsSuch) {
    WriteFileBytes(m_out / L"b.pdf", "old");
    AddSources({L"a.pdf", L"b.pdf"});
    BatchOutcome outcome = Run(false);
    EXPECT_EQ(m_window.posted, (Order{Start, Saved(0), Renamed(1), Finish}));
    EXPECT_EQ(outcome.status, send_status::kSavedUnderNewName);
    EXPECT_EQ(outcome.result, 0);
    EXPECT_EQ(ReadFileBytes(m_out / L"b_001.pdf"), "b.pdf");
}

TEST_F(FileManagerTest, CancelDuringTheSecondFileRemovesTheCopiesWhenSourcesAreKept) {
    AddSources({L"a.pdf", L"b.pdf", L"c.pdf"});
    m_destination.beforeSender = [this](int made) {
        if (made == 1) m_manager.RequestCancel();  // pressed while the second file is sent
    };
    BatchOutcome outcome = Run(false);
    EXPECT_EQ(m_window.posted, (Order{Start, Saved(0), Saved(1), Cancelled(2), Finish}));
    EXPECT_EQ(outcome.status, send_status::kCancelled);
    EXPECT_EQ(outcome.result, 1223);
    EXPECT_TRUE(ListNames(m_out.Path()).empty());
    EXPECT_EQ(ListNames(m_in.Path()), (Names{L"a.pdf", L"b.pdf", L"c.pdf"}));
    EXPECT_EQ(m_list.GetAt(2)->GetKind(), target_kind::kCancelTrigger);
}

TEST_F(FileManagerTest, CancelKeepsTheCopiesWhenTheSourcesWereMoved) {
    AddSources({L"a.pdf", L"b.pdf", L"c.pdf"});
    m_destination.beforeSender = [this](int made) {
        if (made == 1) m_manager.RequestCancel();
    };
    BatchOutcome outcome = Run(true);
    EXPECT_EQ(m_window.posted, (Order{Start, Saved(0), Saved(1), Cancelled(2), Finish}));
    EXPECT_EQ(outcome.result, 1223);
    EXPECT_EQ(ListNames(m_out.Path()), (Names{L"a.pdf", L"b.pdf"})) << "the copies are the only ones left";
    EXPECT_EQ(ListNames(m_in.Path()), Names{L"c.pdf"});
}

TEST_F(FileManagerTest, RetryAfterTheCauseIsGoneSavesTheFileAndGoesOn) {
    std::wstring missing = m_out / L"later";
    m_destination.SetFolder(missing);
    AddSources({L"a.pdf", L"b.pdf", L"c.pdf"});
    m_asker.endCodes = {4};
    m_asker.beforeAnswer = [&](int) { ASSERT_TRUE(::CreateDirectoryW(missing.c_str(), nullptr)); };
    BatchOutcome outcome = Run(false);
    EXPECT_EQ(m_window.posted, (Order{Start, Failed(0), Request, Retried(1), Saved(0), WentOn(1), Saved(2),
                                      Saved(3), Finish}));
    EXPECT_EQ(outcome.result, 0);
    EXPECT_EQ(ListNames(missing), (Names{L"a.pdf", L"b.pdf", L"c.pdf"}));
    ASSERT_EQ(m_asker.messages.size(), 1u);
    EXPECT_EQ(m_asker.messages[0],
              PluginErrorTrigger::MessageFor(ERROR_PATH_NOT_FOUND, m_in / L"a.pdf", missing + L"\\a.pdf"));
    EXPECT_EQ(m_manager.GetFileCount(), 3);
    EXPECT_EQ(m_manager.GetSavedCount(), 3);
}

TEST_F(FileManagerTest, AFailedRetryAsksAgainAndAbortKeepsEarlierFiles) {
    AddSources({L"a.pdf", L"b.pdf", L"c.pdf"});
    ASSERT_TRUE(::DeleteFileW((m_in / L"b.pdf").c_str()));  // the second file cannot be read
    m_asker.endCodes = {4, 3};
    BatchOutcome outcome = Run(false);
    EXPECT_EQ(m_window.posted, (Order{Start, Saved(0), Failed(1), Request, Retried(2), Failed(1), Request,
                                      Aborted(2), Finish}));
    EXPECT_EQ(outcome.status, send_status::kAbort);
    EXPECT_EQ(outcome.result, 1223);
    EXPECT_EQ(ListNames(m_out.Path()), Names{L"a.pdf"}) << "an abort keeps what was saved";
    EXPECT_EQ(m_list.GetCount(), 5) << "the second failure's trigger sits before the first one";
}

// Every failed file leaves one error line with the system's code, the source and the target,
// each time it fails; a search of the log for errors finds it.
TEST_F(FileManagerTest, EveryFailureWritesAnErrorLineWithTheCodeAndBothPaths) {
    testing_support::LogCapture log;
    std::wstring missing = m_out / L"missing";
    m_destination.SetFolder(missing);
    AddSources({L"a.pdf", L"b.pdf"});
    m_asker.endCodes = {4, 3};  // retry the first file once, then abort
    (void)Run(false);
    std::vector<std::string> failures;
    for (const std::string& line : log.Texts()) {
        if (line.rfind("3 ", 0) == 0 && line.find("file not saved") != std::string::npos) failures.push_back(line);
    }
    std::string expected = "3 Error PluginFileManager::SendBatch, file not saved: error = 3, source = " +
                           send_tests::Narrow(m_in / L"a.pdf") + ", target = " + send_tests::Narrow(missing) + "\\a.pdf";
    EXPECT_EQ(failures, (std::vector<std::string>{expected, expected}));
}

TEST_F(FileManagerTest, AnErrorDialogClosedWithEscapeAborts) {
    AddSources({L"a.pdf"});
    m_destination.SetFolder(m_out / L"missing");
    m_asker.endCodes = {2};
    BatchOutcome outcome = Run(false);
    EXPECT_EQ(m_window.posted, (Order{Start, Failed(0), Request, Aborted(1), Finish}));
    EXPECT_EQ(outcome.result, 1223);
}

TEST_F(FileManagerTest, AFolderChosenThroughSettingTakesTheFailedAndLaterFiles) {
    ScratchFolder chosen;
    m_destination.SetFolder(m_out / L"missing");
    AddSources({L"a.pdf", L"b.pdf"});
    m_asker.endCodes = {4};
    m_asker.beforeAnswer = [&](int) { m_destination.SetFolder(chosen.Path()); };
    BatchOutcome outcome = Run(false);
    EXPECT_EQ(outcome.result, 0);
    EXPECT_EQ(ListNames(chosen.Path()), (Names{L"a.pdf", L"b.pdf"}));
}

TEST_F(FileManagerTest, CancelWhileTheUserDecidesStopsBeforeTheNextTarget) {
    AddSources({L"a.pdf", L"b.pdf", L"c.pdf"});
    ASSERT_TRUE(::DeleteFileW((m_in / L"b.pdf").c_str()));
    m_asker.endCodes = {4};
    m_asker.beforeAnswer = [this](int) { m_manager.RequestCancel(); };
    BatchOutcome outcome = Run(false);
    // The cancel is taken at the worker's next step: after the retry when the worker already
    // waited at the error trigger, before it when the answer came first. Either way no further
    // file is saved.
    const Order retriedFirst{Start, Saved(0), Failed(1), Request, Retried(2), Cancelled(1), Finish};
    const Order cancelledFirst{Start, Saved(0), Failed(1), Request, Cancelled(2), Finish};
    EXPECT_TRUE(m_window.posted == retriedFirst || m_window.posted == cancelledFirst)
        << ::testing::PrintToString(m_window.posted);
    EXPECT_EQ(outcome.result, 1223);
    EXPECT_TRUE(ListNames(m_out.Path()).empty()) << "the copy of the first file is removed again";
}

TEST_F(FileManagerTest, ARefusedBeginSendSkipsTheBatch) {
    AddSources({L"a.pdf"});
    m_destination.beginSendResult = 5;
    BatchOutcome outcome = Run(false);
    EXPECT_EQ(m_window.posted, (Order{Start, Finish}));
    EXPECT_EQ(outcome.status, 5);
    EXPECT_EQ(outcome.result, 50);
    EXPECT_EQ(m_destination.endSendCalls, 0);
    EXPECT_TRUE(ListNames(m_out.Path()).empty());
}

TEST(PluginFileManager, SendBeforeInitAndInitWithoutArguments) {
    PluginFileManager manager;
    TestDestination destination(L"C:\\out");
    PluginTargetList list;
    EXPECT_FALSE(manager.IsReady());
    EXPECT_EQ(manager.Send(), result::kNotReady);
    EXPECT_EQ(manager.Init(nullptr, false, &list), result::kBadArguments);
    EXPECT_EQ(manager.Init(&destination, false, nullptr), result::kBadArguments);
    EXPECT_FALSE(manager.IsReady());
    EXPECT_EQ(manager.GetTargetList(), nullptr);
    EXPECT_EQ(manager.GetFileCount(), 0);
    EXPECT_EQ(manager.GetSavedCount(), 0);
    EXPECT_EQ(manager.GetFileAt(0), nullptr);
    EXPECT_EQ(manager.Init(&destination, false, &list), 0);
    EXPECT_TRUE(manager.IsReady());
    EXPECT_EQ(manager.GetTargetList(), &list);
}

TEST(PluginFileManager, MapResultTable) {
    PluginFileManager manager;
    struct Case {
        int status;
        int result;
    } cases[] = {
        {0, 0}, {0x20000001, 0}, {0x20000002, 0}, {0x20000004, 0}, {0x20000006, 0}, {0x20000007, 0},
        {0x20000003, 1223}, {0x20000005, 1223},
        {2, 50}, {3, 50}, {5, 50}, {21, 50}, {160, 50}, {0x20000008, 50}, {-1, 50},
    };
    for (const Case& c : cases) EXPECT_EQ(manager.MapResult(c.status), c.result) << std::hex << c.status;
}

TEST(WorkerMessages, NumbersFollowTheApplicationRange) {
    const UINT messages[] = {WM_START_BATCH, WM_SEND_A_FILE, WM_FINISH_BATCH, WM_CANCEL_SEND, WM_FAIL_SEND,
                             WM_SEND_A_FILE_RENAMED, WM_REQUEST_PROC, WM_GO_TO_NEXT, WM_ABORT_SEND, WM_RETRY_SEND};
    for (UINT i = 0; i < 10; ++i) EXPECT_EQ(messages[i], 0x8000u + i);
}
