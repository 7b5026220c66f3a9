#include "support/StaleTemporaries.h"

#include "support/MyPath.h"
#include "support/Raii.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <cwchar>

namespace {

FILETIME Shifted(const FILETIME& time, LONGLONG seconds) {
    ULARGE_INTEGER value{};
    value.LowPart = time.dwLowDateTime;
    value.HighPart = time.dwHighDateTime;
    value.QuadPart += seconds * 10000000LL;
    return FILETIME{value.LowPart, value.HighPart};
}

FILETIME StartOf(HANDLE process) {
    FILETIME started{}, exited{}, kernel{}, user{};
    EXPECT_TRUE(::GetProcessTimes(process, &started, &exited, &kernel, &user));
    return started;
}

}  // namespace

// A process id is given again after its process ended: a file counts as its writer's only
// when the process with that id now was already running when the file was created.
TEST(StaleTemporaries, AWriterIsGoneWhenItsIdIsFreeOrWasGivenAgain) {
    wchar_t command[] = L"cmd.exe /c exit 0";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(::CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr,
                                 &startup, &info));
    raii::UniqueHandle ended(info.hProcess);
    raii::UniqueHandle thread(info.hThread);
    ASSERT_EQ(::WaitForSingleObject(ended.Get(), 60000), WAIT_OBJECT_0);

    const FILETIME selfStart = StartOf(::GetCurrentProcess());
    const FILETIME endedStart = StartOf(ended.Get());
    struct Case {
        const char* what;
        DWORD processId;
        FILETIME created;
        bool gone;
    } cases[] = {
        {"this process, a file of its own", ::GetCurrentProcessId(), Shifted(selfStart, 1), false},
        {"this process's id, a file from before it started", ::GetCurrentProcessId(), Shifted(selfStart, -60), true},
        {"a process that ended (its object still referenced)", info.dwProcessId, Shifted(endedStart, 1), true},
        {"an id no process has", 0xFFFFFFF0u, selfStart, true},
    };
    for (const Case& c : cases) EXPECT_EQ(stale_temporaries::IsWriterGone(c.processId, c.created), c.gone) << c.what;
}

TEST(StaleTemporaries, OnlyNamesOfGoneWritersAreRemoved) {
    testing_support::ScratchFolder folder;
    const DWORD self = ::GetCurrentProcessId();
    testing_support::WriteFileBytes(folder / (L"t." + std::to_wstring(self) + L".tmp"), "mine");
    testing_support::WriteFileBytes(folder / L"t.4294967280.tmp", "gone");
    testing_support::WriteFileBytes(folder / L"t.x.tmp", "not a name of ours");
    testing_support::WriteFileBytes(folder / L"other.txt", "not matched");
    auto writerOf = [](const std::wstring& name, DWORD& processId) {
        size_t dot = name.find(L'.', 2);
        if (name.compare(0, 2, L"t.") != 0 || dot == std::wstring::npos) return false;
        std::wstring digits = name.substr(2, dot - 2);
        if (digits.empty() || digits.find_first_not_of(L"0123456789") != std::wstring::npos) return false;
        processId = static_cast<DWORD>(std::wcstoul(digits.c_str(), nullptr, 10));
        return true;
    };
    EXPECT_EQ(stale_temporaries::RemoveStale(folder.Path(), L"t.*.tmp", writerOf), 1);
    EXPECT_TRUE(path_text::Exists(folder / (L"t." + std::to_wstring(self) + L".tmp")));
    EXPECT_FALSE(path_text::Exists(folder / L"t.4294967280.tmp"));
    EXPECT_TRUE(path_text::Exists(folder / L"t.x.tmp"));
    EXPECT_TRUE(path_text::Exists(folder / L"other.txt"));
}
