// A help library with the export the plug-in calls, OrvHelpW (same arguments as WinHelpW).
// It opens the named compiled help file with the platform's HTML help viewer (hh.exe, started
// without waiting) and returns 0 when the file does not exist or the viewer cannot start.
// For tests: when the environment variable ORVHELP_LOG names a file, every requested path is
// appended to it as one UTF-8 line; when ORVHELP_NO_VIEWER is set, no viewer is started
// (an existing file still counts as opened).
#include "support/Raii.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

namespace {

std::wstring Environment(const wchar_t* name) {
    DWORD length = ::GetEnvironmentVariableW(name, nullptr, 0);
    if (length == 0) return std::wstring();
    std::wstring value(length, L'\0');
    length = ::GetEnvironmentVariableW(name, value.data(), length);
    value.resize(length);
    return value;
}

void RecordRequest(const wchar_t* file) {
    std::wstring logPath = Environment(L"ORVHELP_LOG");
    if (logPath.empty()) return;
    std::wstring line = std::wstring(file) + L"\r\n";
    int size = ::WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0, nullptr,
                                     nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), bytes.data(), size, nullptr,
                          nullptr);
    raii::UniqueFile log(::CreateFileW(logPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!log) return;
    DWORD written = 0;
    ::WriteFile(log.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

bool IsFile(const wchar_t* path) {
    DWORD attributes = ::GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

extern "C" BOOL __stdcall OrvHelpW(HWND owner, const wchar_t* file, UINT, ULONG_PTR) {
    if (!file || !*file) return FALSE;
    RecordRequest(file);
    if (!IsFile(file)) return FALSE;
    if (!Environment(L"ORVHELP_NO_VIEWER").empty()) return TRUE;
    std::wstring quoted = L"\"" + std::wstring(file) + L"\"";
    HINSTANCE started = ::ShellExecuteW(owner, L"open", L"hh.exe", quoted.c_str(), nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(started) > 32 ? TRUE : FALSE;
}
