#include "support/MyPath.h"

#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>
#include <shlobj.h>

using testing_support::ScratchFolder;

TEST(MyFilePath, FolderAndFileName) {
    struct Case {
        const wchar_t* path;
        const wchar_t* folder;
        const wchar_t* name;
    } cases[] = {
        {L"C:\\a\\b.txt", L"C:\\a", L"b.txt"},
        {L"C:\\b.txt", L"C:\\", L"b.txt"},
        {L"scan.pdf", L"", L"scan.pdf"},
        {L"C:\\", L"", L""},
        {L"\\\\server\\share\\x.pdf", L"\\\\server\\share", L"x.pdf"},
    };
    for (const Case& c : cases) {
        MyFilePath path(c.path);
        EXPECT_EQ(path.GetFolder(), c.folder) << c.path;
        EXPECT_EQ(path.GetFileName(), c.name) << c.path;
    }
}

TEST(MyFilePath, NumberSuffixRemoval) {
    struct Case {
        const wchar_t* path;
        const wchar_t* expected;
    } cases[] = {
        {L"C:\\x\\scan_001.pdf", L"C:\\x\\scan.pdf"},
        {L"C:\\x\\scan_12.pdf", L"C:\\x\\scan.pdf"},
        {L"C:\\x\\scan_a1.pdf", L"C:\\x\\scan_a1.pdf"},
        {L"C:\\x\\scan_.pdf", L"C:\\x\\scan_.pdf"},
        {L"C:\\x\\scan.pdf", L"C:\\x\\scan.pdf"},
        {L"C:\\x\\my_scan.pdf", L"C:\\x\\my_scan.pdf"},
        {L"C:\\x_1\\scan.pdf", L"C:\\x_1\\scan.pdf"},
        {L"C:\\x\\scan_7", L"C:\\x\\scan"},
        {L"C:\\x\\a_1.b_2.pdf", L"C:\\x\\a_1.b.pdf"},
    };
    for (const Case& c : cases) EXPECT_EQ(MyFilePath(c.path).RemoveNumberSuffix().GetPath(), c.expected) << c.path;
}

TEST(MyFilePath, AddNumberAndSuffix) {
    struct Case {
        const wchar_t* path;
        int number;
        const wchar_t* expected;
    } cases[] = {
        {L"C:\\a\\scan.pdf", 1, L"C:\\a\\scan_001.pdf"},
        {L"C:\\a\\scan.pdf", 42, L"C:\\a\\scan_042.pdf"},
        {L"C:\\a\\scan.pdf", 1000, L"C:\\a\\scan_1000.pdf"},
        {L"C:\\x\\report", 5, L"C:\\x\\report_005"},
        {L"C:\\x\\a.b.pdf", 5, L"C:\\x\\a.b_005.pdf"},
        {L"C:\\x.y\\report", 5, L"C:\\x.y\\report_005"},
    };
    for (const Case& c : cases) EXPECT_EQ(MyFilePath(c.path).AddNumber(c.number).GetPath(), c.expected) << c.path;
    EXPECT_EQ(MyFilePath(L"C:\\a\\scan.pdf").AddSuffix(L"_x").GetPath(), L"C:\\a\\scan_x.pdf");
}

TEST(MyFolderPath, JoinPutsExactlyOneSeparator) {
    EXPECT_EQ(MyFolderPath(L"C:\\a").Join(L"b.pdf").GetPath(), L"C:\\a\\b.pdf");
    EXPECT_EQ(MyFolderPath(L"C:\\a\\").Join(L"b.pdf").GetPath(), L"C:\\a\\b.pdf");
    EXPECT_EQ(MyFolderPath(L"C:\\a").Join(L"\\b.pdf").GetPath(), L"C:\\a\\b.pdf");
    MyFolderPath folder(L"C:\\a");
    MyFolderPath joined = folder.Join(L"b");
    EXPECT_EQ(folder.GetPath(), L"C:\\a") << "Join must not change the object";
    folder.Append(L"b");
    EXPECT_EQ(folder.GetPath(), joined.GetPath());
}

TEST(MyFolderPath, JoinKeepsLongPathsWhole) {
    std::wstring folder = L"C:\\" + std::wstring(300, L'f');
    std::wstring joined = MyFolderPath(folder).Join(L"scan.pdf").GetPath();
    EXPECT_EQ(joined.size(), folder.size() + 9);
    EXPECT_EQ(joined.substr(joined.size() - 9), L"\\scan.pdf");
}

TEST(MyFolderPath, CreateRecursiveCreatesOnlyWhatIsMissing) {
    ScratchFolder scratch;
    MyFolderPath nested(scratch / L"a\\b\\a");
    EXPECT_EQ(nested.CreateRecursive(), 0u);
    EXPECT_TRUE(nested.Exists()) << "a folder name repeated higher up must still be created";
    EXPECT_EQ(nested.CreateRecursive(), 0u) << "all folders exist: nothing to do";

    MyFolderPath trailing(scratch / L"t\\u\\");
    EXPECT_EQ(trailing.CreateRecursive(), 0u);
    EXPECT_TRUE(MyFolderPath(scratch / L"t\\u").Exists());

    MyFolderPath upAgain(scratch / L"gone\\..\\.\\kept\\\\x");
    EXPECT_EQ(upAgain.CreateRecursive(), 0u);
    EXPECT_TRUE(MyFolderPath(scratch / L"kept\\x").Exists());
    EXPECT_FALSE(MyFolderPath(scratch / L"gone").Exists()) << "a folder that `..` leaves again was created";
}

