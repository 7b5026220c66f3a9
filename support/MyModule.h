// Information about a loaded module: its full file name and its file version.
#pragma once

#include <windows.h>

#include <string>

class MyModule {
public:
    explicit MyModule(std::wstring fileName) : m_fileName(std::move(fileName)) {}
    virtual ~MyModule() = default;

    // The already loaded module of that name; null when it is not loaded.
    HMODULE GetHandle() const;
    // Full path of the module; empty when the module is not loaded or the call fails.
    std::wstring GetFileName() const;
    // FileVersion of the module's first translation, commas turned into dots; empty on failure.
    std::wstring GetVersion() const;

    // The module that contains the plug-in's code (the DLL, or a test program that links it).
    static HMODULE CodeModule();
    // Full path of any module handle; empty on failure (never a cut-off path).
    static std::wstring FileNameOf(HMODULE module);

private:
    std::wstring m_fileName;
};
