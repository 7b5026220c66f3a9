#include "send/PluginStdioFile.h"

#include "send/PluginTarget.h"
#include "support/MyPath.h"

#include <cwctype>

namespace {

// Causes of the platform's file exception.
namespace cause {
constexpr int kNone = 0;
constexpr int kGeneric = 1;
constexpr int kFileNotFound = 2;
constexpr int kBadPath = 3;
constexpr int kTooManyOpenFiles = 4;
constexpr int kAccessDenied = 5;
constexpr int kInvalidFile = 6;
constexpr int kDirectoryFull = 8;
constexpr int kBadSeek = 9;
constexpr int kHardIo = 10;
constexpr int kSharingViolation = 11;
constexpr int kLockViolation = 12;
constexpr int kDiskFull = 13;
constexpr int kEndOfFile = 14;
}  // namespace cause

struct ErrorCause {
    DWORD error;
    int cause;
};

constexpr ErrorCause kErrorCauses[] = {
    {NO_ERROR, cause::kNone},
    {ERROR_FILE_NOT_FOUND, cause::kFileNotFound},
    {ERROR_PATH_NOT_FOUND, cause::kBadPath},
    {ERROR_TOO_MANY_OPEN_FILES, cause::kTooManyOpenFiles},
    {ERROR_ACCESS_DENIED, cause::kAccessDenied},
    {ERROR_INVALID_HANDLE, cause::kFileNotFound},
    {ERROR_BAD_FORMAT, cause::kInvalidFile},
    {ERROR_INVALID_ACCESS, cause::kAccessDenied},
    {ERROR_INVALID_DRIVE, cause::kBadPath},
    {ERROR_NOT_SAME_DEVICE, cause::kBadPath},
    {ERROR_NO_MORE_FILES, cause::kFileNotFound},
    {ERROR_WRITE_PROTECT, cause::kAccessDenied},
    {ERROR_BAD_UNIT, cause::kHardIo},
    {ERROR_NOT_READY, cause::kHardIo},
    {ERROR_CRC, cause::kHardIo},
    {ERROR_SEEK, cause::kBadSeek},
    {ERROR_SECTOR_NOT_FOUND, cause::kBadSeek},
    {ERROR_WRITE_FAULT, cause::kAccessDenied},
    {ERROR_READ_FAULT, cause::kBadSeek},
    {ERROR_SHARING_VIOLATION, cause::kSharingViolation},
    {ERROR_LOCK_VIOLATION, cause::kLockViolation},
    {ERROR_WRONG_DISK, cause::kBadPath},
    {ERROR_SHARING_BUFFER_EXCEEDED, cause::kTooManyOpenFiles},
    {ERROR_HANDLE_EOF, cause::kEndOfFile},
    {ERROR_HANDLE_DISK_FULL, cause::kDiskFull},
    {ERROR_BAD_NETPATH, cause::kBadPath},
    {ERROR_NETWORK_BUSY, cause::kAccessDenied},
    {ERROR_DEV_NOT_EXIST, cause::kBadPath},
    {ERROR_UNEXP_NET_ERR, cause::kHardIo},
    {ERROR_NO_SPOOL_SPACE, cause::kDirectoryFull},
    {ERROR_NETNAME_DELETED, cause::kAccessDenied},
    {ERROR_NETWORK_ACCESS_DENIED, cause::kAccessDenied},
    {ERROR_BAD_NET_NAME, cause::kBadPath},
    {ERROR_FILE_EXISTS, cause::kAccessDenied},
    {ERROR_CANNOT_MAKE, cause::kAccessDenied},
    {ERROR_DRIVE_LOCKED, cause::kLockViolation},
    {ERROR_OPEN_FAILED, cause::kFileNotFound},
    {ERROR_DISK_FULL, cause::kDiskFull},
    {ERROR_INVALID_NAME, cause::kBadPath},
    {ERROR_FILENAME_EXCED_RANGE, cause::kBadPath},
};

constexpr int kReadError = cause::kGeneric;

bool IsWhiteSpace(wchar_t c) { return std::iswspace(static_cast<wint_t>(c)) != 0; }

// Appends a target for the line unless nothing but white space is left of it.
void AddLine(std::wstring& line, TargetArray& targets) {
    size_t end = line.size();
    while (end > 0 && line[end - 1] == L'\r') --end;
    while (end > 0 && IsWhiteSpace(line[end - 1])) --end;
    size_t begin = 0;
    while (begin < end && IsWhiteSpace(line[begin])) ++begin;
    if (begin < end) targets.push_back(std::make_unique<PluginTargetFile>(line.substr(begin, end - begin)));
    line.clear();
}

}  // namespace

int PluginStdioFile::CauseOfError(DWORD error) {
    for (const ErrorCause& entry : kErrorCauses) {
        if (entry.error == error) return entry.cause;
    }
    return cause::kGeneric;
}

int PluginStdioFile::Open(const std::wstring& path) {
    m_file.Reset(::CreateFileW(path_text::ForFileSystem(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!m_file) {
        DWORD error = ::GetLastError();
        return CauseOfError(error);
    }
    unsigned char start[3] = {0, 0, 0};
    DWORD read = 0;
    if (!::ReadFile(m_file.Get(), start, sizeof start, &read, nullptr)) return CauseOfError(::GetLastError());
    LONG skip = 0;
    if ((start[0] == 0xFF && start[1] == 0xFE) || (start[0] == 0xFE && start[1] == 0xFF)) {
        skip = 2;
    } else if (start[0] == 0xEF && start[1] == 0xBB && start[2] == 0xBF) {
        skip = 3;
    }
    if (::SetFilePointer(m_file.Get(), skip, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) {
        return CauseOfError(::GetLastError());
    }
    return 0;
}

int PluginStdioFile::ReadTargets(TargetArray& targets) {
    if (!m_file) return cause::kGeneric;
    std::wstring line;
    unsigned char chunk[65536];
    unsigned char pending = 0;  // the first byte of a code unit split across two reads
    bool hasPending = false;
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(m_file.Get(), chunk, sizeof chunk, &read, nullptr)) return kReadError;
        if (read == 0) break;
        for (DWORD i = 0; i < read; ++i) {
            if (!hasPending) {
                pending = chunk[i];
                hasPending = true;
                continue;
            }
            hasPending = false;
            wchar_t unit = static_cast<wchar_t>(pending | (chunk[i] << 8));
            if (unit == L'\n') {
                AddLine(line, targets);
            } else {
                line += unit;
            }
        }
    }
    AddLine(line, targets);  // a last line without a line feed; an odd final byte is no unit
    return 0;
}

int PluginStdioFile::ReadFileList(TargetArray& targets, const std::wstring& path) {
    int code = Open(path);
    if (code != 0) {
        m_file.Reset();
        return code;
    }
    code = ReadTargets(targets);
    m_file.Reset();
    return code;
}
