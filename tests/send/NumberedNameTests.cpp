// The numbered names of colliding files: the first free number found with one read of the
// folder, names that must be shortened to fit the file system, and a name lost to another
// writer between the search and the claim.
#include "send/NumberedName.h"
#include "send/PluginSender.h"
#include "send/SendStatus.h"
#include "tests/common/ImportHook.h"
#include "tests/send/SendTestSupport.h"

#include <gtest/gtest.h>

using send_tests::ListNames;
using send_tests::Narrow;
using send_tests::ReadLongPathFile;
using send_tests::SendInto;
using send_tests::SendOutcome;
using send_tests::WriteLongPathFile;
using testing_support::ImportHook;
using testing_support::ReadFileBytes;
using testing_support::ScratchFolder;
using testing_support::WriteFileBytes;
using Names = std::vector<std::wstring>;

TEST(NumberedName, NameForShortensOnlyTheStemAndOnlyWhenItMust) {
    const std::wstring pair = L"\xD83D\xDE00";  // one character in two UTF-16 units
    struct Case {
        const char* what;
        std::wstring stem;
        std::wstring extension;
        int number;
        std::wstring expected;
    } cases[] = {
        {"short", L"scan", L".pdf", 1, L"scan_001.pdf"},
        {"four digits", L"scan", L".pdf", 1000, L"scan_1000.pdf"},
        {"no extension", L"report", L"", 2, L"report_002"},
        {"exactly fits", std::wstring(247, L'a'), L".pdf", 1, std::wstring(247, L'a') + L"_001.pdf"},
        {"253-character name", std::wstring(249, L'a'), L".pdf", 1, std::wstring(247, L'a') + L"_001.pdf"},
        {"253-character name, four digits", std::wstring(249, L'a'), L".pdf", 1000,
         std::wstring(246, L'a') + L"_1000.pdf"},
        {"cut before a surrogate pair", std::wstring(246, L'a') + pair + L"bb", L".pdf", 1,
         std::wstring(246, L'a') + L"_001.pdf"},
        {"no stem", L"", L".pdf", 1, L"_001.pdf"},
        {"extension leaves one character", L"abc", L"." + std::wstring(249, L'x'), 1,
         L"a_001." + std::wstring(249, L'x')},
        {"extension too long", L"abc", L"." + std::wstring(250, L'x'), 1, L""},
    };
    for (const Case& c : cases) {
        std::wstring name = numbered_name::NameFor(c.stem, c.extension, c.number);
        EXPECT_EQ(name, c.expected) << c.what;
        EXPECT_LE(name.size(), numbered_name::kMaxNameLength) << c.what;
    }
}

TEST(NumberedName, FindFreeReadsTakenNamesWhateverTheirCaseOrKind) {
    ScratchFolder out;
    WriteFileBytes(out / L"scan.pdf", "x");
    WriteFileBytes(out / L"SCAN_001.PDF", "x");
    ASSERT_TRUE(::CreateDirectoryW((out / L"scan_002.pdf").c_str(), nullptr));
    WriteFileBytes(out / L"scan_004.pdf", "x");
    WriteFileBytes(out / L"scan_03.pdf", "x");  // not the form of number 3
    struct Case {
        const wchar_t* collided;
        int firstNumber;
        const wchar_t* expected;
        int number;
    } cases[] = {
        {L"scan.pdf", 1, L"scan_003.pdf", 3},
        {L"scan_004.pdf", 1, L"scan_003.pdf", 3},
        {L"scan.pdf", 4, L"scan_005.pdf", 5},
        {L"other.pdf", 1, L"other_001.pdf", 1},
    };
    for (const Case& c : cases) {
        MyFilePath found(L"");
        int number = 0;
        EXPECT_EQ(numbered_name::FindFree(MyFilePath(out / c.collided), c.firstNumber, found, number), 0u);
        EXPECT_EQ(found.GetPath(), out / c.expected) << Narrow(c.collided);
        EXPECT_EQ(number, c.number) << Narrow(c.collided);
    }
}

