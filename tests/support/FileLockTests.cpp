#include "support/FileLock.h"

#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <thread>

TEST(FileLock, EverySpellingOfAPathMeetsTheSameLock) {
    const std::wstring name = FileLock::NameFor(L"C:\\Users\\u\\Settings\\PluginForBrellix.xml");
    const wchar_t* same[] = {L"c:\\users\\U\\settings\\pluginforbrellix.XML", L"C:/Users/u/Settings/PluginForBrellix.xml",
                             L"C:\\Users\\u\\x\\..\\Settings\\.\\PluginForBrellix.xml",
                             L"\\\\?\\C:\\Users\\u\\Settings\\PluginForBrellix.xml"};
    for (const wchar_t* path : same) EXPECT_EQ(FileLock::NameFor(path), name) << path;
    EXPECT_NE(FileLock::NameFor(L"C:\\Users\\u\\Settings\\Other.xml"), name);
    EXPECT_EQ(name.rfind(L"Local\\", 0), 0u);
    EXPECT_EQ(name.find(L'\\', 6), std::wstring::npos);
    // A path longer than a kernel object name may be still gives a short name.
    EXPECT_LT(FileLock::NameFor(L"C:\\" + std::wstring(2000, L'x')).size(), 64u);
}

TEST(FileLock, OneHolderAtATimeAndAHolderMayTakeItAgain) {
    const std::wstring path = L"C:\\lock test " + std::to_wstring(::GetCurrentProcessId()) + L".xml";
    FileLock mine;
    ASSERT_EQ(mine.Acquire(path, 0), 0u);
    FileLock again;
    EXPECT_EQ(again.Acquire(path, 0), 0u);  // the same thread
    again.Release();
    DWORD other = 0;
    std::thread([&] {
        FileLock theirs;
        other = theirs.Acquire(path, 50);
    }).join();
    EXPECT_EQ(other, static_cast<DWORD>(ERROR_TIMEOUT));
    mine.Release();
    EXPECT_FALSE(mine.IsHeld());
    std::thread([&] {
        FileLock theirs;
        other = theirs.Acquire(path, 0);
    }).join();
    EXPECT_EQ(other, 0u);
}

// A holder that ended without releasing (a killed process) does not keep the lock.
TEST(FileLock, AnAbandonedLockIsTakenOver) {
    const std::wstring path = L"C:\\abandoned " + std::to_wstring(::GetCurrentProcessId()) + L".xml";
    raii::UniqueHandle mutex;
    std::thread([&] {
        mutex.Reset(::CreateMutexW(nullptr, FALSE, FileLock::NameFor(path).c_str()));
        ::WaitForSingleObject(mutex.Get(), 0);
        // The thread ends owning the mutex: its owner is gone, the object stays.
    }).join();
    ASSERT_TRUE(mutex);
    FileLock lock;
    EXPECT_EQ(lock.Acquire(path, 1000), 0u);
}
