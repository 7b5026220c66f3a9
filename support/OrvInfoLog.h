// Binding to the optional log library "orvinfolog.dll". Without the library every call is a
// no-op returning 0, and WriteLog returns before formatting anything.
#pragma once

#include <windows.h>

#include <cstdint>

namespace log_level {
constexpr int kTrace = 1;  // the plug-in's own operations
constexpr int kHost = 2;   // the host's calls and their results
constexpr int kError = 3;  // a failed step and its code
}  // namespace log_level

// A plain record; one instance per process (TheLog), written only during start-up, read
// afterwards by both threads.
struct COrvInfoLog {
    using CreateInfoHandleFn = uint32_t(__stdcall*)(HINSTANCE);
    using ReleaseInfoHandleFn = int(__stdcall*)(uint32_t);
    using SetThreadNameFn = int(__stdcall*)(uint32_t, const wchar_t*, int);
    using WriteLogFn = int(__stdcall*)(uint32_t, const wchar_t*, int);
    using ShowDialogFn = int(__stdcall*)(uint32_t);
    using RegisterModuleFn = int(__stdcall*)(uint32_t, const wchar_t*);
    using SetCurrentLogPathFn = int(__stdcall*)(uint32_t, const wchar_t*);

    HMODULE library = nullptr;
    uint32_t infoHandle = 0;
    CreateInfoHandleFn createInfoHandle = nullptr;
    ReleaseInfoHandleFn releaseInfoHandle = nullptr;
    SetThreadNameFn setThreadName = nullptr;
    WriteLogFn writeLog = nullptr;
    ShowDialogFn showDialog = nullptr;
    RegisterModuleFn registerModule = nullptr;
    SetCurrentLogPathFn setCurrentLogPath = nullptr;

    // Loads by bare name, then from "<ProgramFilesDir>\Orvane\Shared Files\". 0 on success,
    // else the registry code or the load error as an HRESULT; the record stays unloaded.
    int Load(const wchar_t* fileName);
    uint32_t CreateInfoHandle(HINSTANCE instance);
    int SetThreadName(const wchar_t* name);
    // Formats one line (at most 1023 characters, longer lines are cut) and hands it on.
    int WriteLog(int level, const wchar_t* format, ...);
    int WriteLogV(int level, const wchar_t* format, va_list arguments);
    void Unload();
};

// The process's one log binding.
COrvInfoLog& TheLog();

// Writes one line through the process's log binding; "%s" takes a wide string.
int WriteLog(int level, const wchar_t* format, ...);

// Converts a pointer-sized value (window handle, pointer) for a "%08x" field. Only the low
// 32 bits are printed, as the host's 32-bit world expects.
inline unsigned int LogHex(const void* value) {
    return static_cast<unsigned int>(reinterpret_cast<uintptr_t>(value));
}
