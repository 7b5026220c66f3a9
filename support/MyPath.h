// Path values: wide Windows paths with the few manipulations the plug-in needs.
// The manipulations work on text of any length; calls that reach the file system use the
// extended-length form for long paths, so a path over 260 characters is neither cut nor
// allowed to overrun a buffer.
#pragma once

#include <windows.h>

#include <string>

class MyPath {
public:
    virtual ~MyPath() = default;
    virtual const std::wstring& GetPath() const = 0;
    virtual std::wstring& GetPathRef() = 0;
    virtual std::wstring CopyPath() const = 0;
    virtual void SetPath(const std::wstring& path) = 0;
};

class MyFilePath : public MyPath {
public:
    explicit MyFilePath(std::wstring path) : m_path(std::move(path)) {}

    const std::wstring& GetPath() const override { return m_path; }
    std::wstring& GetPathRef() override { return m_path; }
    std::wstring CopyPath() const override { return m_path; }
    void SetPath(const std::wstring& path) override { m_path = path; }

    bool Exists() const;
    // The path without its last component; C:\b.txt gives C:\. Empty when nothing can be removed.
    std::wstring GetFolder() const;
    std::wstring GetFileName() const;
    MyFilePath AddSuffix(const std::wstring& suffix) const;
    MyFilePath RemoveNumberSuffix() const;
    MyFilePath AddNumber(int number) const;

private:
    std::wstring m_path;
};

class MyFolderPath : public MyPath {
public:
    MyFolderPath() = default;
    explicit MyFolderPath(std::wstring path) : m_path(std::move(path)) {}

    const std::wstring& GetPath() const override { return m_path; }
    std::wstring& GetPathRef() override { return m_path; }
    std::wstring CopyPath() const override { return m_path; }
    void SetPath(const std::wstring& path) override { m_path = path; }

    bool Exists() const;
    MyFolderPath Join(const std::wstring& name) const;
    void Append(const std::wstring& name);
    // Replaces the path with a shell special folder (CSIDL number). On failure the path is
    // left as it was and false is returned.
    bool SetSpecialFolder(int csidl, bool create);
    [[nodiscard]] DWORD CreateRecursive() const;
    // Fills data from FindFirstFileW on the folder; on failure data is left untouched.
    [[nodiscard]] DWORD GetFindData(WIN32_FIND_DATAW& data) const;
    // Opens the folder in a file-browser window; 0 or the shell's error value (32 or less).
    [[nodiscard]] int Explore() const;

private:
    std::wstring m_path;
};

namespace path_text {

// The extension of the last component, dot included; empty when it has no dot.
std::wstring Extension(const std::wstring& path);
// Index just after the last separator (0 when there is none).
size_t FileNameStart(const std::wstring& path);
// Joins with exactly one backslash between folder and name.
std::wstring Join(const std::wstring& folder, const std::wstring& name);
// The absolute form of a path as the system itself resolves a short one: relative paths
// against the current folder, `.` and `..` resolved, repeated and forward separators made
// single backslashes, trailing dots and spaces of the last component dropped. The path as
// it is when it cannot be resolved (empty, or too long even for the extended form).
std::wstring FullPath(const std::wstring& path);
// The form to hand to file-system calls: the full path, and for paths of MAX_PATH
// characters or more the extended-length prefix (\\?\ or \\?\UNC\) so that they are not
// cut or refused. The system takes an extended path literally, which is why it is resolved
// first: `..` in a long path then means what it means in a short one.
std::wstring ForFileSystem(const std::wstring& path);
// Whether a file or folder of that name exists (any length).
bool Exists(const std::wstring& path);

}  // namespace path_text
