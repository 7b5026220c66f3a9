// Fixtures of the tests that need the cloud application's registry entries and its
// fallback folder put into a known state and restored afterwards.
#pragma once

#include <windows.h>

#include <string>

namespace testing_support {

// Moves the cloud application's keys ("Software\Quontel" and "Software\Brellix" under
// HKEY_CURRENT_USER) aside for the life of the object, so a test starts with none of them, and
// puts the originals back at the end whatever the test created.
class CloudRegistryState {
public:
    CloudRegistryState();
    ~CloudRegistryState();
    CloudRegistryState(const CloudRegistryState&) = delete;
    CloudRegistryState& operator=(const CloudRegistryState&) = delete;

    // Sets the sync-folder value (creating the keys).
    void SetSyncFolder(const std::wstring& path);
    // Creates an empty key below HKEY_CURRENT_USER.
    void CreateKey(const std::wstring& subKey);

private:
    std::wstring m_backupKey;
};

// Moves a "My Brellix" folder of the documents folder aside for the life of the object and
// removes whatever a test left there.
class FallbackFolderState {
public:
    FallbackFolderState();
    ~FallbackFolderState();
    FallbackFolderState(const FallbackFolderState&) = delete;
    FallbackFolderState& operator=(const FallbackFolderState&) = delete;

    const std::wstring& Path() const { return m_path; }
    void Create();

private:
    std::wstring m_path;
    std::wstring m_savedPath;
};

}  // namespace testing_support