TEST(NumberedName, ATakenNameOf253CharactersIsSavedUnderAShortenedNumberedName) {
    ScratchFolder in;
    ScratchFolder out;
    std::wstring name = std::wstring(249, L'q') + L".pdf";
    ASSERT_EQ(name.size(), 253u);
    WriteLongPathFile(path_text::Join(out.Path(), name), "old");
    WriteLongPathFile(path_text::Join(in.Path(), name), "new");
    std::wstring source = path_text::Join(in.Path(), name);

    SendOutcome first = SendInto(out.Path(), source, false);
    std::wstring expected = path_text::Join(out.Path(), std::wstring(247, L'q') + L"_001.pdf");
    EXPECT_EQ(first.status, send_status::kSavedUnderNewName);
    EXPECT_EQ(first.savedAs, expected) << "the name as saved, for the rename warning";
    EXPECT_EQ(ReadLongPathFile(expected), "new");
    EXPECT_EQ(ReadLongPathFile(path_text::Join(out.Path(), name)), "old");

    SendOutcome second = SendInto(out.Path(), source, true);
    EXPECT_EQ(second.status, send_status::kSavedUnderNewName);
    EXPECT_EQ(second.savedAs, path_text::Join(out.Path(), std::wstring(247, L'q') + L"_002.pdf"));
    EXPECT_EQ(ListNames(out.Path()).size(), 3u);
    EXPECT_TRUE(ListNames(in.Path()).empty());
}

TEST(NumberedName, ANameThatCannotBeNumberedWithinTheLimitIsAClearFailure) {
    ScratchFolder in;
    ScratchFolder out;
    // The extension alone leaves no room for "_001".
    std::wstring name = L"a." + std::wstring(251, L'x');
    WriteLongPathFile(path_text::Join(out.Path(), name), "old");
    WriteLongPathFile(path_text::Join(in.Path(), name), "new");
    SendOutcome outcome = SendInto(out.Path(), path_text::Join(in.Path(), name), true);
    EXPECT_EQ(outcome.status, ERROR_FILENAME_EXCED_RANGE);
    EXPECT_EQ(ListNames(out.Path()), Names{name}) << "no temporary file may stay";
    EXPECT_EQ(ReadLongPathFile(path_text::Join(out.Path(), name)), "old");
    EXPECT_EQ(ListNames(in.Path()), Names{name}) << "the source stays";
}

namespace {

// Another writer that takes the name a claim is about to get: before the first rename to a
// numbered name, a file of that name is created.
void* g_moveOriginal = nullptr;
std::wstring g_stolenName;
int g_renamesSeen = 0;

BOOL WINAPI MoveAfterAnotherWriter(const wchar_t* from, const wchar_t* to, DWORD flags) {
    ++g_renamesSeen;
    std::wstring target = to;
    if (g_stolenName.empty() && target.find(L"_00") != std::wstring::npos) {
        g_stolenName = target;
        WriteFileBytes(target, "the other writer's");
    }
    return reinterpret_cast<decltype(&::MoveFileExW)>(g_moveOriginal)(from, to, flags);
}

}  // namespace

TEST(NumberedName, ANameLostToAnotherWriterMovesOnToTheNextNumberWithoutCopyingAgain) {
    ImportHook move("kernel32.dll", "MoveFileExW", reinterpret_cast<void*>(&MoveAfterAnotherWriter));
    ASSERT_TRUE(move.IsActive());
    g_moveOriginal = move.Original();
    g_stolenName.clear();
    g_renamesSeen = 0;
    ScratchFolder in;
    ScratchFolder out;
    WriteFileBytes(out / L"scan.pdf", "old");
    WriteFileBytes(in / L"scan.pdf", "new");
    SendOutcome outcome = SendInto(out.Path(), in / L"scan.pdf", true);
    EXPECT_EQ(g_stolenName, out / L"scan_001.pdf");
    EXPECT_EQ(outcome.status, send_status::kSavedUnderNewName);
    EXPECT_EQ(outcome.savedAs, out / L"scan_002.pdf");
    EXPECT_EQ(g_renamesSeen, 3) << "scan.pdf, the lost scan_001.pdf, scan_002.pdf";
    EXPECT_EQ(ReadFileBytes(out / L"scan_001.pdf"), "the other writer's");
    EXPECT_EQ(ReadFileBytes(out / L"scan_002.pdf"), "new");
    EXPECT_EQ(ReadFileBytes(out / L"scan.pdf"), "old");
    EXPECT_EQ(ListNames(out.Path()), (Names{L"scan.pdf", L"scan_001.pdf", L"scan_002.pdf"}));
}
