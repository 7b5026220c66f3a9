#include "tests/com/ComTestSupport.h"

#include "support/Raii.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <sstream>

namespace com_testing {

const wchar_t kClassKey[] = L"CLSID\\{581915C2-6123-4066-848D-4C013413F7AA}";
const wchar_t kProgId[] = L"PluginForBrellix.Main.1";
const wchar_t kIndependentProgId[] = L"PluginForBrellix.Main";

std::wstring PluginDllPath() { return testing_support::BinFolder() + L"\\PluginForBrellix.dll"; }

ProcessResult RunProcess(const std::wstring& commandLine) {
    ProcessResult result;
    testing_support::ScratchFolder scratch;
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
    result.output = testing_support::ReadFileBytes(outputPath);
    return result;
}

bool KeyExists(HKEY root, const std::wstring& subKey) {
    raii::UniqueKey key;
    return ::RegOpenKeyExW(root, subKey.c_str(), 0, KEY_READ, key.Put()) == ERROR_SUCCESS;
}

std::wstring ReadString(HKEY root, const std::wstring& subKey, const wchar_t* valueName) {
    wchar_t buffer[2048] = {};
    DWORD size = sizeof(buffer) - sizeof(wchar_t);
    if (::RegGetValueW(root, subKey.c_str(), valueName, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS) {
        return std::wstring();
    }
    return buffer;
}

DWORD RegSvr32(const std::wstring& switches) {
    return RunProcess(L"regsvr32.exe " + switches + L" \"" + PluginDllPath() + L"\"").exitCode;
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

}  // namespace com_testing
