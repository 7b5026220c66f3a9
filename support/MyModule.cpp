#include "support/MyModule.h"

#include <cstdio>
#include <vector>

HMODULE MyModule::GetHandle() const { return ::GetModuleHandleW(m_fileName.c_str()); }

std::wstring MyModule::FileNameOf(HMODULE module) {
    // Grow the buffer rather than accept a silently truncated path.
    for (DWORD size = MAX_PATH; size <= 32768; size *= 2) {
        std::vector<wchar_t> buffer(size);
        DWORD length = ::GetModuleFileNameW(module, buffer.data(), size);
        if (length == 0) return std::wstring();
        if (length < size) return std::wstring(buffer.data(), length);
    }
    return std::wstring();
}

std::wstring MyModule::GetFileName() const {
    HMODULE module = GetHandle();
    if (!module) return std::wstring();
    return FileNameOf(module);
}

HMODULE MyModule::CodeModule() {
    HMODULE module = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&MyModule::CodeModule), &module);
    return module;
}

std::wstring MyModule::GetVersion() const {
    std::wstring fileName = GetFileName();
    if (fileName.empty()) return std::wstring();

    DWORD ignored = 0;
    DWORD size = ::GetFileVersionInfoSizeW(fileName.c_str(), &ignored);
    if (size == 0) return std::wstring();
    std::vector<BYTE> block(size);
    if (!::GetFileVersionInfoW(fileName.c_str(), 0, size, block.data())) return std::wstring();

    struct Translation {
        WORD language;
        WORD codePage;
    };
    Translation* translation = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                          &length) ||
        length < sizeof(Translation)) {
        return std::wstring();
    }

    wchar_t key[64];
    std::swprintf(key, 64, L"\\StringFileInfo\\%04x%04x\\FileVersion", translation->language,
                  translation->codePage);
    wchar_t* value = nullptr;
    if (!::VerQueryValueW(block.data(), key, reinterpret_cast<void**>(&value), &length) || !value) {
        return std::wstring();
    }
    std::wstring version(value);
    for (wchar_t& c : version) {
        if (c == L',') c = L'.';
    }
    return version;
}