TEST(MyFolderPath, CreateRecursiveReportsTheFirstFailure) {
    ScratchFolder scratch;
    testing_support::WriteFileBytes(scratch / L"file", "x");
    EXPECT_NE(MyFolderPath(scratch / L"file\\sub").CreateRecursive(), 0u);
    // A drive that does not exist cannot be created.
    EXPECT_NE(MyFolderPath(L"Q:\\nowhere\\x").CreateRecursive(), 0u);
}

TEST(MyFolderPath, LongPathsAreCreatedAndFoundWhole) {
    ScratchFolder scratch;
    std::wstring segment(100, L's');
    MyFolderPath deep(scratch / (segment + L"\\" + segment + L"\\" + segment));
    ASSERT_GT(deep.GetPath().size(), 300u);
    EXPECT_EQ(deep.CreateRecursive(), 0u);
    EXPECT_TRUE(deep.Exists());
    WIN32_FIND_DATAW data{};
    EXPECT_EQ(deep.GetFindData(data), 0u);
    EXPECT_EQ(std::wstring(data.cFileName), segment);
}

TEST(MyFolderPath, FindDataOfMissingFolderIsAnError) {
    ScratchFolder scratch;
    WIN32_FIND_DATAW data{};
    data.dwFileAttributes = 12345;
    EXPECT_EQ(MyFolderPath(scratch / L"missing").GetFindData(data), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(data.dwFileAttributes, 12345u) << "the record is untouched on failure";
    EXPECT_EQ(MyFolderPath(scratch.Path()).GetFindData(data), 0u);
    EXPECT_TRUE(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(MyFolderPath, SpecialFolders) {
    for (int csidl : {CSIDL_APPDATA, CSIDL_PROFILE, CSIDL_PERSONAL}) {
        MyFolderPath folder;
        EXPECT_TRUE(folder.SetSpecialFolder(csidl, false)) << csidl;
        EXPECT_TRUE(folder.Exists()) << csidl;
    }
}

TEST(MyFilePath, ExistsForFilesAndFolders) {
    ScratchFolder scratch;
    testing_support::WriteFileBytes(scratch / L"a.pdf", "x");
    EXPECT_TRUE(MyFilePath(scratch / L"a.pdf").Exists());
    EXPECT_TRUE(MyFilePath(scratch.Path()).Exists());
    EXPECT_FALSE(MyFilePath(scratch / L"b.pdf").Exists());
    EXPECT_FALSE(MyFilePath(L"").Exists());
}

// The file-system form resolves a path before it takes the extended form, so `..`, `.`,
// repeated separators and relative paths mean at every length what they mean in a short path.
TEST(PathText, ForFileSystemResolvesBeforeTheExtendedForm) {
    wchar_t current[MAX_PATH] = {};
    ASSERT_GT(::GetCurrentDirectoryW(MAX_PATH, current), 0u);
    const std::wstring here = path_text::Join(current, L"");
    const std::wstring a(150, L'a');
    const std::wstring b(150, L'b');
    struct Case {
        const char* what;
        std::wstring path;
        std::wstring expected;
    } cases[] = {
        {"short and plain", L"C:\\x\\y.pdf", L"C:\\x\\y.pdf"},
        {"short with dot-dot", L"C:\\x\\z\\..\\y.pdf", L"C:\\x\\y.pdf"},
        {"relative", L"y.pdf", here + L"y.pdf"},
        {"long", L"C:\\" + a + L"\\" + b + L".pdf", L"\\\\?\\C:\\" + a + L"\\" + b + L".pdf"},
        {"long with dot-dot, dot and doubled separators", L"C:\\" + a + L"\\z\\..\\.\\\\" + b + L".pdf",
         L"\\\\?\\C:\\" + a + L"\\" + b + L".pdf"},
        {"long with forward slashes", L"C:/" + a + L"/" + b + L".pdf", L"\\\\?\\C:\\" + a + L"\\" + b + L".pdf"},
        {"long share", L"\\\\server\\share\\" + a + L"\\..\\" + a + L"\\" + b + L".pdf",
         L"\\\\?\\UNC\\server\\share\\" + a + L"\\" + b + L".pdf"},
        {"dot-dot that makes a long path short", L"C:\\" + a + L"\\" + b + L"\\..\\..\\y.pdf", L"C:\\y.pdf"},
        {"already extended: taken as it is", L"\\\\?\\C:\\x\\..\\y.pdf", L"\\\\?\\C:\\x\\..\\y.pdf"},
        {"empty", L"", L""},
    };
    for (const Case& c : cases) EXPECT_EQ(path_text::ForFileSystem(c.path), c.expected) << c.what;
}

// An existing file reached through `..` in a path of 300 characters is found and read.
TEST(PathText, DotDotInALongPathReachesTheFile) {
    ScratchFolder folder;
    std::wstring deep = folder.Path();
    std::wstring ups;
    while (deep.size() < 280) {
        deep += L"\\" + std::wstring(30, L'd');
        ups += L"\\..";
    }
    ASSERT_EQ(MyFolderPath(deep).CreateRecursive(), 0u);
    testing_support::WriteFileBytes(folder / L"a.pdf", "bytes");
    const std::wstring path = deep + ups + L"\\a.pdf";
    ASSERT_GE(path.size(), 300u);
    EXPECT_TRUE(path_text::Exists(path));
    EXPECT_EQ(testing_support::ReadFileBytes(path_text::ForFileSystem(path)), "bytes");
    EXPECT_TRUE(::CopyFileW(path_text::ForFileSystem(path).c_str(), path_text::ForFileSystem(deep + L"\\b.pdf").c_str(), TRUE));
}
