// The copy a folder sender makes of a file before the file gets its name: the data goes once
// into a hidden temporary file of our own in the target folder, which is then renamed, without
// replacing anything, to the first name that is free. Temporaries left by a process that ended
// before renaming them are found and removed by a later run.
#pragma once

#include <windows.h>

#include <string>

namespace file_copy {

class TemporaryCopy {
public:
    TemporaryCopy() = default;
    // Removes the temporary file unless it was claimed by a name.
    ~TemporaryCopy();
    TemporaryCopy(const TemporaryCopy&) = delete;
    TemporaryCopy& operator=(const TemporaryCopy&) = delete;

    // Copies source into a new temporary file in folder, hidden and marked temporary. 0, or the
    // system's error code (nothing is left behind then).
    [[nodiscard]] DWORD CopyFrom(const std::wstring& source, const std::wstring& folder);
    // Forces the temporary file's data onto the disk. 0 or the system's error code.
    [[nodiscard]] DWORD Flush();
    // Renames the temporary file to target without replacing anything there; writeThrough
    // returns only once the rename is on the disk. 0; 80 (ERROR_FILE_EXISTS) when something
    // exists at target, and the temporary stays for another name; otherwise the system's code.
    [[nodiscard]] DWORD ClaimName(const std::wstring& target, bool writeThrough);
    bool HasData() const { return !m_path.empty(); }
    const std::wstring& GetPath() const { return m_path; }

private:
    void Remove();

    std::wstring m_path;     // empty when there is no temporary file
    DWORD m_attributes = 0;  // the copy's own attributes, given back before it is named
};

// The prefix and extension of every temporary file name.
constexpr wchar_t kTemporaryPrefix[] = L"~plg";
constexpr wchar_t kTemporaryExtension[] = L".tmp";

// A temporary file name of this process: ~plg<pid>_<process start>_<n>.tmp (hexadecimal). The
// start time tells a later run whether the process of that number is still the one that made it.
std::wstring TemporaryName();

// Removes the temporary files in folder whose process has ended (also those of a process
// whose number was given to a new process since). Those of live processes, this one included,
// stay. Answers how many were removed.
int RemoveStaleTemporaries(const std::wstring& folder);

// Copies source to target without ever replacing anything at target and without a partial
// file ever appearing under the target's name. 0 on success; 80 (ERROR_FILE_EXISTS) when
// something exists at target; otherwise the system's error code.
[[nodiscard]] DWORD CopyWithoutReplacing(const std::wstring& source, const std::wstring& target);

}  // namespace file_copy
