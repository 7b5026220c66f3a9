// Helpers of the COM tests: running Windows programs of the prefix (regsvr32, cscript, reg)
// and looking at registry keys.
#pragma once

#include "tests/common/ProcessRun.h"

#include <windows.h>

#include <string>
#include <vector>

namespace com_testing {

// The class, library and ProgID texts the registration writes.
extern const wchar_t kClassKey[];   // CLSID\{...}
extern const wchar_t kProgId[];
extern const wchar_t kIndependentProgId[];

std::wstring PluginDllPath();

using testing_support::ProcessResult;
using testing_support::RunProcess;

bool KeyExists(HKEY root, const std::wstring& subKey);
// The default value (or a named value) of a key; empty when missing.
std::wstring ReadString(HKEY root, const std::wstring& subKey, const wchar_t* valueName = nullptr);

// Registers or unregisters the DLL through regsvr32 with extra switches; the exit code.
DWORD RegSvr32(const std::wstring& switches);

using testing_support::Lines;

}  // namespace com_testing
