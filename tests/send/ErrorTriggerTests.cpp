#include "send/PluginErrorTrigger.h"
#include "send/SendStatus.h"
#include "support/MessageTexts.h"
#include "tests/send/SendTestSupport.h"
#include "tests/send/TestDestination.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

// Answers with a fixed end code and remembers what it was asked.
class ScriptedAsker : public PluginErrorAsker {
public:
    explicit ScriptedAsker(int endCode) : m_endCode(endCode) {}
    int AskUser(HWND owner, const std::wstring& message, PluginDestination* destination) override {
        ++calls;
        lastOwner = owner;
        lastMessage = message;
        lastDestination = destination;
        return m_endCode;
    }
    int calls = 0;
    HWND lastOwner = nullptr;
    std::wstring lastMessage;
    PluginDestination* lastDestination = nullptr;

private:
    int m_endCode;
};

std::wstring SystemText(DWORD code) {
    wchar_t buffer[1024] = {};
    DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                    buffer, 1024, nullptr);
    return std::wstring(buffer, length);
}

// Presses OK on the first message box titled caption that appears in this process.
class MessageBoxPresser {
public:
    explicit MessageBoxPresser(std::wstring caption) : m_caption(std::move(caption)) {
        m_thread = std::thread([this] {
            for (int i = 0; i < 1000 && !m_stop.load(); ++i) {
                HWND box = ::FindWindowW(L"#32770", m_caption.c_str());
                DWORD process = 0;
                if (box) ::GetWindowThreadProcessId(box, &process);
                if (box && process == ::GetCurrentProcessId()) {
                    wchar_t text[256] = {};
                    ::GetDlgItemTextW(box, 0xFFFF, text, 256);
                    m_text = text;
                    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
                    m_pressed = true;
                    return;
                }
                ::Sleep(20);
            }
        });
    }
    ~MessageBoxPresser() {
        m_stop = true;
        if (m_thread.joinable()) m_thread.join();
    }
    bool Pressed() const { return m_pressed.load(); }
    std::wstring Text() {
        m_stop = true;
        if (m_thread.joinable()) m_thread.join();
        return m_text;
    }

private:
    std::wstring m_caption;
    std::wstring m_text;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_pressed{false};
    std::thread m_thread;
};

}  // namespace

// The system's description without the line break the system ends it with.
std::wstring Description(DWORD code) {
    std::wstring description = SystemText(code);
    while (!description.empty() && (description.back() == L'\n' || description.back() == L'\r')) description.pop_back();
    return description;
}

TEST(PluginErrorTrigger, MessageIsTheFixedTextWithTheSystemsDescriptionOnTheNextLine) {
    std::wstring description = Description(ERROR_ACCESS_DENIED);
    ASSERT_FALSE(description.empty());
    EXPECT_EQ(PluginErrorTrigger::MessageFor(ERROR_ACCESS_DENIED), texts::FileCannotBeSaved() + L"\r\n" + description);
    EXPECT_EQ(texts::FileCannotBeSaved(), L"The file cannot be saved.");
    EXPECT_EQ(PluginErrorTrigger::MessageFor(0x2000FFFF), L"The file cannot be saved.");
}

// The file (its name) and the destination folder follow, each on a line of its own.
TEST(PluginErrorTrigger, MessageNamesTheFileAndTheDestinationFolder) {
    const struct {
        DWORD code;
        const wchar_t* source;
        const wchar_t* target;
        std::wstring expectedTail;
    } cases[] = {
        {ERROR_PATH_NOT_FOUND, L"C:\\scans\\page & 1.pdf", L"C:\\sync\\Job\\page & 1.pdf",
         L"\r\nFile: page & 1.pdf\r\nDestination folder: C:\\sync\\Job"},
        {0x2000FFFF, L"C:\\scans\\a.pdf", L"D:\\a.pdf", L"\r\nFile: a.pdf\r\nDestination folder: D:\\"},
        {ERROR_ACCESS_DENIED, L"C:\\scans\\a.pdf", L"", L"\r\nFile: a.pdf"},
    };
    for (const auto& c : cases) {
        std::wstring description = Description(c.code);
        std::wstring head = texts::FileCannotBeSaved() + (description.empty() ? L"" : L"\r\n" + description);
        EXPECT_EQ(PluginErrorTrigger::MessageFor(static_cast<int>(c.code), c.source, c.target), head + c.expectedTail)
            << send_tests::Narrow(c.source);
    }
}

TEST(PluginErrorTrigger, DialogEndCodesBecomeDecisions) {
    struct Case {
        int endCode;
        int decision;
    } cases[] = {{4, send_status::kRetry}, {5, send_status::kRetry}, {3, send_status::kAbort},
                 {2, send_status::kAbort}, {-1, send_status::kAbort}, {1, send_status::kAbort}};
    TestDestination destination(L"C:\\out");
    HWND owner = ::GetDesktopWindow();
    for (const Case& c : cases) {
        ScriptedAsker asker(c.endCode);
        PluginErrorTrigger trigger(ERROR_ACCESS_DENIED, &destination, &asker);
        EXPECT_EQ(trigger.GetStatus(), send_status::kNotSentYet);
        int answer = 0;
        std::thread worker([&] { answer = trigger.Send(&destination, false); });  // waits for Run
        EXPECT_EQ(trigger.Run(owner), 0);
        worker.join();
        EXPECT_EQ(answer, c.decision) << c.endCode;
        EXPECT_EQ(trigger.GetStatus(), c.decision);
        EXPECT_EQ(asker.calls, 1);
        EXPECT_EQ(asker.lastOwner, owner);
        EXPECT_EQ(asker.lastDestination, &destination);
        EXPECT_EQ(asker.lastMessage, PluginErrorTrigger::MessageFor(ERROR_ACCESS_DENIED));  // no file set
        // A later pass finds the decision taken and goes on without waiting.
        EXPECT_EQ(trigger.Send(&destination, false), send_status::kGoOn);
    }
}

TEST(PluginErrorTrigger, ADecisionTakenBeforeTheWorkerArrivesStillReachesIt) {
    TestDestination destination(L"C:\\out");
    for (int endCode : {4, 3}) {
        ScriptedAsker asker(endCode);
        PluginErrorTrigger trigger(ERROR_ACCESS_DENIED, &destination, &asker);
        EXPECT_EQ(trigger.Run(nullptr), 0);
        EXPECT_EQ(trigger.Send(&destination, false), endCode == 4 ? send_status::kRetry : send_status::kAbort);
        EXPECT_EQ(trigger.Send(&destination, false), send_status::kGoOn);
    }
}

TEST(PluginErrorTrigger, WithoutADestinationTheUserIsToldAndTheWorkerReleasedWithAbort) {
    ScriptedAsker asker(4);
    PluginErrorTrigger trigger(ERROR_ACCESS_DENIED, nullptr, &asker);
    int answer = 0;
    std::thread worker([&] { answer = trigger.Send(nullptr, false); });
    MessageBoxPresser presser(texts::Error());
    EXPECT_EQ(trigger.Run(nullptr), result::kBadArguments);
    worker.join();
    EXPECT_EQ(presser.Text(), texts::ErrorOccured());
    EXPECT_EQ(answer, send_status::kAbort);
    EXPECT_EQ(asker.calls, 0);
}
