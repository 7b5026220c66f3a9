#include "send/PluginErrorTrigger.h"
#include "send/PluginStdioFile.h"
#include "send/PluginTarget.h"
#include "send/PluginTargetList.h"
#include "send/SendStatus.h"
#include "tests/send/SendTestSupport.h"
#include "tests/send/TestDestination.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using send_tests::Utf16Bytes;
using testing_support::ScratchFolder;
using testing_support::WriteFileBytes;
using Paths = std::vector<std::wstring>;

namespace {

Paths ReadPaths(const std::string& bytes, int expectedCode = 0) {
    ScratchFolder folder;
    WriteFileBytes(folder / L"list.txt", bytes);
    PluginTargetList list;
    EXPECT_EQ(list.CreateFileList(folder / L"list.txt"), expectedCode);
    Paths paths;
    for (int i = 0; i < list.GetCount(); ++i) paths.push_back(list.GetFileAt(i)->GetSourcePath().GetPath());
    return paths;
}

const std::string kFfFe = "\xFF\xFE";
const std::string kFeFf = "\xFE\xFF";
const std::string kUtf8Mark = "\xEF\xBB\xBF";

}  // namespace

TEST(PluginStdioFile, ReadsTheHostsList) {
    std::wstring longPath = L"C:\\" + std::wstring(5000, L'p') + L".pdf";
    struct Case {
        const char* what;
        std::string bytes;
        Paths expected;
    } cases[] = {
        {"FF FE mark, CR LF", kFfFe + Utf16Bytes(L"C:\\in\\a.pdf\r\nC:\\in\\b.pdf\r\n"), {L"C:\\in\\a.pdf", L"C:\\in\\b.pdf"}},
        {"no mark", Utf16Bytes(L"C:\\in\\a.pdf\nC:\\in\\b.pdf\n"), {L"C:\\in\\a.pdf", L"C:\\in\\b.pdf"}},
        {"FE FF is skipped, the rest is little-endian", kFeFf + Utf16Bytes(L"C:\\a.pdf\n"), {L"C:\\a.pdf"}},
        {"EF BB BF is skipped, the rest is UTF-16", kUtf8Mark + Utf16Bytes(L"C:\\a.pdf\n"), {L"C:\\a.pdf"}},
        {"outer spaces go, inner ones stay", kFfFe + Utf16Bytes(L"  C:\\my scans\\a b.pdf  \r\n"), {L"C:\\my scans\\a b.pdf"}},
        {"tabs and several CRs", Utf16Bytes(L"\tC:\\a.pdf\t\r\r\n"), {L"C:\\a.pdf"}},
        {"blank and space-only lines", Utf16Bytes(L"C:\\a.pdf\r\n\r\n   \r\n\nC:\\b.pdf\r\n"), {L"C:\\a.pdf", L"C:\\b.pdf"}},
        {"last line without line feed", Utf16Bytes(L"C:\\a.pdf\r\nC:\\b.pdf"), {L"C:\\a.pdf", L"C:\\b.pdf"}},
        {"semicolon and comma", Utf16Bytes(L"C:\\a;b,c.pdf\n"), {L"C:\\a;b,c.pdf"}},
        {"a 5000-character line", Utf16Bytes(longPath + L"\r\nC:\\b.pdf\r\n"), {longPath, L"C:\\b.pdf"}},
        {"non-ASCII names", Utf16Bytes(L"C:\\\u00e9t\u00e9\\\u65e5\u672c.pdf\n"), {L"C:\\\u00e9t\u00e9\\\u65e5\u672c.pdf"}},
        {"an odd final byte is no unit", Utf16Bytes(L"C:\\a.pdf") + "x", {L"C:\\a.pdf"}},
        {"empty file", "", {}},
        {"mark only", kFfFe, {}},
        {"one byte", "C", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(ReadPaths(c.bytes), c.expected) << c.what;
}

TEST(PluginStdioFile, UnopenableListsGiveTheCauseAndNoTargets) {
    ScratchFolder folder;
    struct Case {
        std::wstring path;
        int cause;
    } cases[] = {
        {folder / L"missing.txt", 2},
        {folder / L"no folder\\list.txt", 3},
        {folder.Path(), 5},
    };
    for (const Case& c : cases) {
        PluginTargetList list;
        EXPECT_EQ(list.CreateFileList(c.path), c.cause);
        EXPECT_EQ(list.GetCount(), 0);
    }
}

// A NUL ends a path for the system; a line that hides more text behind one is refused as a
// whole list (a hostile list), while NULs that only end a line are dropped.
TEST(PluginStdioFile, LinesWithNulAreRefusedUnlessTheNulOnlyEndsThem) {
    const std::string nul(2, '\0');
    struct Case {
        const char* what;
        std::string bytes;
        int code;
        Paths expected;
    } cases[] = {
        {"a second name behind the NUL", Utf16Bytes(L"C:\\src\\a.pdf") + nul + Utf16Bytes(L"\\x\\evil.pdf\r\n"), 1, {}},
        {"the NUL first", nul + Utf16Bytes(L"C:\\src\\a.pdf\r\n"), 1, {}},
        {"refused after a good line", Utf16Bytes(L"C:\\b.pdf\r\nC:\\a.pdf") + nul + Utf16Bytes(L"x"), 1, {L"C:\\b.pdf"}},
        {"a terminating NUL", Utf16Bytes(L"C:\\src\\a.pdf") + nul + Utf16Bytes(L"\r\n"), 0, {L"C:\\src\\a.pdf"}},
        {"NULs and spaces at the end of the file", Utf16Bytes(L"C:\\a.pdf") + nul + Utf16Bytes(L" ") + nul, 0,
         {L"C:\\a.pdf"}},
        {"a line of NULs", Utf16Bytes(L"C:\\a.pdf\r\n") + nul + nul + Utf16Bytes(L"\r\n"), 0, {L"C:\\a.pdf"}},
    };
    for (const Case& c : cases) EXPECT_EQ(ReadPaths(c.bytes, c.code), c.expected) << c.what;
}

// A source that is a device could block the worker's copy for ever (a serial port waits for
// data): a list naming one is refused as a whole, like a hostile list.
TEST(PluginStdioFile, ListsNamingADeviceAsASourceAreRefused) {
    const wchar_t* const devices[] = {L"COM1", L"C:\\scans\\LPT1.pdf", L"\\\\.\\pipe\\scans", L"CONIN$",
                                      L"\\\\?\\GLOBALROOT\\Device\\Null"};
    for (const wchar_t* device : devices) {
        EXPECT_EQ(ReadPaths(Utf16Bytes(L"C:\\a.pdf\r\n" + std::wstring(device) + L"\r\n"), 1), Paths{L"C:\\a.pdf"})
            << device;
    }
}

// Each path is resolved once when it is read, as the system resolves a short path: the copy
// and the saved name then come from the same text, at every length.
TEST(PluginStdioFile, PathsAreMadeAbsoluteAndNormalised) {
    wchar_t current[MAX_PATH] = {};
    ASSERT_GT(::GetCurrentDirectoryW(MAX_PATH, current), 0u);
    const std::wstring here = path_text::Join(current, L"");
    const std::wstring longFolder = L"C:\\" + std::wstring(150, L'a') + L"\\" + std::wstring(150, L'b');
    struct Case {
        const char* what;
        std::wstring line;
        std::wstring expected;
    } cases[] = {
        {"dot-dot", L"C:\\in\\sub\\..\\a.pdf", L"C:\\in\\a.pdf"},
        {"dot and repeated separators", L"C:\\in\\.\\\\sub\\\\a.pdf", L"C:\\in\\sub\\a.pdf"},
        {"forward slashes", L"C:/in/sub/a.pdf", L"C:\\in\\sub\\a.pdf"},
        {"a trailing dot, which the system drops", L"C:\\in\\a.pdf.", L"C:\\in\\a.pdf"},
        {"relative to the current folder", L"a.pdf", here + L"a.pdf"},
        {"relative with dot-dot", L"x\\..\\a.pdf", here + L"a.pdf"},
        {"dot-dot at 300 characters", longFolder + L"\\c\\..\\a.pdf", longFolder + L"\\a.pdf"},
        {"a share", L"\\\\server\\share\\x\\..\\a.pdf", L"\\\\server\\share\\a.pdf"},
    };
    for (const Case& c : cases) EXPECT_EQ(ReadPaths(Utf16Bytes(c.line + L"\r\n")), Paths{c.expected}) << c.what;
}

// Devices, consoles and pipes are never opened as a list: opening or reading one could wait
// for ever. A pipe with a server waiting for a client is among them.
TEST(PluginStdioFile, ListsThatAreNoDiskFileAreRefusedAtOnce) {
    ScratchFolder folder;
    const std::wstring pipeName = L"\\\\.\\pipe\\plugin-test-reader-" + std::to_wstring(::GetCurrentProcessId());
    raii::UniqueFile pipe(::CreateNamedPipeW(pipeName.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1,
                                             4096, 4096, 0, nullptr));
    ASSERT_TRUE(pipe);
    const std::wstring paths[] = {L"COM1", L"com1", L"COM1:", L"LPT1", L"NUL", L"nul.txt", L"CON", L"AUX", L"PRN",
                                  L"CONIN$", L"CONOUT$", L"\\\\.\\COM1", L"\\\\.\\NUL", L"\\\\?\\GLOBALROOT\\Device\\Null",
                                  folder / L"COM1", folder / L"CON.txt", pipeName};
    for (const std::wstring& path : paths) {
        PluginTargetList list;
        EXPECT_EQ(list.CreateFileList(path), 1) << path.c_str();
        EXPECT_EQ(list.GetCount(), 0) << path.c_str();
    }
    // Disk files in both namespaces still read.
    WriteFileBytes(folder / L"list.txt", Utf16Bytes(L"C:\\a.pdf\r\n"));
    for (const std::wstring& path : {folder / L"list.txt", L"\\\\?\\" + folder / L"list.txt", L"\\\\.\\" + folder / L"list.txt"}) {
        PluginTargetList list;
        EXPECT_EQ(list.CreateFileList(path), 0) << path.c_str();
        EXPECT_EQ(list.GetCount(), 1) << path.c_str();
    }
}

TEST(PluginStdioFile, CausesOfSystemErrors) {
    struct Case {
        DWORD error;
        int cause;
    } cases[] = {{0, 0}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {32, 11}, {33, 12}, {112, 13}, {38, 14}, {206, 3}, {87, 1}};
    for (const Case& c : cases) EXPECT_EQ(PluginStdioFile::CauseOfError(c.error), c.cause) << c.error;
}

TEST(PluginTargetList, NewListsAreAppended) {
    ScratchFolder folder;
    WriteFileBytes(folder / L"one.txt", Utf16Bytes(L"C:\\a.pdf\n"));
    WriteFileBytes(folder / L"two.txt", Utf16Bytes(L"C:\\b.pdf\n"));
    PluginTargetList list;
    ASSERT_EQ(list.CreateFileList(folder / L"one.txt"), 0);
    ASSERT_EQ(list.CreateFileList(folder / L"two.txt"), 0);
    ASSERT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list.GetFileAt(1)->GetSourcePath().GetPath(), L"C:\\b.pdf");
    list.RemoveAll();
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.GetAt(0), nullptr);
}

