#include "settings/XmlFileIo.h"

#include "support/FileLock.h"
#include "support/MyPath.h"
#include "support/OrvInfoLog.h"
#include "support/Raii.h"
#include "support/StaleTemporaries.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cwchar>
#include <cwctype>
#include <vector>

namespace xml_file_io {

DWORD LockForChange(FileLock& lock, const std::wstring& path) {
    DWORD error = lock.Acquire(path, kChangeLockTimeoutMs);
    if (error != 0) WriteLog(log_level::kError, L"Error FileLock::Acquire = %d, %s", static_cast<int>(error), path.c_str());
    return error;
}

bool ReadWholeFile(const std::wstring& path, std::string& bytes) {
    if (path.empty()) return false;
    FileLock lock;
    (void)lock.Acquire(path, kReadLockTimeoutMs);
    raii::UniqueFile file(::CreateFileW(path_text::ForFileSystem(path).c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0 ||
        static_cast<unsigned long long>(size.QuadPart) > kMaxDocumentBytes) {
        return false;
    }
    std::string content(static_cast<size_t>(size.QuadPart), '\0');
    size_t done = 0;
    while (done < content.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(content.size() - done, 1u << 20));
        DWORD read = 0;
        if (!::ReadFile(file.Get(), &content[done], chunk, &read, nullptr)) return false;
        if (read == 0) break;  // the file shrank while being read
        done += read;
    }
    content.resize(done);
    bytes.swap(content);
    return true;
}

namespace {

// The prolog seen as a sequence of code units: bytes for ASCII-compatible encodings,
// UTF-16 code units otherwise.
class UnitReader {
public:
    UnitReader(const std::string& bytes, size_t start, int width, bool bigEndian)
        : m_bytes(bytes), m_start(start), m_width(width), m_bigEndian(bigEndian) {}

    size_t Count() const { return (m_bytes.size() - m_start) / m_width; }
    // 0xFFFFFFFF past the end.
    uint32_t At(size_t index) const {
        if (index >= Count()) return 0xFFFFFFFFu;
        size_t offset = m_start + index * m_width;
        auto byte = [&](size_t i) { return static_cast<uint32_t>(static_cast<unsigned char>(m_bytes[i])); };
        if (m_width == 1) return byte(offset);
        return m_bigEndian ? (byte(offset) << 8) | byte(offset + 1) : byte(offset) | (byte(offset + 1) << 8);
    }
    int Width() const { return m_width; }

