#include "tests/com/ComTestSupport.h"

#include "support/Raii.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

namespace com_testing {

const wchar_t kClassKey[] = L"CLSID\\{581915C2-6123-4066-848D-4C013413F7AA}";
const wchar_t kProgId[] = L"PluginForBrellix.Main.1";
const wchar_t kIndependentProgId[] = L"PluginForBrellix.Main";

std::wstring PluginDllPath() { return testing_support::BinFolder() + L"\\PluginForBrellix.dll"; }

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

}  // namespace com_testing
