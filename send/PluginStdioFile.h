// Reader of the host's file list: UTF-16 little-endian text, one path per line.
#pragma once

#include "support/Raii.h"

#include <memory>
#include <string>
#include <vector>

class PluginTarget;

using TargetArray = std::vector<std::unique_ptr<PluginTarget>>;

class PluginStdioFile {
public:
    PluginStdioFile() = default;
    virtual ~PluginStdioFile() = default;  // the file owner closes an open file
    PluginStdioFile(const PluginStdioFile&) = delete;
    PluginStdioFile& operator=(const PluginStdioFile&) = delete;

    // Opens the list and positions it after a byte-order mark. 0, or a file-exception cause;
    // 1 for a path that is no disk file (a device, pipe or console).
    [[nodiscard]] int Open(const std::wstring& path);
    // Appends one file target per non-empty line, its path made absolute. 0 at the end of the
    // file; 1 on a read error or a line whose NUL hides more text, with the targets read so
    // far kept.
    [[nodiscard]] int ReadTargets(TargetArray& targets);
    [[nodiscard]] int ReadFileList(TargetArray& targets, const std::wstring& path);

    // The file-exception cause of a system error code (1 for codes without a cause of their own).
    static int CauseOfError(DWORD error);

private:
    raii::UniqueFile m_file;
};
