#include "send/PluginErrorReaction.h"
#include "send/PluginSender.h"
#include "send/SendStatus.h"
#include "tests/send/SendTestSupport.h"

#include <gtest/gtest.h>

using send_tests::ListNames;
using send_tests::ReadLongPathFile;
using send_tests::SendInto;
using send_tests::SendOutcome;
using send_tests::WriteLongPathFile;
using testing_support::ReadFileBytes;
using testing_support::ScratchFolder;
using testing_support::WriteFileBytes;
using Names = std::vector<std::wstring>;

namespace {

class SenderTest : public ::testing::Test {
protected:
    std::wstring In(const std::wstring& name) const { return m_in / name; }
    std::wstring Out(const std::wstring& name) const { return m_out / name; }
    ScratchFolder m_in;
    ScratchFolder m_out;
};

}  // namespace

TEST_F(SenderTest, CopiesIntoAnEmptyFolderAndKeepsTheSource) {
    WriteFileBytes(In(L"a.pdf"), "scan a");
    SendOutcome outcome = SendInto(m_out.Path(), In(L"a.pdf"), false);
    EXPECT_EQ(outcome.status, send_status::kSaved);
    EXPECT_EQ(outcome.savedAs, Out(L"a.pdf"));
    EXPECT_EQ(ReadFileBytes(Out(L"a.pdf")), "scan a");
    EXPECT_EQ(ListNames(m_out.Path()), Names{L"a.pdf"}) << "no temporary file may stay behind";
    EXPECT_EQ(ListNames(m_in.Path()), Names{L"a.pdf"});
}

TEST_F(SenderTest, DeleteFlagMovesTheFileAfterTheCopy) {
    WriteFileBytes(In(L"a.pdf"), "scan a");
    SendOutcome outcome = SendInto(m_out.Path(), In(L"a.pdf"), true);
    EXPECT_EQ(outcome.status, send_status::kSaved);
    EXPECT_EQ(ReadFileBytes(Out(L"a.pdf")), "scan a");
    EXPECT_TRUE(ListNames(m_in.Path()).empty());
}

TEST_F(SenderTest, CollisionsTakeTheNextFreeNumber) {
    struct Case {
        Names existing;
        const wchar_t* source;
        const wchar_t* savedAs;
    } cases[] = {
        {{L"a.pdf"}, L"a.pdf", L"a_001.pdf"},
        {{L"a.pdf", L"a_001.pdf"}, L"a.pdf", L"a_002.pdf"},
        {{L"a.pdf", L"a_002.pdf"}, L"a.pdf", L"a_001.pdf"},
        {{L"scan.pdf", L"scan_001.pdf"}, L"scan_001.pdf", L"scan_002.pdf"},
        {{L"report"}, L"report", L"report_001"},
        {{L"a.b.pdf"}, L"a.b.pdf", L"a.b_001.pdf"},
    };
    for (const Case& c : cases) {
        ScratchFolder in;
        ScratchFolder out;
        for (const std::wstring& name : c.existing) WriteFileBytes(out / name, "old");
        WriteFileBytes(in / c.source, "new");
        SendOutcome outcome = SendInto(out.Path(), in / c.source, true);
        SCOPED_TRACE(send_tests::Narrow(c.source));
        EXPECT_EQ(outcome.status, send_status::kSavedUnderNewName);
        EXPECT_EQ(outcome.savedAs, out / c.savedAs);
        EXPECT_EQ(ReadFileBytes(out / c.savedAs), "new");
        for (const std::wstring& name : c.existing) EXPECT_EQ(ReadFileBytes(out / name), "old");
        Names expected = c.existing;
        expected.push_back(c.savedAs);
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(ListNames(out.Path()), expected);
        EXPECT_TRUE(ListNames(in.Path()).empty()) << "a renamed copy is a saved copy: the source goes";
    }
}

TEST_F(SenderTest, AReadOnlyFileOfTheSameNameIsLeftAloneAndTheCopyRenamed) {
    WriteFileBytes(Out(L"a.pdf"), "old");
    ASSERT_TRUE(::SetFileAttributesW(Out(L"a.pdf").c_str(), FILE_ATTRIBUTE_READONLY));
    WriteFileBytes(In(L"a.pdf"), "new");
    SendOutcome outcome = SendInto(m_out.Path(), In(L"a.pdf"), false);
    EXPECT_EQ(outcome.status, send_status::kSavedUnderNewName);
    EXPECT_EQ(ReadFileBytes(Out(L"a.pdf")), "old");
    EXPECT_EQ(ReadFileBytes(Out(L"a_001.pdf")), "new");
}

