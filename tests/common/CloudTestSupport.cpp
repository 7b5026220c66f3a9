#include "tests/common/CloudTestSupport.h"

#include "destination/PluginDefaultDestination.h"
#include "support/MyPath.h"
#include "tests/common/TestSupport.h"

#include <shlobj.h>

#include <gtest/gtest.h>


namespace testing_support {

namespace {

const wchar_t* const kCloudKeys[] = {L"Software\\Quontel", L"Software\\Brellix"};

bool KeyExists(HKEY root, const std::wstring& subKey) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    ::RegCloseKey(key);
    return true;
}

// Copies the tree at from (if any) to to, replacing whatever is at to.
void CopyTree(const std::wstring& from, const std::wstring& to) {
    ::RegDeleteTreeW(HKEY_CURRENT_USER, to.c_str());
    HKEY source = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, from.c_str(), 0, KEY_READ, &source) != ERROR_SUCCESS) return;
    HKEY target = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, to.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &target,
                                nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(::RegCopyTreeW(source, nullptr, target), ERROR_SUCCESS);
    ::RegCloseKey(target);
    ::RegCloseKey(source);
}

}  // namespace

CloudRegistryState::CloudRegistryState()
    : m_backupKey(L"Software\\PluginTests\\CloudBackup" + std::to_wstring(::GetCurrentProcessId())) {
    for (const wchar_t* key : kCloudKeys) {
        CopyTree(key, m_backupKey + L"\\" + (key + 9));  // below the backup as "Quontel" / "Brellix"
        ::RegDeleteTreeW(HKEY_CURRENT_USER, key);
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, key));
    }
}

CloudRegistryState::~CloudRegistryState() {
    for (const wchar_t* key : kCloudKeys) {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, key);
        CopyTree(m_backupKey + L"\\" + (key + 9), key);
    }
    ::RegDeleteTreeW(HKEY_CURRENT_USER, m_backupKey.c_str());
}

void CloudRegistryState::SetSyncFolder(const std::wstring& path) {
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, brellix_registry::kGeneralKey, brellix_registry::kSyncFolderValue,
                                REG_SZ, path.c_str(), static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
}

void CloudRegistryState::CreateKey(const std::wstring& subKey) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, subKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                nullptr),
              ERROR_SUCCESS);
    ::RegCloseKey(key);
}

FallbackFolderState::FallbackFolderState() {
    MyFolderPath documents;
    EXPECT_TRUE(documents.SetSpecialFolder(CSIDL_PERSONAL, true));
    m_path = documents.Join(brellix_registry::kFallbackFolderName).GetPath();
    if (path_text::Exists(m_path)) {
        m_savedPath = m_path + L".saved" + std::to_wstring(::GetCurrentProcessId());
        EXPECT_TRUE(::MoveFileW(m_path.c_str(), m_savedPath.c_str()));
    }
}

FallbackFolderState::~FallbackFolderState() {
    DWORD attributes = ::GetFileAttributesW(m_path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        ::DeleteFileW(m_path.c_str());
    } else {
        testing_support::RemoveTree(m_path);
    }
    EXPECT_FALSE(path_text::Exists(m_path)) << "test leftovers removed";
    if (!m_savedPath.empty()) ::MoveFileW(m_savedPath.c_str(), m_path.c_str());
}

void FallbackFolderState::Create() { ASSERT_TRUE(::CreateDirectoryW(m_path.c_str(), nullptr)); }

}  // namespace testing_support
