// Shared fixtures of the test programs: scratch folders and registry keys that remove
// themselves, and where the build put the things under test.
#pragma once

#include "support/Raii.h"

#include <windows.h>

#include <string>

namespace testing_support {

// Windows path of the build's bin folder (test programs, the plug-in DLL).
std::wstring BinFolder();
// Windows path of the folder holding the stand-in libraries.
std::wstring StandinFolder();
// Windows path of the source tree.
std::wstring SourceFolder();

// Writes bytes to a file, creating or replacing it. Fails the test on error.
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
std::string ReadFileBytes(const std::wstring& path);
// Copies a file, replacing the target. Fails the test on error.
void CopyFileOrFail(const std::wstring& from, const std::wstring& to);

// A new empty folder under the temporary folder, removed with everything in it at the end.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::wstring& Path() const { return m_path; }
    std::wstring operator/(const std::wstring& name) const { return m_path + L"\\" + name; }

private:
    std::wstring m_path;
};

// Removes a folder tree (any length).
void RemoveTree(const std::wstring& path);

// A new registry key "Software\PluginTests\<unique>" under a root, deleted with its subtree
// at the end.
class ScratchKey {
public:
    explicit ScratchKey(HKEY root = HKEY_CURRENT_USER);
    ~ScratchKey();
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;

    HKEY Root() const { return m_root; }
    const std::wstring& SubKey() const { return m_subKey; }
    void SetString(const wchar_t* valueName, const std::wstring& value, DWORD type = REG_SZ,
                   const std::wstring& below = L"");
    void SetDword(const wchar_t* valueName, DWORD value, const std::wstring& below = L"");

private:
    HKEY m_root;
    std::wstring m_subKey;
};

// Sets a registry string value for the life of the object and puts back what was there.
class RegistryValueOverride {
public:
    RegistryValueOverride(HKEY root, std::wstring subKey, std::wstring valueName, const std::wstring* value);
    ~RegistryValueOverride();
    RegistryValueOverride(const RegistryValueOverride&) = delete;
    RegistryValueOverride& operator=(const RegistryValueOverride&) = delete;

private:
    HKEY m_root;
    std::wstring m_subKey;
    std::wstring m_valueName;
    bool m_hadValue = false;
    bool m_hadKey = false;
    DWORD m_type = 0;
    std::string m_bytes;
};

// Sets an environment variable for the life of the object and removes it afterwards;
// programs started meanwhile inherit it.
class EnvironmentOverride {
public:
    EnvironmentOverride(const wchar_t* name, const std::wstring& value) : m_name(name) {
        ::SetEnvironmentVariableW(name, value.c_str());
    }
    ~EnvironmentOverride() { ::SetEnvironmentVariableW(m_name, nullptr); }
    EnvironmentOverride(const EnvironmentOverride&) = delete;
    EnvironmentOverride& operator=(const EnvironmentOverride&) = delete;

private:
    const wchar_t* m_name;
};

// Converts a Linux path of the build into the Windows path Wine maps it to (Z:\...).
std::wstring FromUnixPath(const char* path);

}  // namespace testing_support