TEST_F(SenderTest, FailuresKeepTheSourceAndLeaveNothingBehind) {
    struct Case {
        const char* what;
        bool createSource;
        std::wstring folder;
        int status;
    } cases[] = {
        {"missing source", false, m_out.Path(), ERROR_FILE_NOT_FOUND},
        {"missing folder", true, m_out / L"not here", ERROR_PATH_NOT_FOUND},
        {"no folder at all", true, L"", ERROR_PATH_NOT_FOUND},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.createSource) WriteFileBytes(In(L"a.pdf"), "scan a");
        SendOutcome outcome = SendInto(c.folder, In(L"a.pdf"), true);
        EXPECT_EQ(outcome.status, c.status);
        EXPECT_EQ(outcome.savedAs, path_text::Join(c.folder, L"a.pdf"));
        EXPECT_TRUE(ListNames(m_out.Path()).empty());
        EXPECT_EQ(ListNames(m_in.Path()).size(), c.createSource ? 1u : 0u) << "nothing may be deleted";
    }
}

TEST_F(SenderTest, AMissingSourceBesideAnExistingNameDeletesNothing) {
    WriteFileBytes(Out(L"a.pdf"), "old");
    SendOutcome outcome = SendInto(m_out.Path(), In(L"a.pdf"), true);
    EXPECT_EQ(outcome.status, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(outcome.savedAs, Out(L"a.pdf"));
    EXPECT_EQ(ListNames(m_out.Path()), Names{L"a.pdf"});
    EXPECT_EQ(ReadFileBytes(Out(L"a.pdf")), "old");
}

TEST_F(SenderTest, AFolderThatRefusesWritingGivesTheSystemsCode) {
    // Under Wine the host's sysfs refuses new files even to an administrator; on Windows a
    // folder that refuses writing needs an access-control list, which this test does not build.
    if (!::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version")) GTEST_SKIP();
    WriteFileBytes(In(L"a.pdf"), "scan a");
    SendOutcome outcome = SendInto(L"Z:\\sys", In(L"a.pdf"), true);
    EXPECT_EQ(outcome.status, ERROR_ACCESS_DENIED);
    EXPECT_EQ(outcome.savedAs, L"Z:\\sys\\a.pdf");
    EXPECT_EQ(ListNames(m_in.Path()), Names{L"a.pdf"});
}

TEST_F(SenderTest, ACopyThatFailsPartWayLeavesNoFileUnderTheName) {
    // The source's last part is locked by another handle, so the copy fails after it began.
    std::string bytes(3 * 1024 * 1024, 'x');
    WriteFileBytes(In(L"big.pdf"), bytes);
    raii::UniqueFile holder(::CreateFileW(In(L"big.pdf").c_str(), GENERIC_READ | GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder);
    ASSERT_TRUE(::LockFile(holder.Get(), 2 * 1024 * 1024, 0, 1024 * 1024, 0));
    SendOutcome outcome = SendInto(m_out.Path(), In(L"big.pdf"), true);
    ::UnlockFile(holder.Get(), 2 * 1024 * 1024, 0, 1024 * 1024, 0);
    if (outcome.status == send_status::kSaved) GTEST_SKIP() << "byte-range locks do not stop reads here";
    EXPECT_NE(outcome.status, send_status::kSavedUnderNewName);
    EXPECT_TRUE(ListNames(m_out.Path()).empty()) << "neither the name nor a temporary file may stay";
    EXPECT_EQ(ListNames(m_in.Path()), Names{L"big.pdf"});
    holder.Reset();

    // Sent again once the cause is gone, the file lands under its own name, not as big_001.
    outcome = SendInto(m_out.Path(), In(L"big.pdf"), false);
    EXPECT_EQ(outcome.status, send_status::kSaved);
    EXPECT_EQ(ReadFileBytes(Out(L"big.pdf")), bytes);
}

TEST_F(SenderTest, LongPathsAreCopiedAndNumberedExactly) {
    std::wstring folder = m_out.Path();
    for (int i = 0; i < 3; ++i) folder = path_text::Join(folder, std::wstring(100, static_cast<wchar_t>(L'k' + i)));
    ASSERT_EQ(MyFolderPath(folder).CreateRecursive(), 0u);
    std::wstring name = std::wstring(200, L'n') + L".pdf";
    std::wstring source = path_text::Join(folder, name);
    ASSERT_GT(source.size(), 260u);
    WriteLongPathFile(source, "long");

    // Sending the file into its own folder collides with itself.
    SendOutcome outcome = SendInto(folder, source, false);
    std::wstring expected = path_text::Join(folder, std::wstring(200, L'n') + L"_001.pdf");
    EXPECT_EQ(outcome.status, send_status::kSavedUnderNewName);
    EXPECT_EQ(outcome.savedAs, expected);
    EXPECT_EQ(ReadLongPathFile(expected), "long");

    outcome = SendInto(folder, source, false);
    EXPECT_EQ(outcome.savedAs, path_text::Join(folder, std::wstring(200, L'n') + L"_002.pdf"));

    ScratchFolder plain;
    outcome = SendInto(plain.Path(), source, false);
    EXPECT_EQ(outcome.status, send_status::kSaved);
    EXPECT_EQ(outcome.savedAs, plain / name);
    EXPECT_EQ(ReadFileBytes(plain / name), "long");
    EXPECT_EQ(ListNames(folder).size(), 3u);
}

TEST_F(SenderTest, NumberedNamesAroundTheClassicPathLimit) {
    // Destination paths just below, at and beyond 260 characters, each colliding once, so the
    // numbered candidate is four characters longer than the name it replaces.
    for (size_t length : {240u, 247u, 248u, 255u, 256u, 259u, 260u, 261u, 270u}) {
        ScratchFolder root;
        std::wstring folder = path_text::Join(root.Path(), std::wstring(100, L'd'));
        ASSERT_EQ(MyFolderPath(folder).CreateRecursive(), 0u);
        size_t nameLength = length - folder.size() - 1;
        std::wstring name = std::wstring(nameLength - 4, L'm') + L".pdf";
        std::wstring target = path_text::Join(folder, name);
        ASSERT_EQ(target.size(), length);
        WriteLongPathFile(target, "old");
        WriteFileBytes(m_in / name, "new");

        SendOutcome outcome = SendInto(folder, m_in / name, false);
        std::wstring expected = path_text::Join(folder, std::wstring(nameLength - 4, L'm') + L"_001.pdf");
        EXPECT_EQ(outcome.status, send_status::kSavedUnderNewName) << length;
        EXPECT_EQ(outcome.savedAs, expected) << length;
        EXPECT_EQ(ReadLongPathFile(expected), "new") << length;
        EXPECT_EQ(ReadLongPathFile(target), "old") << length;
        EXPECT_EQ(ListNames(folder).size(), 2u) << length;
        ::DeleteFileW((m_in / name).c_str());
    }
}

TEST_F(SenderTest, ANameTooLongForTheFileSystemIsAFailureNotACutName) {
    // The bytes are written to the temporary file first; placing it under the name then fails,
    // and nothing may stay behind: neither a cut name nor the temporary file.
    std::wstring name = std::wstring(300, L'z') + L".pdf";
    WriteFileBytes(In(L"short.pdf"), "data");
    DWORD error = file_copy::CopyWithoutReplacing(In(L"short.pdf"), path_text::Join(m_out.Path(), name));
    EXPECT_NE(error, 0u);
    EXPECT_NE(error, static_cast<DWORD>(ERROR_FILE_EXISTS));
    EXPECT_TRUE(ListNames(m_out.Path()).empty());
    SendOutcome outcome = SendInto(m_out.Path(), path_text::Join(m_in.Path(), name), false);
    EXPECT_NE(outcome.status, send_status::kSaved);
    EXPECT_NE(outcome.status, send_status::kSavedUnderNewName);
    EXPECT_TRUE(ListNames(m_out.Path()).empty());
}

TEST(PluginRenamer, NothingAtTheDestinationAnymoreStopsAndKeepsTheSource) {
    ScratchFolder out;
    struct Case {
        bool withPath;
        std::wstring path;
    } cases[] = {{false, L""}, {true, L""}, {true, out / L"gone.pdf"}};
    for (const Case& c : cases) {
        PluginRenamer renamer;
        MyFilePath destination(c.path);
        bool deleteSource = true;
        int retryRequest = 0;
        int status = renamer.Deal(nullptr, c.withPath ? &destination : nullptr, deleteSource, retryRequest);
        EXPECT_EQ(status, send_status::kNoSender);
        EXPECT_EQ(retryRequest, retry_request::kStop);
        EXPECT_FALSE(deleteSource);
        EXPECT_EQ(renamer.GetErrorCode(), 80);
    }
}

TEST(PluginNotifier, AnswersItsCodeStopsAndKeepsTheSource) {
    PluginNotifier notifier(112);
    MyFilePath source(L"C:\\in\\a.pdf");
    MyFilePath destination(L"C:\\out\\a.pdf");
    bool deleteSource = true;
    int retryRequest = 0;
    EXPECT_EQ(notifier.Deal(&source, &destination, deleteSource, retryRequest), 112);
    EXPECT_EQ(retryRequest, retry_request::kStop);
    EXPECT_FALSE(deleteSource);
    EXPECT_EQ(destination.GetPath(), L"C:\\out\\a.pdf");

    deleteSource = true;
    EXPECT_EQ(notifier.Deal(nullptr, &destination, deleteSource, retryRequest), send_status::kNoSender);
    EXPECT_EQ(notifier.GetErrorCode(), 112);
}
