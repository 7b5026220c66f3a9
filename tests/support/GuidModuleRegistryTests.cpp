#include "support/MyGuid.h"
#include "support/MyModule.h"
#include "support/MyRegistoryEntry.h"

#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

using testing_support::ScratchKey;

TEST(MyGuid, TextFormIsUpperCaseWithOptionalBraces) {
    EXPECT_EQ(MyGuid().ToString(1), L"{00000000-0000-0000-0000-000000000000}");
    EXPECT_EQ(MyGuid().ToString(0), L"00000000-0000-0000-0000-000000000000");
    GUID value = {0x0a1b2c3d, 0xe4f5, 0x0607, {0x89, 0xab, 0xcd, 0xef, 0x01, 0x23, 0x45, 0x6f}};
    EXPECT_EQ(MyGuid(value).ToString(1), L"{0A1B2C3D-E4F5-0607-89AB-CDEF0123456F}");
    EXPECT_EQ(MyGuid(value).ToString(2), L"0A1B2C3D-E4F5-0607-89AB-CDEF0123456F") << "only 1 means braces";
}

TEST(MyGuid, CreateMakesDistinctValues) {
    MyGuid first;
    MyGuid second;
    ASSERT_EQ(first.Create(), S_OK);
    ASSERT_EQ(second.Create(), S_OK);
    EXPECT_NE(first.ToString(0), second.ToString(0));
    EXPECT_NE(first.ToString(0), MyGuid().ToString(0));
}

TEST(MyModule, PluginVersionReadsBackFromItsResource) {
    std::wstring dll = testing_support::BinFolder() + L"\\PluginForBrellix.dll";
    raii::UniqueModule loaded(::LoadLibraryW(dll.c_str()));
    ASSERT_TRUE(loaded) << ::GetLastError();
    MyModule module(L"PluginForBrellix.dll");
    EXPECT_EQ(module.GetHandle(), loaded.Get());
    EXPECT_EQ(module.GetFileName(), dll);
    EXPECT_EQ(module.GetVersion(), L"1.0.0.1") << "the version block holds the dotted form";
}

TEST(MyModule, MissingModuleOrVersionGivesEmptyText) {
    MyModule missing(L"NoSuchModule.dll");
    EXPECT_EQ(missing.GetHandle(), nullptr);
    EXPECT_EQ(missing.GetFileName(), L"");
    EXPECT_EQ(missing.GetVersion(), L"");
    // The stand-in log library carries no version resource at all.
    std::wstring dll = testing_support::StandinFolder() + L"\\orvinfolog.dll";
    raii::UniqueModule loaded(::LoadLibraryW(dll.c_str()));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(MyModule(L"orvinfolog.dll").GetVersion(), L"");
}

TEST(MyRegistoryEntry, ReadsStringsAndReportsEachFailingStep) {
    ScratchKey scratch;
    scratch.SetString(L"Path", L"C:\\Sync");
    scratch.SetString(L"Expandable", L"%TEMP%\\x", REG_EXPAND_SZ);
    scratch.SetString(nullptr, L"default");
    scratch.SetDword(L"Number", 7);

    MyRegistoryEntry entry;
    std::wstring text = L"untouched";
    EXPECT_EQ(entry.ReadString(text, scratch.Root(), L"Path", scratch.SubKey().c_str()), ERROR_SUCCESS);
    EXPECT_EQ(text, L"C:\\Sync");
    EXPECT_EQ(entry.ReadString(text, scratch.Root(), L"Expandable", scratch.SubKey().c_str()), ERROR_SUCCESS);
    EXPECT_EQ(text, L"%TEMP%\\x") << "returned unexpanded";
    EXPECT_EQ(entry.ReadString(text, scratch.Root(), nullptr, scratch.SubKey().c_str()), ERROR_SUCCESS);
    EXPECT_EQ(text, L"default");

    text = L"untouched";
    EXPECT_EQ(entry.ReadString(text, scratch.Root(), L"Missing", scratch.SubKey().c_str()), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(entry.ReadString(text, scratch.Root(), L"Path", (scratch.SubKey() + L"\\NoKey").c_str()),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(text, L"untouched");
}

TEST(MyRegistoryEntry, ReadsValueOfAnOpenRootWithoutSubKey) {
    ScratchKey scratch;
    scratch.SetString(L"Name", L"value");
    raii::UniqueKey key;
    ASSERT_EQ(::RegOpenKeyExW(scratch.Root(), scratch.SubKey().c_str(), 0, KEY_READ, key.Put()), ERROR_SUCCESS);
    MyRegistoryEntry entry;
    std::wstring text;
    EXPECT_EQ(entry.ReadString(text, key.Get(), L"Name", nullptr), ERROR_SUCCESS);
    EXPECT_EQ(text, L"value");
}

TEST(ReadLocalMachineString, ResultsForEachKindOfValue) {
    ScratchKey scratch(HKEY_LOCAL_MACHINE);
    scratch.SetString(L"Text", L"C:\\Program Files");
    scratch.SetString(L"Expandable", L"%ProgramFiles%", REG_EXPAND_SZ);
    scratch.SetString(L"Long", std::wstring(200, L'x'));

    wchar_t buffer[130];
    DWORD size = sizeof buffer;
    EXPECT_EQ(ReadLocalMachineString(scratch.SubKey().c_str(), L"Text", buffer, &size), ERROR_SUCCESS);
    EXPECT_STREQ(buffer, L"C:\\Program Files");

    size = sizeof buffer;
    EXPECT_EQ(ReadLocalMachineString(scratch.SubKey().c_str(), L"Expandable", buffer, &size), -1);
    size = sizeof buffer;
    EXPECT_EQ(ReadLocalMachineString(scratch.SubKey().c_str(), L"Long", buffer, &size), ERROR_MORE_DATA);
    size = sizeof buffer;
    EXPECT_EQ(ReadLocalMachineString(scratch.SubKey().c_str(), L"Missing", buffer, &size), ERROR_FILE_NOT_FOUND);

    // A missing key is reported as a missing path and left behind, empty.
    std::wstring missing = scratch.SubKey() + L"\\Created";
    size = sizeof buffer;
    EXPECT_EQ(ReadLocalMachineString(missing.c_str(), L"Text", buffer, &size), ERROR_PATH_NOT_FOUND);
    raii::UniqueKey created;
    EXPECT_EQ(::RegOpenKeyExW(HKEY_LOCAL_MACHINE, missing.c_str(), 0, KEY_READ, created.Put()), ERROR_SUCCESS);
}

TEST(ReadLocalMachineString, ValueWithoutTerminatorIsNeverReadPastItsEnd) {
    ScratchKey scratch(HKEY_LOCAL_MACHINE);
    // Exactly eight characters, stored without a NUL.
    const wchar_t raw[] = L"ABCDEFGH";
    ASSERT_EQ(::RegSetKeyValueW(HKEY_LOCAL_MACHINE, scratch.SubKey().c_str(), L"Raw", REG_SZ, raw, 8 * sizeof(wchar_t)),
              ERROR_SUCCESS);
    wchar_t buffer[9];
    DWORD size = 8 * sizeof(wchar_t);  // room for the text but not for a terminator
    EXPECT_EQ(ReadLocalMachineString(scratch.SubKey().c_str(), L"Raw", buffer, &size), ERROR_MORE_DATA);
    size = sizeof buffer;
    EXPECT_EQ(ReadLocalMachineString(scratch.SubKey().c_str(), L"Raw", buffer, &size), ERROR_SUCCESS);
    EXPECT_STREQ(buffer, L"ABCDEFGH");
}
