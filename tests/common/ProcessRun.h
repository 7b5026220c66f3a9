// Running a Windows program of the prefix from a test and reading what it printed.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace testing_support {

struct ProcessResult {
    DWORD exitCode = 0xFFFFFFFF;
    std::string output;  // stdout and stderr
};
// Runs a command line and waits for it; output is collected through a file.
ProcessResult RunProcess(const std::wstring& commandLine);

// The lines of a text, without their line ends.
std::vector<std::string> Lines(const std::string& bytes);

}  // namespace testing_support
