#include "support/StaleTemporaries.h"

#include "support/MyPath.h"
#include "support/Raii.h"

namespace stale_temporaries {

namespace {

ULONGLONG Ticks(const FILETIME& time) { return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime; }

}  // namespace

bool IsWriterGone(DWORD processId, const FILETIME& fileCreated) {
    if (processId == ::GetCurrentProcessId()) {
        // This process writes its temporaries under its lock and removes them itself; one
        // older than this process was left by an earlier process that had the same id.
        FILETIME started{}, exited{}, kernel{}, user{};
        if (!::GetProcessTimes(::GetCurrentProcess(), &started, &exited, &kernel, &user)) return false;
        return Ticks(started) > Ticks(fileCreated);
    }
    raii::UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, processId));
    if (!process) return ::GetLastError() == ERROR_INVALID_PARAMETER;  // no process has that id
    if (::WaitForSingleObject(process.Get(), 0) == WAIT_OBJECT_0) return true;  // ended, still referenced
    FILETIME started{}, exited{}, kernel{}, user{};
    if (!::GetProcessTimes(process.Get(), &started, &exited, &kernel, &user)) return false;
    return Ticks(started) > Ticks(fileCreated);
}

int RemoveStale(const std::wstring& folder, const std::wstring& pattern, const WriterOfName& writerOf) {
    WIN32_FIND_DATAW found{};
    raii::UniqueFind find(::FindFirstFileW(path_text::ForFileSystem(path_text::Join(folder, pattern)).c_str(), &found));
    if (!find) return 0;
    int removed = 0;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        DWORD processId = 0;
        if (!writerOf(found.cFileName, processId)) continue;
        if (!IsWriterGone(processId, found.ftCreationTime)) continue;
        std::wstring path = path_text::ForFileSystem(path_text::Join(folder, found.cFileName));
        if (found.dwFileAttributes & FILE_ATTRIBUTE_READONLY) {
            ::SetFileAttributesW(path.c_str(), found.dwFileAttributes & ~FILE_ATTRIBUTE_READONLY);
        }
        if (::DeleteFileW(path.c_str())) ++removed;
    } while (::FindNextFileW(find.Get(), &found));
    return removed;
}

}  // namespace stale_temporaries
