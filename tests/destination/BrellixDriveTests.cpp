#include "destination/PluginDefaultDestination.h"
#include "support/ResultCodes.h"
#include "tests/common/TestSupport.h"
#include "tests/common/CloudTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using testing_support::CloudRegistryState;
using testing_support::FallbackFolderState;

TEST(PluginBrellixDrive, RootFolderComesFromRegistryValueOrFallbackFolder) {
    struct Case {
        const char* name;
        std::function<void(CloudRegistryState&, FallbackFolderState&)> arrange;
        int expectedCode;
        // Empty: the output stays unchanged; "<fallback>": the documents folder's "My Brellix".
        std::wstring expectedRoot;
    };
    const std::wstring fallback = L"<fallback>";
    const Case cases[] = {
        {"value names a folder that does not exist",
         [](CloudRegistryState& registry, FallbackFolderState&) { registry.SetSyncFolder(L"Q:\\NoSuch\\Sync"); },
         0, L"Q:\\NoSuch\\Sync"},
        {"value wins over an existing fallback folder, untrimmed",
         [](CloudRegistryState& registry, FallbackFolderState& folder) {
             registry.SetSyncFolder(L"C:\\Sync Folder  ");
             folder.Create();
         },
         0, L"C:\\Sync Folder  "},
        {"empty value is a value", [](CloudRegistryState& registry, FallbackFolderState&) { registry.SetSyncFolder(L""); },
         0, L""},
        {"no value, fallback folder exists",
         [](CloudRegistryState&, FallbackFolderState& folder) { folder.Create(); }, 0, fallback},
        {"general key without the value, fallback folder exists",
         [](CloudRegistryState& registry, FallbackFolderState& folder) {
             registry.CreateKey(brellix_registry::kGeneralKey);
             folder.Create();
         },
         0, fallback},
        {"neither value nor fallback folder", [](CloudRegistryState&, FallbackFolderState&) {},
         result::kSyncFolderNotFound, L"unchanged"},
        {"a file named like the fallback folder counts as present",
         [](CloudRegistryState&, FallbackFolderState& folder) {
             testing_support::WriteFileBytes(folder.Path(), "x");
         },
         0, fallback},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CloudRegistryState registry;
        FallbackFolderState folder;
        c.arrange(registry, folder);
        std::wstring root = L"unchanged";
        PluginBrellixDrive drive;
        EXPECT_EQ(drive.GetRootFolder(&root), c.expectedCode);
        EXPECT_EQ(root, c.expectedRoot == fallback ? folder.Path() : c.expectedRoot);
    }
}

TEST(PluginBrellixDrive, FallbackFolderIsNeverCreated) {
    CloudRegistryState registry;
    FallbackFolderState folder;
    PluginBrellixDrive drive;
    std::wstring root = L"unchanged";
    EXPECT_EQ(drive.GetFallbackRootFolder(&root), result::kSyncFolderNotFound);
    EXPECT_EQ(root, L"unchanged");
    EXPECT_EQ(::GetFileAttributesW(folder.Path().c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(PluginBrellixDrive, MissingOutputIsABadArgument) {
    CloudRegistryState registry;
    registry.SetSyncFolder(L"C:\\Sync");
    PluginBrellixDrive drive;
    EXPECT_EQ(drive.GetRootFolder(nullptr), result::kBadArguments);
    EXPECT_EQ(drive.GetFallbackRootFolder(nullptr), result::kBadArguments);
}

TEST(PluginBrellixDrive, InstalledWhenEitherApplicationKeyExists) {
    struct Case {
        const char* name;
        std::vector<std::wstring> keys;
        bool expected;
    };
    const Case cases[] = {
        {"no key", {}, false},
        {"current key", {L"Software\\Quontel\\Brellix"}, true},
        {"older key only", {L"Software\\Brellix"}, true},
        {"both keys", {L"Software\\Quontel\\Brellix", L"Software\\Brellix"}, true},
        {"only the maker's key", {L"Software\\Quontel"}, false},
        {"a sibling of the older key", {L"Software\\Brellix2"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CloudRegistryState registry;
        for (const std::wstring& key : c.keys) registry.CreateKey(key);
        EXPECT_EQ(PluginBrellixDrive().IsApplicationInstalled(), c.expected);
        ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Brellix2");
    }
}

TEST(PluginBrellixDrive, KeyThatMayNotBeWrittenCountsAsMissing) {
    CloudRegistryState registry;
    registry.CreateKey(L"Software\\Brellix");
    {
        // Read access only, for everyone.
        SECURITY_DESCRIPTOR descriptor;
        ASSERT_TRUE(::InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION));
        SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
        PSID everyone = nullptr;
        ASSERT_TRUE(::AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone));
        alignas(DWORD) BYTE aclBuffer[256];
        PACL acl = reinterpret_cast<PACL>(aclBuffer);
        ASSERT_TRUE(::InitializeAcl(acl, sizeof aclBuffer, ACL_REVISION));
        ASSERT_TRUE(::AddAccessAllowedAce(acl, ACL_REVISION, KEY_READ | WRITE_DAC, everyone));
        ASSERT_TRUE(::SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE));
        HKEY key = nullptr;
        ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Brellix", 0, WRITE_DAC, &key), ERROR_SUCCESS);
        EXPECT_EQ(::RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor), ERROR_SUCCESS);
        ::RegCloseKey(key);
        ::FreeSid(everyone);
    }
    HKEY probe = nullptr;
    LSTATUS writeOpen = ::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Brellix", 0, KEY_READ | KEY_WRITE, &probe);
    if (probe) ::RegCloseKey(probe);
    if (writeOpen == ERROR_SUCCESS) GTEST_SKIP() << "this registry does not enforce key permissions";
    EXPECT_FALSE(PluginBrellixDrive().IsApplicationInstalled());
}