    // Index of the first occurrence of an ASCII text at or after from; npos when none.
    size_t Find(const char* text, size_t from) const {
        for (size_t i = from; i < Count(); ++i) {
            size_t k = 0;
            while (text[k] != '\0' && At(i + k) == static_cast<unsigned char>(text[k])) ++k;
            if (text[k] == '\0') return i;
        }
        return std::string::npos;
    }

private:
    const std::string& m_bytes;
    size_t m_start;
    int m_width;
    bool m_bigEndian;
};

bool IsSpace(uint32_t c) { return c == 0x20 || c == 0x09 || c == 0x0D || c == 0x0A; }

bool IsNameStart(uint32_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' || (c >= 0x80 && c != 0xFFFFFFFFu);
}

bool IsNameChar(uint32_t c) { return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; }

std::wstring Lower(const std::wstring& text) {
    std::wstring lower = text;
    for (wchar_t& c : lower) c = static_cast<wchar_t>(std::towlower(c));
    return lower;
}

// The encodings under which the prolog reads the same as this check reads it.
bool IsAcceptedEncoding(const std::wstring& name, int width) {
    std::wstring lower = Lower(name);
    if (width == 2) {
        return lower == L"utf-16" || lower == L"utf-16le" || lower == L"utf-16be" || lower == L"ucs-2" ||
               lower == L"iso-10646-ucs-2";
    }
    if (lower == L"utf-8" || lower == L"us-ascii" || lower == L"ascii") return true;
    auto numbered = [&](const wchar_t* prefix) {
        std::wstring p = prefix;
        if (lower.compare(0, p.size(), p) != 0 || lower.size() == p.size()) return false;
        for (size_t i = p.size(); i < lower.size(); ++i) {
            if (lower[i] < L'0' || lower[i] > L'9') return false;
        }
        return true;
    };
    return numbered(L"iso-8859-") || numbered(L"windows-125");
}

// Checks the encoding named in the declaration between begin and end (units).
bool DeclarationEncodingAccepted(const UnitReader& units, size_t begin, size_t end) {
    size_t at = units.Find("encoding", begin);
    if (at == std::string::npos || at >= end) return true;  // none named: the BOM or UTF-8 rules
    size_t i = at + 8;
    while (i < end && IsSpace(units.At(i))) ++i;
    if (i >= end || units.At(i) != '=') return false;
    ++i;
    while (i < end && IsSpace(units.At(i))) ++i;
    if (i >= end || (units.At(i) != '"' && units.At(i) != '\'')) return false;
    uint32_t quote = units.At(i++);
    std::wstring name;
    while (i < end && units.At(i) != quote) {
        uint32_t c = units.At(i++);
        if (c >= 0x80) return false;
        name += static_cast<wchar_t>(c);
    }
    if (i >= end) return false;
    return IsAcceptedEncoding(name, units.Width());
}

}  // namespace

bool HasSafeProlog(const std::string& bytes) {
    auto b = [&](size_t i) { return i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : -1; };
    // Four-byte encodings and EBCDIC are not read by this check, so they are refused.
    if ((b(0) == 0 && b(1) == 0) || (b(0) == 0xFF && b(1) == 0xFE && b(2) == 0 && b(3) == 0) ||
        (b(0) == 0x3C && b(1) == 0 && b(2) == 0 && b(3) == 0) || b(0) == 0x4C) {
        return false;
    }
    size_t start = 0;
    int width = 1;
    bool bigEndian = false;
    if (b(0) == 0xEF && b(1) == 0xBB && b(2) == 0xBF) {
        start = 3;
    } else if (b(0) == 0xFE && b(1) == 0xFF) {
        start = 2, width = 2, bigEndian = true;
    } else if (b(0) == 0xFF && b(1) == 0xFE) {
        start = 2, width = 2;
    } else if (b(0) == 0 && b(1) == 0x3C && b(2) == 0 && b(3) == 0x3F) {
        width = 2, bigEndian = true;  // UTF-16 without a byte-order mark starts with "<?"
    } else if (b(0) == 0x3C && b(1) == 0 && b(2) == 0x3F && b(3) == 0) {
        width = 2;
    }
    UnitReader units(bytes, start, width, bigEndian);
    size_t pos = 0;
    for (;;) {
        while (IsSpace(units.At(pos))) ++pos;
        if (units.At(pos) != '<') return false;  // end of data, text or NUL before the root
        uint32_t next = units.At(pos + 1);
        if (next == '?') {
            size_t end = units.Find("?>", pos + 2);
            if (end == std::string::npos) return false;
            std::wstring target;
            for (size_t i = pos + 2; i < end && IsNameChar(units.At(i)); ++i) {
                target += static_cast<wchar_t>(units.At(i));
            }
            if (Lower(target) == L"xml") {
                // Only the declaration may use this target, and only as the very first thing.
                if (pos != 0 || target != L"xml" || !DeclarationEncodingAccepted(units, pos + 5, end)) return false;
            }
            pos = end + 2;
        } else if (next == '!') {
            if (units.At(pos + 2) != '-' || units.At(pos + 3) != '-') return false;  // <!DOCTYPE and the like
            size_t end = units.Find("-->", pos + 4);
            if (end == std::string::npos) return false;
            pos = end + 3;
        } else {
            return IsNameStart(next);
        }
    }
}

bool IsTemporaryOf(const std::wstring& fileName, const std::wstring& name, DWORD& processId) {
    // <file name>.<hex>-<hex>.new
    const std::wstring suffix = L".new";
    if (name.size() <= fileName.size() + 1 + suffix.size() || name.compare(0, fileName.size(), fileName) != 0 ||
        name[fileName.size()] != L'.' || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) {
        return false;
    }
    std::wstring middle = name.substr(fileName.size() + 1, name.size() - fileName.size() - 1 - suffix.size());
    size_t dash = middle.find(L'-');
    if (dash == 0 || dash == std::wstring::npos || dash + 1 == middle.size() || dash > 8) return false;
    for (size_t i = 0; i < middle.size(); ++i) {
        if (i != dash && !std::iswxdigit(middle[i])) return false;
    }
    processId = static_cast<DWORD>(std::wcstoul(middle.substr(0, dash).c_str(), nullptr, 16));
    return true;
}

int RemoveStaleTemporaries(const std::wstring& path) {
    MyFilePath file(path_text::FullPath(path));
    const std::wstring fileName = file.GetFileName();
    if (fileName.empty()) return 0;
    return stale_temporaries::RemoveStale(file.GetFolder(), fileName + L".*.new",
                                          [&](const std::wstring& name, DWORD& processId) {
                                              return IsTemporaryOf(fileName, name, processId);
                                          });
}

DWORD CreateTemporaryBeside(const std::wstring& path, raii::UniqueFile& file, std::wstring& temporary) {
    static std::atomic<unsigned> counter{0};
    file.Reset();
    for (int attempt = 0; attempt < 100; ++attempt) {
        wchar_t suffix[48];
        swprintf(suffix, 48, L".%lx-%x.new", ::GetCurrentProcessId(), counter.fetch_add(1));
        temporary = path_text::ForFileSystem(path + suffix);
        // Hidden and temporary: the user is not meant to see it, and it lives only until the
        // rename (or, when the process is killed first, until the next save removes it).
        file.Reset(::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY, nullptr));
        if (file) return 0;
        DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return error;
    }
    return ERROR_FILE_EXISTS;
}

