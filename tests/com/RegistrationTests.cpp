// Registration through Wine's regsvr32: the keys of the class, the per-user switch of
// DllInstall, and unregistration.
#include "tests/com/ComTestSupport.h"

#include <gtest/gtest.h>

using namespace com_testing;

namespace {

const wchar_t kUserClasses[] = L"Software\\Classes\\";
const wchar_t kClassId[] = L"{581915C2-6123-4066-848D-4C013413F7AA}";
const wchar_t kLibraryId[] = L"{70698EDB-89E8-489A-AA50-D90D03208552}";

std::wstring UserKey(const std::wstring& key) { return kUserClasses + key; }

// Each test starts and ends with nothing registered, machine-wide or per user.
class Registration : public ::testing::Test {
protected:
    void SetUp() override { UnregisterAll(); }
    void TearDown() override { UnregisterAll(); }

    static void UnregisterAll() {
        RegSvr32(L"/s /u");
        RegSvr32(L"/s /u /n /i:user");
    }
};

struct ExpectedKey {
    std::wstring key;
    const wchar_t* valueName;
    std::wstring value;
};

std::vector<ExpectedKey> ClassTable() {
    std::wstring classKey = kClassKey;
    return {
        {kProgId, nullptr, L"Main Class"},
        {std::wstring(kProgId) + L"\\CLSID", nullptr, kClassId},
        {kIndependentProgId, nullptr, L"Main Class"},
        {std::wstring(kIndependentProgId) + L"\\CurVer", nullptr, kProgId},
        {classKey, nullptr, L"Main Class"},
        {classKey + L"\\ProgID", nullptr, kProgId},
        {classKey + L"\\VersionIndependentProgID", nullptr, kIndependentProgId},
        {classKey + L"\\InprocServer32", nullptr, PluginDllPath()},
        {classKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
        {classKey + L"\\TypeLib", nullptr, kLibraryId},
        {classKey + L"\\Version", nullptr, L"1.0"},
    };
}

void ExpectTable(HKEY root, const std::wstring& prefix) {
    for (const ExpectedKey& expected : ClassTable()) {
        std::wstring key = prefix + expected.key;
        EXPECT_TRUE(KeyExists(root, key)) << std::string(key.begin(), key.end());
        EXPECT_EQ(ReadString(root, key, expected.valueName), expected.value) << std::string(key.begin(), key.end());
    }
    EXPECT_TRUE(KeyExists(root, prefix + kClassKey + L"\\Programmable"));
}

void ExpectNoClassKeys(HKEY root, const std::wstring& prefix) {
    EXPECT_FALSE(KeyExists(root, prefix + kClassKey));
    EXPECT_FALSE(KeyExists(root, prefix + kProgId));
    EXPECT_FALSE(KeyExists(root, prefix + kIndependentProgId));
}

}  // namespace

TEST_F(Registration, Regsvr32WritesTheClassTableAndUnregistrationKeepsTheContainer) {
    ASSERT_EQ(RegSvr32(L"/s"), 0u);
    ExpectTable(HKEY_CLASSES_ROOT, L"");
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, std::wstring(L"TypeLib\\") + kLibraryId + L"\\1.0"));

    ASSERT_EQ(RegSvr32(L"/s /u"), 0u);
    ExpectNoClassKeys(HKEY_CLASSES_ROOT, L"");
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, std::wstring(L"TypeLib\\") + kLibraryId + L"\\1.0"));
}

TEST_F(Registration, RegisteringTwiceRewritesTheClassKeyWhole) {
    ASSERT_EQ(RegSvr32(L"/s"), 0u);
    // A stray subkey under the class key disappears with the next registration.
    HKEY stray = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CLASSES_ROOT, (std::wstring(kClassKey) + L"\\Stray").c_str(), 0, nullptr, 0,
                                KEY_ALL_ACCESS, nullptr, &stray, nullptr),
              ERROR_SUCCESS);
    ::RegCloseKey(stray);
    ASSERT_EQ(RegSvr32(L"/s"), 0u);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, std::wstring(kClassKey) + L"\\Stray"));
    ExpectTable(HKEY_CLASSES_ROOT, L"");
}

TEST_F(Registration, UnregisteringWhatIsNotRegisteredSucceeds) {
    EXPECT_EQ(RegSvr32(L"/s /u"), 0u);
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID"));
}

// DllInstall's command line: "user" in any case, and nothing more, means per user.
struct InstallCase {
    const wchar_t* commandLine;
    bool perUser;
};

class DllInstallCommandLine : public Registration, public ::testing::WithParamInterface<InstallCase> {};

TEST_P(DllInstallCommandLine, ChoosesWhereTheClassIsRegistered) {
    const InstallCase& param = GetParam();
    std::wstring install = std::wstring(L"/s /n /i:") + param.commandLine;
    ASSERT_EQ(RegSvr32(install), 0u);
    if (param.perUser) {
        ExpectTable(HKEY_CURRENT_USER, kUserClasses);
        ExpectNoClassKeys(HKEY_CLASSES_ROOT, L"");
    } else {
        ExpectTable(HKEY_CLASSES_ROOT, L"");
        ExpectNoClassKeys(HKEY_CURRENT_USER, kUserClasses);
    }

    ASSERT_EQ(RegSvr32(std::wstring(L"/s /u /n /i:") + param.commandLine), 0u);
    ExpectNoClassKeys(HKEY_CURRENT_USER, kUserClasses);
    ExpectNoClassKeys(HKEY_CLASSES_ROOT, L"");
    if (param.perUser) {
        EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, UserKey(L"CLSID")));
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, DllInstallCommandLine,
                         ::testing::Values(InstallCase{L"user", true}, InstallCase{L"USER", true},
                                           InstallCase{L"uSeR", true}, InstallCase{L"users", false},
                                           InstallCase{L"use", false}));
