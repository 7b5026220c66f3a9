#include "send/NumberedName.h"

#include "support/Raii.h"

#include <winternl.h>

#include <climits>
#include <cstdio>
#include <cwchar>
#include <vector>

namespace numbered_name {

namespace {

// The longest path the extended-length form can name.
constexpr size_t kMaxPathLength = 32767;
// Ten digits hold any number the search can reach.
constexpr size_t kMaxNumberLength = 10;

// Equal without regard to case, by the system's case table as file systems compare names.
bool SameText(const wchar_t* a, size_t aLength, const wchar_t* b, size_t bLength) {
    return ::CompareStringOrdinal(a, static_cast<int>(aLength), b, static_cast<int>(bLength), TRUE) == CSTR_EQUAL;
}

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }

std::wstring Shortened(const std::wstring& stem, size_t length) {
    if (length >= stem.size()) return stem;
    if (length > 0 && IsHighSurrogate(stem[length - 1])) --length;
    return stem.substr(0, length);
}

// NtQueryDirectoryFile's names-only class: unlike FindFirstFileW it does not ask for the
// attributes and times of every matching entry, which under Wine is one stat per entry.
struct FileNamesInformation {
    ULONG nextEntryOffset;
    ULONG fileIndex;
    ULONG fileNameLength;  // in bytes
    WCHAR fileName[1];
};
constexpr int kFileNamesInformationClass = 12;
constexpr NTSTATUS kStatusNoMoreFiles = static_cast<NTSTATUS>(0x80000006L);
using QueryDirectoryFile = NTSTATUS(WINAPI*)(HANDLE, HANDLE, void*, void*, IO_STATUS_BLOCK*, void*, ULONG, int,
                                              BOOLEAN, UNICODE_STRING*, BOOLEAN);

QueryDirectoryFile TheQueryDirectoryFile() {
    static const QueryDirectoryFile query = reinterpret_cast<QueryDirectoryFile>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryDirectoryFile")));
    return query;
}

// False when the names could not be read this way (the caller then asks FindFirstFileExW).
template <typename NameSink>
bool ReadNamesOfDirectory(const std::wstring& folder, const std::wstring& pattern, NameSink& sink) {
    QueryDirectoryFile query = TheQueryDirectoryFile();
    if (!query) return false;
    raii::UniqueFile directory(::CreateFileW(path_text::ForFileSystem(folder).c_str(), FILE_LIST_DIRECTORY,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!directory) return false;
    UNICODE_STRING mask;
    mask.Buffer = const_cast<wchar_t*>(pattern.c_str());
    mask.Length = static_cast<USHORT>(pattern.size() * sizeof(wchar_t));
    mask.MaximumLength = mask.Length;
    std::vector<ULONGLONG> buffer(64 * 1024 / sizeof(ULONGLONG));
    for (bool first = true;; first = false) {
        IO_STATUS_BLOCK status = {};
        NTSTATUS result = query(directory.Get(), nullptr, nullptr, nullptr, &status, buffer.data(),
                                static_cast<ULONG>(buffer.size() * sizeof(ULONGLONG)), kFileNamesInformationClass,
                                FALSE, first ? &mask : nullptr, first ? TRUE : FALSE);
        if (result == kStatusNoMoreFiles) return true;
        // No match at all is reported as a failure of the first call.
        if (result < 0) return !first || result == static_cast<NTSTATUS>(0xC000000FL);
        const BYTE* entry = reinterpret_cast<const BYTE*>(buffer.data());
        for (;;) {
            const auto* info = reinterpret_cast<const FileNamesInformation*>(entry);
            sink(info->fileName, info->fileNameLength / sizeof(wchar_t));
            if (info->nextEntryOffset == 0) break;
            entry += info->nextEntryOffset;
        }
    }
}

template <typename NameSink>
void FindNames(const std::wstring& folder, const std::wstring& pattern, NameSink& sink) {
    WIN32_FIND_DATAW data;
    raii::UniqueFind find(::FindFirstFileExW(path_text::ForFileSystem(path_text::Join(folder, pattern)).c_str(),
                                             FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                             FIND_FIRST_EX_LARGE_FETCH));
    if (!find) return;
    do {
        sink(data.cFileName, std::wcslen(data.cFileName));
    } while (::FindNextFileW(find.Get(), &data));
}

}  // namespace

std::wstring NameFor(const std::wstring& stem, const std::wstring& extension, int number) {
    wchar_t suffix[16];
    std::swprintf(suffix, 16, L"_%03d", number);
    std::wstring tail = suffix + extension;
    // A stem of its own is kept to at least one character; an empty one (".pdf") stays empty.
    size_t leastStem = stem.empty() ? 0 : 1;
    if (tail.size() + leastStem > kMaxNameLength) return std::wstring();
    std::wstring fitted = Shortened(stem, kMaxNameLength - tail.size());
    if (fitted.size() < leastStem) return std::wstring();
    return fitted + tail;
}

std::set<int> TakenNumbers(const std::wstring& folder, const std::wstring& stem, const std::wstring& extension) {
    // Every numbered name begins with the stem as far as the longest number leaves it, so one
    // read of the entries with that beginning holds every name a candidate could meet.
    size_t commonLength = kMaxNameLength > kMaxNumberLength + 1 + extension.size()
                              ? kMaxNameLength - kMaxNumberLength - 1 - extension.size()
                              : 0;
    std::wstring pattern = Shortened(stem, commonLength) + L"*";
    std::set<int> numbers;
    // Each entry is read as stem_<digits>extension and kept when it is exactly the name of its
    // number: the digits as "%03d" writes them, the stem as shortened for that number.
    auto sink = [&](const wchar_t* name, size_t length) {
        if (length < extension.size() + 4) return;
        size_t bodyLength = length - extension.size();
        if (!extension.empty() && !SameText(name + bodyLength, extension.size(), extension.c_str(), extension.size())) {
            return;
        }
        size_t digitsStart = bodyLength;
        while (digitsStart > 0 && name[digitsStart - 1] >= L'0' && name[digitsStart - 1] <= L'9') --digitsStart;
        size_t digits = bodyLength - digitsStart;
        if (digits < 3 || digits > kMaxNumberLength || digitsStart == 0 || name[digitsStart - 1] != L'_') return;
        long long number = 0;
        for (size_t i = digitsStart; i < bodyLength; ++i) number = number * 10 + (name[i] - L'0');
        if (number < 1 || number > INT_MAX) return;
        std::wstring expected = NameFor(stem, extension, static_cast<int>(number));
        if (SameText(name, length, expected.c_str(), expected.size())) numbers.insert(static_cast<int>(number));
    };
    if (!ReadNamesOfDirectory(folder, pattern, sink)) FindNames(folder, pattern, sink);
    return numbers;
}

DWORD FindFree(const MyFilePath& collided, int firstNumber, MyFilePath& freePath, int& number) {
    MyFilePath base = collided.RemoveNumberSuffix();
    std::wstring folder = base.GetFolder();
    std::wstring name = base.GetFileName();
    std::wstring extension = path_text::Extension(name);
    std::wstring stem = name.substr(0, name.size() - extension.size());
    std::set<int> taken = TakenNumbers(folder, stem, extension);
    number = firstNumber < 1 ? 1 : firstNumber;
    for (auto next = taken.lower_bound(number); next != taken.end() && *next == number; ++next) ++number;
    std::wstring candidate = NameFor(stem, extension, number);
    if (candidate.empty()) return ERROR_FILENAME_EXCED_RANGE;
    std::wstring path = path_text::Join(folder, candidate);
    if (path_text::ForFileSystem(path).size() >= kMaxPathLength) return ERROR_FILENAME_EXCED_RANGE;
    freePath.SetPath(path);
    return 0;
}

}  // namespace numbered_name
