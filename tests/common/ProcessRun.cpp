#include "tests/common/ProcessRun.h"

#include "support/Raii.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <sstream>

namespace testing_support {

ProcessResult RunProcess(const std::wstring& commandLine) {
    ProcessResult result;
    ScratchFolder scratch;
    std::wstring outputPath = scratch / L"output.txt";
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    raii::UniqueFile output(::CreateFileW(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                          &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!output) {
        ADD_FAILURE() << "cannot create output file";
        return result;
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nullptr;
    startup.hStdOutput = output.Get();
    startup.hStdError = output.Get();
    PROCESS_INFORMATION process = {};
    std::wstring mutableLine = commandLine;
    if (!::CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                          &process)) {
        ADD_FAILURE() << "cannot start process, error " << ::GetLastError();
        return result;
    }
    raii::UniqueHandle processHandle(process.hProcess);
    raii::UniqueHandle threadHandle(process.hThread);
    ::WaitForSingleObject(process.hProcess, INFINITE);
    ::GetExitCodeProcess(process.hProcess, &result.exitCode);
    output.Reset();
    result.output = ReadFileBytes(outputPath);
    return result;
}

std::vector<std::string> Lines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::istringstream stream(bytes);
    std::string line;
    while (std::getline(stream, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

}  // namespace testing_support
