#include "support/OrvInfoLog.h"

#include "support/MyRegistoryEntry.h"

#include <cstdarg>
#include <cwchar>
#include <string>

namespace {

constexpr size_t kLineCapacity = 1024;

template <typename Fn>
Fn Bind(HMODULE library, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(library, name)));
}

int ToHResult(DWORD code) {
    int value = static_cast<int>(code);
    if (value <= 0) return value;
    return static_cast<int>(0x80070000u | (code & 0xFFFFu));
}

}  // namespace

int COrvInfoLog::Load(const wchar_t* fileName) {
    HMODULE loaded = ::LoadLibraryW(fileName);
    if (!loaded) {
        wchar_t folder[130] = {};  // 260 bytes: a longer value fails with ERROR_MORE_DATA
        DWORD size = sizeof(folder);
        LSTATUS status = ReadLocalMachineString(L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", L"ProgramFilesDir",
                                                folder, &size);
        if (status != ERROR_SUCCESS) return status;
        std::wstring path = std::wstring(folder) + L"\\Orvane\\Shared Files\\" + fileName;
        loaded = ::LoadLibraryW(path.c_str());
        if (!loaded) return ToHResult(::GetLastError());
    }
    library = loaded;
    createInfoHandle = Bind<CreateInfoHandleFn>(library, "OrvInfoCreateInfoHandle");
    releaseInfoHandle = Bind<ReleaseInfoHandleFn>(library, "OrvInfoReleaseInfoHandle");
    setThreadName = Bind<SetThreadNameFn>(library, "OrvInfoSetThreadNameW");
    writeLog = Bind<WriteLogFn>(library, "OrvInfoWriteLogW");
    showDialog = Bind<ShowDialogFn>(library, "OrvInfoShowDialog");
    registerModule = Bind<RegisterModuleFn>(library, "OrvInfoRegisterModuleW");
    setCurrentLogPath = Bind<SetCurrentLogPathFn>(library, "OrvInfoSetCurrentLogPathW");
    return 0;
}

uint32_t COrvInfoLog::CreateInfoHandle(HINSTANCE instance) {
    if (!library || !createInfoHandle) return 0;
    infoHandle = createInfoHandle(instance);
    return infoHandle;
}

int COrvInfoLog::SetThreadName(const wchar_t* name) {
    if (!library || !setThreadName) return 0;
    return setThreadName(infoHandle, name, 0);
}

int COrvInfoLog::WriteLogV(int level, const wchar_t* format, va_list arguments) {
    if (!library) return 0;
    // The line is formatted on the calling thread's stack: nothing shared, no lock needed.
    wchar_t line[kLineCapacity];
    int written = ::_vsnwprintf(line, kLineCapacity - 1, format, arguments);
    if (written < 0) written = static_cast<int>(kLineCapacity - 1);  // cut, not overrun
    line[written] = L'\0';
    if (!writeLog) return 0;
    return writeLog(infoHandle, line, level);
}

int COrvInfoLog::WriteLog(int level, const wchar_t* format, ...) {
    if (!library) return 0;
    va_list arguments;
    va_start(arguments, format);
    int result = WriteLogV(level, format, arguments);
    va_end(arguments);
    return result;
}

void COrvInfoLog::Unload() {
    if (library) ::FreeLibrary(library);
    *this = COrvInfoLog{};
}

COrvInfoLog& TheLog() {
    static COrvInfoLog log;
    return log;
}

int WriteLog(int level, const wchar_t* format, ...) {
    COrvInfoLog& log = TheLog();
    if (!log.library) return 0;
    va_list arguments;
    va_start(arguments, format);
    int result = log.WriteLogV(level, format, arguments);
    va_end(arguments);
    return result;
}
