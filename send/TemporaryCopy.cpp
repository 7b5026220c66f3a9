#include "send/TemporaryCopy.h"

#include "support/MyPath.h"
#include "support/Raii.h"

#include <atomic>
#include <cstdio>
#include <cwchar>

namespace file_copy {

namespace {

constexpr DWORD kTemporaryMarks = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY;

ULONGLONG ToNumber(const FILETIME& time) {
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// When a process started, as GetProcessTimes gives it; 0 when it cannot be asked.
ULONGLONG StartTimeOf(HANDLE process) {
    FILETIME created, exited, kernel, user;
    if (!::GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
    return ToNumber(created);
}

ULONGLONG OwnStartTime() {
    static const ULONGLONG start = StartTimeOf(::GetCurrentProcess());
    return start;
}

void RemoveFile(const std::wstring& path) {
    std::wstring fileSystemPath = path_text::ForFileSystem(path);
    ::SetFileAttributesW(fileSystemPath.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(fileSystemPath.c_str());
}

// The owner written into a temporary file's name. An older form without the start time,
// ~plg<pid>_<n>.tmp, gives hasStart false.
struct Owner {
    DWORD processId = 0;
    ULONGLONG startTime = 0;
    bool hasStart = false;
};

bool IsExtension(const wchar_t* text) {
    return ::CompareStringOrdinal(text, -1, kTemporaryExtension, -1, TRUE) == CSTR_EQUAL;
}

bool ParseOwner(const std::wstring& name, Owner& owner) {
    unsigned long processId = 0;
    unsigned long long startTime = 0;
    unsigned counter = 0;
    wchar_t tail[8] = {};
    if (std::swscanf(name.c_str(), L"~plg%lx_%llx_%x%7ls", &processId, &startTime, &counter, tail) == 4 &&
        IsExtension(tail)) {
        owner = {static_cast<DWORD>(processId), startTime, true};
        return true;
    }
    if (std::swscanf(name.c_str(), L"~plg%lx_%x%7ls", &processId, &counter, tail) == 3 &&
        IsExtension(tail)) {
        owner = {static_cast<DWORD>(processId), 0, false};
        return true;
    }
    return false;
}

// Whether the process that wrote a temporary file has ended. A process that cannot be asked
// (another user's) counts as alive: its file is not ours to remove.
bool HasEnded(const Owner& owner) {
    if (owner.processId == ::GetCurrentProcessId()) return owner.hasStart && owner.startTime != OwnStartTime();
    raii::UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, owner.processId));
    if (!process) return ::GetLastError() == ERROR_INVALID_PARAMETER;
    DWORD exitCode = 0;
    if (::GetExitCodeProcess(process.Get(), &exitCode) && exitCode != STILL_ACTIVE) return true;
    // The number may have been given to a new process since the file's one ended.
    return owner.hasStart && StartTimeOf(process.Get()) != owner.startTime;
}

}  // namespace

std::wstring TemporaryName() {
    static std::atomic<unsigned> counter{0};
    wchar_t name[64];
    std::swprintf(name, 64, L"%ls%lx_%llx_%x%ls", kTemporaryPrefix, ::GetCurrentProcessId(),
                  static_cast<unsigned long long>(OwnStartTime()), ++counter, kTemporaryExtension);
    return name;
}

int RemoveStaleTemporaries(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    std::wstring pattern = std::wstring(kTemporaryPrefix) + L"*" + kTemporaryExtension;
    raii::UniqueFind find(::FindFirstFileExW(path_text::ForFileSystem(path_text::Join(folder, pattern)).c_str(),
                                             FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0));
    if (!find) return 0;
    int removed = 0;
    do {
        Owner owner;
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !ParseOwner(data.cFileName, owner)) continue;
        if (!HasEnded(owner)) continue;
        RemoveFile(path_text::Join(folder, data.cFileName));
        ++removed;
    } while (::FindNextFileW(find.Get(), &data));
    return removed;
}

TemporaryCopy::~TemporaryCopy() { Remove(); }

void TemporaryCopy::Remove() {
    if (m_path.empty()) return;
    RemoveFile(m_path);
    m_path.clear();
}

DWORD TemporaryCopy::CopyFrom(const std::wstring& source, const std::wstring& folder) {
    Remove();
    DWORD error = ERROR_FILE_EXISTS;
    std::wstring temporary;
    // A temporary name taken by another process is simply passed by.
    for (int attempt = 0; attempt < 16 && error == ERROR_FILE_EXISTS; ++attempt) {
        temporary = path_text::Join(folder, TemporaryName());
        bool copied = ::CopyFileW(path_text::ForFileSystem(source).c_str(),
                                  path_text::ForFileSystem(temporary).c_str(), TRUE) != FALSE;
        error = copied ? 0 : ::GetLastError();
    }
    if (error != 0) {
        // Created with fail-if-exists under a name of our own: whatever is there is our partial copy.
        if (error != ERROR_FILE_EXISTS) RemoveFile(temporary);
        return error;
    }
    m_path = temporary;
    std::wstring fileSystemPath = path_text::ForFileSystem(m_path);
    // Hidden from the user (and from a sync client that skips hidden files) until it is named;
    // this also drops a read-only mark copied from the source, which the flush would trip over.
    m_attributes = ::GetFileAttributesW(fileSystemPath.c_str());
    if (m_attributes == INVALID_FILE_ATTRIBUTES) m_attributes = FILE_ATTRIBUTE_NORMAL;
    ::SetFileAttributesW(fileSystemPath.c_str(), kTemporaryMarks);
    return 0;
}

DWORD TemporaryCopy::Flush() {
    if (m_path.empty()) return ERROR_FILE_NOT_FOUND;
    raii::UniqueFile file(::CreateFileW(path_text::ForFileSystem(m_path).c_str(), GENERIC_WRITE,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, kTemporaryMarks, nullptr));
    if (!file) return ::GetLastError();
    if (!::FlushFileBuffers(file.Get())) return ::GetLastError();
    return 0;
}

DWORD TemporaryCopy::ClaimName(const std::wstring& target, bool writeThrough) {
    if (m_path.empty()) return ERROR_FILE_NOT_FOUND;
    std::wstring fileSystemPath = path_text::ForFileSystem(m_path);
    // The file is named with the attributes its copy had, never as a hidden one.
    ::SetFileAttributesW(fileSystemPath.c_str(), m_attributes);
    // Without MOVEFILE_REPLACE_EXISTING the rename refuses a name taken in the meantime.
    if (::MoveFileExW(fileSystemPath.c_str(), path_text::ForFileSystem(target).c_str(),
                      writeThrough ? MOVEFILE_WRITE_THROUGH : 0)) {
        m_path.clear();
        return 0;
    }
    DWORD error = ::GetLastError();
    ::SetFileAttributesW(fileSystemPath.c_str(), kTemporaryMarks);
    // A folder of that name, for one, is refused with another code; a name is taken when
    // anything is there.
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS || path_text::Exists(target)) {
        return ERROR_FILE_EXISTS;
    }
    return error;
}

DWORD CopyWithoutReplacing(const std::wstring& source, const std::wstring& target) {
    std::wstring folder = MyFilePath(target).GetFolder();
    // A target without a folder would land in whatever the process's current folder is.
    if (folder.empty()) return ERROR_PATH_NOT_FOUND;
    TemporaryCopy copy;
    DWORD error = copy.CopyFrom(source, folder);
    return error != 0 ? error : copy.ClaimName(target, false);
}

}  // namespace file_copy
