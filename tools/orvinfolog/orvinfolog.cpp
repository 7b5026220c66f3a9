// A small log library with the exports the plug-in binds. Each call appends one UTF-8 line
//   2026-12-11 11:22:33.456 pid=1234 tid=5678 [PLRP_Brellix] L2 text
// to the log file. The file is the value of the environment variable ORVINFOLOG_FILE when
// set, otherwise "%LOCALAPPDATA%\Orvane\Logs\orvinfolog.log". Writers on any number of
// threads are serialised, and each line goes out in one append, so lines never interleave.
#include "support/Raii.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>

namespace {

std::mutex g_lock;
std::map<uint32_t, std::wstring> g_threadNames;  // per info handle
uint32_t g_nextHandle = 1;
std::wstring g_logPath;  // set once by OrvInfoSetCurrentLogPathW, else the default

std::wstring LogPath() {
    if (!g_logPath.empty()) return g_logPath;
    wchar_t fromEnvironment[32768];
    DWORD length = ::GetEnvironmentVariableW(L"ORVINFOLOG_FILE", fromEnvironment, 32768);
    if (length > 0 && length < 32768) return fromEnvironment;
    wchar_t localAppData[MAX_PATH] = {};
    if (!::SHGetSpecialFolderPathW(nullptr, localAppData, CSIDL_LOCAL_APPDATA, TRUE)) return std::wstring();
    std::wstring folder = std::wstring(localAppData) + L"\\Orvane";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    folder += L"\\Logs";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return folder + L"\\orvinfolog.log";
}

std::string ToUtf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                     nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

}  // namespace

extern "C" {

uint32_t __stdcall OrvInfoCreateInfoHandle(HINSTANCE) {
    std::lock_guard<std::mutex> guard(g_lock);
    uint32_t handle = g_nextHandle++;
    g_threadNames[handle] = L"";
    return handle;
}

int __stdcall OrvInfoReleaseInfoHandle(uint32_t handle) {
    std::lock_guard<std::mutex> guard(g_lock);
    g_threadNames.erase(handle);
    return 0;
}

int __stdcall OrvInfoSetThreadNameW(uint32_t handle, const wchar_t* name, int) {
    std::lock_guard<std::mutex> guard(g_lock);
    g_threadNames[handle] = name ? name : L"";
    return 0;
}

int __stdcall OrvInfoWriteLogW(uint32_t handle, const wchar_t* text, int level) {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    std::lock_guard<std::mutex> guard(g_lock);
    auto named = g_threadNames.find(handle);
    std::wstring threadName = named == g_threadNames.end() ? L"" : named->second;
    char head[128];
    std::snprintf(head, sizeof head, "%04u-%02u-%02u %02u:%02u:%02u.%03u pid=%lu tid=%lu [", now.wYear, now.wMonth,
                  now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds,
                  static_cast<unsigned long>(::GetCurrentProcessId()),
                  static_cast<unsigned long>(::GetCurrentThreadId()));
    std::string line = head + ToUtf8(threadName) + "] L" + std::to_string(level) + " " +
                       ToUtf8(text ? text : L"") + "\r\n";

    raii::UniqueFile file(::CreateFileW(LogPath().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return 0;
    DWORD written = 0;
    BOOL ok = ::WriteFile(file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    return ok ? static_cast<int>(written) : 0;
}

int __stdcall OrvInfoShowDialog(uint32_t) { return 0; }
int __stdcall OrvInfoRegisterModuleW(uint32_t, const wchar_t*) { return 0; }

int __stdcall OrvInfoSetCurrentLogPathW(uint32_t, const wchar_t* path) {
    std::lock_guard<std::mutex> guard(g_lock);
    g_logPath = path ? path : L"";
    return 0;
}

}  // extern "C"
