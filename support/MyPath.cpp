#include "support/MyPath.h"

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>

namespace path_text {

static bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

size_t FileNameStart(const std::wstring& path) {
    size_t pos = path.find_last_of(L"\\/:");
    return pos == std::wstring::npos ? 0 : pos + 1;
}

std::wstring Extension(const std::wstring& path) {
    size_t nameStart = FileNameStart(path);
    size_t dot = path.rfind(L'.');
    if (dot == std::wstring::npos || dot < nameStart) return std::wstring();
    return path.substr(dot);
}

std::wstring Join(const std::wstring& folder, const std::wstring& name) {
    size_t nameStart = 0;
    while (nameStart < name.size() && IsSeparator(name[nameStart])) ++nameStart;
    std::wstring result = folder;
    if (!result.empty() && !IsSeparator(result.back())) result += L'\\';
    result.append(name, nameStart, std::wstring::npos);
    return result;
}

std::wstring FullPath(const std::wstring& path) {
    if (path.empty() || path.rfind(L"\\\\?\\", 0) == 0) return path;
    std::wstring full(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 3; ++attempt) {
        DWORD length = ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), &full[0], nullptr);
        if (length == 0) return path;
        if (length < full.size()) {
            full.resize(length);
            return full;
        }
        full.assign(length, L'\0');  // the size needed, terminator included
    }
    return path;
}

std::wstring ForFileSystem(const std::wstring& path) {
    if (path.rfind(L"\\\\?\\", 0) == 0) return path;
    std::wstring full = FullPath(path);
    // Device paths (\\.\) are not files; they keep their own form.
    if (full.size() < MAX_PATH - 12 || full.rfind(L"\\\\.\\", 0) == 0) return full;
    // The extended form is taken literally by the system: it needs backslashes only.
    for (wchar_t& c : full) {
        if (c == L'/') c = L'\\';
    }
    if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

bool Exists(const std::wstring& path) {
    if (path.empty()) return false;
    return ::GetFileAttributesW(ForFileSystem(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace path_text

namespace {

// The index where a drive root or UNC root ends (the part GetFolder never removes).
size_t RootLength(const std::wstring& path) {
    if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') return 3;
    if (path.size() >= 2 && path[1] == L':') return 2;
    return 0;
}

}  // namespace

bool MyFilePath::Exists() const { return path_text::Exists(m_path); }

std::wstring MyFilePath::GetFolder() const {
    size_t root = RootLength(m_path);
    size_t nameStart = path_text::FileNameStart(m_path);
    if (nameStart == 0 || m_path.size() <= root) return std::wstring();
    if (nameStart <= root) return m_path.substr(0, root);
    return m_path.substr(0, nameStart - 1);
}

std::wstring MyFilePath::GetFileName() const { return m_path.substr(path_text::FileNameStart(m_path)); }

MyFilePath MyFilePath::AddSuffix(const std::wstring& suffix) const {
    std::wstring extension = path_text::Extension(m_path);
    std::wstring stem = m_path.substr(0, m_path.size() - extension.size());
    return MyFilePath(stem + suffix + extension);
}

MyFilePath MyFilePath::RemoveNumberSuffix() const {
    std::wstring extension = path_text::Extension(m_path);
    std::wstring stem = m_path.substr(0, m_path.size() - extension.size());
    size_t underscore = stem.rfind(L'_');
    if (underscore == std::wstring::npos || underscore + 1 == stem.size()) return *this;
    for (size_t i = underscore + 1; i < stem.size(); ++i) {
        if (stem[i] < L'0' || stem[i] > L'9') return *this;
    }
    return MyFilePath(stem.substr(0, underscore) + extension);
}

MyFilePath MyFilePath::AddNumber(int number) const {
    wchar_t suffix[16];
    std::swprintf(suffix, 16, L"_%03d", number);
    return AddSuffix(suffix);
}

bool MyFolderPath::Exists() const { return path_text::Exists(m_path); }

MyFolderPath MyFolderPath::Join(const std::wstring& name) const {
    return MyFolderPath(path_text::Join(m_path, name));
}

void MyFolderPath::Append(const std::wstring& name) { m_path = path_text::Join(m_path, name); }

bool MyFolderPath::SetSpecialFolder(int csidl, bool create) {
    wchar_t buffer[MAX_PATH] = {};
    if (!::SHGetSpecialFolderPathW(nullptr, buffer, csidl, create ? TRUE : FALSE)) return false;
    m_path = buffer;
    return true;
}

DWORD MyFolderPath::CreateRecursive() const {
    // Walk the leading parts C:\, C:\a\, C:\a\b ... cut by position, so a folder name that
    // repeats higher up the path is never confused with the one being created. The path is
    // resolved first: a part that `..` leaves again is not created on the way.
    const std::wstring path = path_text::FullPath(m_path);
    size_t end = 0;
    while (end < path.size()) {
        size_t separator = path.find(L'\\', end);
        end = separator == std::wstring::npos ? path.size() : separator + 1;
        std::wstring leading = path.substr(0, end);
        if (leading.rfind(L"\\\\", 0) == 0 && std::count(leading.begin(), leading.end(), L'\\') < 4) {
            continue;  // \\server\share\ is a root, never created
        }
        if (path_text::Exists(leading)) continue;
        if (!::CreateDirectoryW(path_text::ForFileSystem(leading).c_str(), nullptr)) {
            DWORD error = ::GetLastError();
            if (error != ERROR_ALREADY_EXISTS) return error;
        }
    }
    return 0;
}

DWORD MyFolderPath::GetFindData(WIN32_FIND_DATAW& data) const {
    std::wstring path = m_path;
    while (path.size() > 3 && path.back() == L'\\') path.pop_back();
    WIN32_FIND_DATAW found{};
    HANDLE find = ::FindFirstFileW(path_text::ForFileSystem(path).c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return ::GetLastError();
    ::FindClose(find);
    data = found;
    return 0;
}

int MyFolderPath::Explore() const {
    HINSTANCE result = ::ShellExecuteW(nullptr, L"explore", m_path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    int code = static_cast<int>(reinterpret_cast<INT_PTR>(result));
    return code > 32 ? 0 : code;
}