TEST(PluginTargetList, NextSkipsTriggersAndGetFileAtRefusesThem) {
    PluginTargetList list;
    list.InsertAt(0, new PluginTargetFile(L"C:\\a.pdf"));
    list.InsertAt(1, new PluginTargetFile(L"C:\\b.pdf"));
    PluginCancelTrigger* trigger = list.InsertCancelTrigger(1);
    ASSERT_EQ(list.GetCount(), 3);
    EXPECT_EQ(list.GetAt(1), trigger);
    EXPECT_EQ(list.GetFileAt(1), nullptr);
    EXPECT_EQ(list.GetFileAt(2)->GetSourcePath().GetPath(), L"C:\\b.pdf");

    PluginTargetFile* first = list.Next();
    PluginTargetFile* second = list.Next();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(first->GetSourcePath().GetPath(), L"C:\\a.pdf");
    EXPECT_EQ(second->GetSourcePath().GetPath(), L"C:\\b.pdf");
    EXPECT_EQ(list.Next(), nullptr);
    EXPECT_EQ(list.Next(), nullptr);
    list.ResetCursor();
    EXPECT_EQ(list.Next(), first);
}

TEST(PluginTargetList, InsertAtFrontMiddleEndAndBeyond) {
    PluginTargetList list;
    list.InsertAt(0, new PluginTargetFile(L"b"));
    list.InsertAt(0, new PluginTargetFile(L"a"));
    list.InsertAt(2, new PluginTargetFile(L"d"));  // equal to the count: appended
    list.InsertAt(2, new PluginTargetFile(L"c"));
    list.InsertAt(-3, new PluginTargetFile(L"front"));
    list.InsertAt(7, new PluginTargetFile(L"far"));  // beyond the end: empty places between
    ASSERT_EQ(list.GetCount(), 8);
    const wchar_t* expected[] = {L"front", L"a", L"b", L"c", L"d", nullptr, nullptr, L"far"};
    for (int i = 0; i < 8; ++i) {
        if (!expected[i]) {
            EXPECT_EQ(list.GetAt(i), nullptr) << i;
            EXPECT_EQ(list.GetFileAt(i), nullptr) << i;
            continue;
        }
        ASSERT_NE(list.GetFileAt(i), nullptr) << i;
        EXPECT_EQ(list.GetFileAt(i)->GetSourcePath().GetPath(), expected[i]);
    }
    int walked = 0;
    while (list.Next()) ++walked;
    EXPECT_EQ(walked, 6) << "Next passes over the empty places";
    EXPECT_EQ(list.GetAt(-1), nullptr);
    EXPECT_EQ(list.GetAt(8), nullptr);
}

