// Cloud-folder locators: each answers one question, where the cloud application's local sync
// folder (the "root" of the destinations) lies.
#pragma once

#include <string>

class PluginDefaultDestination {
public:
    virtual ~PluginDefaultDestination() = default;
    // 0 and the folder's path; a failure code otherwise, with root unchanged.
    [[nodiscard]] virtual int GetRootFolder(std::wstring* root) = 0;
};

// The Brellix desktop application's sync folder, taken from its registry value, or else the
// "My Brellix" folder in the user's documents folder.
class PluginBrellixDrive : public PluginDefaultDestination {
public:
    // The registry value as it is (neither checked for existence nor trimmed), else the
    // fallback folder; 160 without an output, 0x22000000 when neither is found.
    [[nodiscard]] int GetRootFolder(std::wstring* root) override;
    // "My Brellix" in the documents folder when it exists; never created here.
    [[nodiscard]] virtual int GetFallbackRootFolder(std::wstring* root);
    // True when one of the application's keys opens for reading and writing.
    virtual bool IsApplicationInstalled();
};

namespace brellix_registry {

constexpr wchar_t kGeneralKey[] = L"Software\\Quontel\\Brellix\\General\\";
constexpr wchar_t kSyncFolderValue[] = L"DefaultSyncFolderPath";
constexpr wchar_t kApplicationKey[] = L"Software\\Quontel\\Brellix\\";
constexpr wchar_t kOlderApplicationKey[] = L"Software\\Brellix\\";
constexpr wchar_t kFallbackFolderName[] = L"My Brellix";

}  // namespace brellix_registry
