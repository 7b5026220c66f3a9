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

// A NUL unit would end the path for the file system while the rest of the line still counted
// for its name, so a line whose NUL hides more text is refused. NULs with nothing but white
// space after them (a terminator a host wrote) are dropped like trailing white space.
bool CutAtNul(std::wstring& line) {
    size_t nul = line.find(L'\0');
    if (nul == std::wstring::npos) return true;
    for (size_t i = nul; i < line.size(); ++i) {
        if (line[i] != L'\0' && !IsWhiteSpace(line[i])) return false;
    }
    line.resize(nul);
    return true;
}

// The names the system maps to devices in every folder, compared without extension and
// without trailing dots and spaces, as older systems do.
bool IsDeviceName(const std::wstring& path) {
    std::wstring name = path.substr(path_text::FileNameStart(path));
    name = name.substr(0, name.find(L'.'));
    while (!name.empty() && (name.back() == L' ' || name.back() == L'.')) name.pop_back();
    for (wchar_t& c : name) c = static_cast<wchar_t>(std::towupper(c));
    static const wchar_t* const kDevices[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$", L"CLOCK$"};
    for (const wchar_t* device : kDevices) {
        if (name == device) return true;
    }
    return name.size() == 4 && (name.compare(0, 3, L"COM") == 0 || name.compare(0, 3, L"LPT") == 0) &&
           ((name[3] >= L'0' && name[3] <= L'9') || name[3] == L'\u00B9' || name[3] == L'\u00B2' ||
            name[3] == L'\u00B3');
}

// Whether the path leads into the device namespace (\\.\pipe\x, \\.\COM1, \\?\GLOBALROOT...)
// rather than to a file on a drive or share: such an open or read can wait without end.
bool IsDevicePath(const std::wstring& path) {
    if (IsDeviceName(path)) return true;
    std::wstring full = path_text::FullPath(path);
    if (full.rfind(L"\\\\.\\", 0) != 0 && full.rfind(L"\\\\?\\", 0) != 0) return false;
    std::wstring rest = full.substr(4);
    bool onDrive = rest.size() >= 3 && std::iswalpha(rest[0]) && rest[1] == L':' && rest[2] == L'\\';
    bool onShare = rest.size() > 4 && std::towupper(rest[0]) == L'U' && std::towupper(rest[1]) == L'N' &&
                   std::towupper(rest[2]) == L'C' && rest[3] == L'\\';
    return !onDrive && !onShare;
}

// Appends a target for the line unless nothing but white space is left of it. The path is
// resolved once here (current folder, `.` and `..`), so that the copy and the saved name both
// come from the same text whatever its length. False for a line that is refused.
bool AddLine(std::wstring& line, TargetArray& targets) {
    bool accepted = CutAtNul(line);
    size_t end = accepted ? line.size() : 0;
    while (end > 0 && line[end - 1] == L'\r') --end;
    while (end > 0 && IsWhiteSpace(line[end - 1])) --end;
    size_t begin = 0;
    while (begin < end && IsWhiteSpace(line[begin])) ++begin;
    if (begin < end) {
        // A device as a source (COM1, a pipe) could block the copy for ever on the worker:
        // such a list is refused like one with a hidden NUL.
        if (IsDevicePath(line.substr(begin, end - begin))) return false;
        targets.push_back(std::make_unique<PluginTargetFile>(path_text::FullPath(line.substr(begin, end - begin))));
    }
    line.clear();
    return accepted;
}

}  // namespace

int PluginStdioFile::CauseOfError(DWORD error) {
    for (const ErrorCause& entry : kErrorCauses) {
        if (entry.error == error) return entry.cause;
    }
    return cause::kGeneric;
}

int PluginStdioFile::Open(const std::wstring& path) {
    // Only a file on disk is read: devices, pipes and consoles are refused before they are
    // opened (opening or reading one can block the host's thread), and whatever else turns
    // out not to be a disk file after opening.
    if (IsDevicePath(path)) return kReadError;
    m_file.Reset(::CreateFileW(path_text::ForFileSystem(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!m_file) {
        DWORD error = ::GetLastError();
        return CauseOfError(error);
    }
    if (::GetFileType(m_file.Get()) != FILE_TYPE_DISK) return kReadError;
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
                if (!AddLine(line, targets)) return kReadError;
            } else {
                line += unit;
            }
        }
    }
    // A last line without a line feed; an odd final byte is no unit.
    return AddLine(line, targets) ? 0 : kReadError;
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