namespace {

bool IsReadOnly(const std::wstring& fileSystemPath) {
    DWORD attributes = ::GetFileAttributesW(fileSystemPath.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

DWORD WriteAll(HANDLE file, const void* data, size_t size) {
    const char* bytes = static_cast<const char*>(data);
    size_t done = 0;
    while (done < size) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(size - done, 1u << 20));
        DWORD written = 0;
        if (!::WriteFile(file, bytes + done, chunk, &written, nullptr)) return ::GetLastError();
        if (written == 0) return ERROR_WRITE_FAULT;
        done += written;
    }
    return ::FlushFileBuffers(file) ? 0 : ::GetLastError();
}

// The finished file is a plain one: the rename keeps the attributes it had as a temporary.
// Done on the open handle, so the temporary stays hidden until it is complete.
bool MakePlain(HANDLE file) {
    FILE_BASIC_INFO info{};
    info.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    return ::SetFileInformationByHandle(file, FileBasicInfo, &info, sizeof info) != FALSE;
}

// Moves the temporary over the target. A reader of the target (another process loading it,
// a virus scanner, the user's editor) makes the move fail with a sharing violation, or under
// Wine with access denied, for as long as it has the file open: the move is tried again for
// about two seconds. A read-only target is never waited for.
DWORD MoveOver(const std::wstring& temporary, const std::wstring& target) {
    DWORD delayMs = 1;
    for (int attempt = 0;; ++attempt) {
        if (::MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return 0;
        }
        DWORD error = ::GetLastError();
        bool busy = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
                    (error == ERROR_ACCESS_DENIED && !IsReadOnly(target));
        if (!busy || attempt >= 40) return error;
        ::Sleep(delayMs);
        delayMs = std::min<DWORD>(delayMs * 2, 64);
    }
}

}  // namespace

DWORD ReplaceFileContent(const std::wstring& path, const void* data, size_t size) {
    if (path.empty()) return ERROR_INVALID_NAME;
    std::wstring target = path_text::ForFileSystem(path);
    // Windows refuses to replace a read-only file, Wine does not: the check is ours, so that a
    // file its user protected stays as it is everywhere.
    if (IsReadOnly(target)) return ERROR_ACCESS_DENIED;
    (void)RemoveStaleTemporaries(path);

    raii::UniqueFile file;
    std::wstring temporary;
    DWORD error = CreateTemporaryBeside(path, file, temporary);
    if (error != 0) return error;
    error = WriteAll(file.Get(), data, size);
    bool plain = error == 0 && MakePlain(file.Get());
    file.Reset();
    if (error == 0 && !plain && !::SetFileAttributesW(temporary.c_str(), FILE_ATTRIBUTE_NORMAL)) error = ::GetLastError();
    if (error == 0) error = MoveOver(temporary, target);
    if (error != 0) ::DeleteFileW(temporary.c_str());
    return error;
}

}  // namespace xml_file_io