TEST(PluginTargetList, ErrorTriggersComeWithTheirCodeAndKind) {
    PluginTargetList list;
    TestDestination destination(L"C:\\nowhere");
    list.InsertAt(0, new PluginTargetFile(L"C:\\a.pdf"));
    PluginErrorTrigger* trigger = list.InsertErrorTrigger(1, 5, &destination);
    EXPECT_EQ(list.GetAt(1), trigger);
    EXPECT_EQ(trigger->GetKind(), target_kind::kErrorTrigger);
    EXPECT_EQ(trigger->GetStatus(), send_status::kNotSentYet);
    EXPECT_EQ(trigger->GetErrorCode(), 5);
}

TEST(PluginTarget, StatusesBeforeAndAfterASend) {
    ScratchFolder in;
    ScratchFolder out;
    WriteFileBytes(in / L"a.pdf", "a");
    PluginTargetFile file(in / L"a.pdf");
    EXPECT_EQ(file.GetKind(), target_kind::kFile);
    EXPECT_EQ(file.GetStatus(), send_status::kNoSender);
    EXPECT_EQ(file.GetSavedPath().GetPath(), L"");
    EXPECT_EQ(file.Send(nullptr, false), send_status::kNoDestination);
    EXPECT_EQ(file.GetStatus(), send_status::kNoSender);

    TestDestination destination(out.Path());
    EXPECT_EQ(file.Send(&destination, false), send_status::kSaved);
    EXPECT_EQ(file.GetStatus(), send_status::kSaved);
    EXPECT_EQ(file.GetSavedPath().GetPath(), out / L"a.pdf");
    // A second send makes a new sender, which finds the name taken.
    EXPECT_EQ(file.Send(&destination, false), send_status::kSavedUnderNewName);
    EXPECT_EQ(file.GetSavedPath().GetPath(), out / L"a_001.pdf");

    PluginCancelTrigger cancel;
    EXPECT_EQ(cancel.Send(&destination, true), send_status::kCancelled);
    EXPECT_EQ(cancel.GetStatus(), send_status::kCancelled);
    EXPECT_EQ(cancel.GetKind(), target_kind::kCancelTrigger);
}

TEST(PluginTargetList, ReadsByIndexAreSafeWhileAnotherThreadInserts) {
    PluginTargetList list;
    for (int i = 0; i < 4; ++i) list.InsertAt(i, new PluginTargetFile(L"C:\\f" + std::to_wstring(i)));
    std::atomic<bool> done{false};
    std::atomic<int> mismatches{0};
    std::thread reader([&] {
        while (!done.load()) {
            int count = list.GetCount();
            for (int i = 0; i < count; ++i) {
                if (PluginTargetFile* file = list.GetFileAt(i)) {
                    if (file->GetSourcePath().GetPath().rfind(L"C:\\f", 0) != 0) ++mismatches;
                }
            }
        }
    });
    for (int i = 0; i < 5000; ++i) (void)list.InsertCancelTrigger(i % (list.GetCount() + 1));
    done = true;
    reader.join();
    EXPECT_EQ(mismatches.load(), 0);
    EXPECT_EQ(list.GetCount(), 5004);
}
