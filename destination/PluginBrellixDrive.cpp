#include "destination/PluginDefaultDestination.h"

#include "support/MyPath.h"
#include "support/MyRegistoryEntry.h"
#include "support/Raii.h"
#include "support/ResultCodes.h"

#include <shlobj.h>

namespace {

bool OpensForReadAndWrite(const wchar_t* subKey) {
    // A key the user may read but not write counts as missing: the application's own
    // per-user installation always leaves its keys writable.
    raii::UniqueKey key;
    return ::RegOpenKeyExW(HKEY_CURRENT_USER, subKey, 0, KEY_READ | KEY_WRITE, key.Put()) == ERROR_SUCCESS;
}

}  // namespace

int PluginBrellixDrive::GetRootFolder(std::wstring* root) {
    if (!root) return result::kBadArguments;
    MyRegistoryEntry entry;
    if (entry.ReadString(*root, HKEY_CURRENT_USER, brellix_registry::kSyncFolderValue,
                         brellix_registry::kGeneralKey) == ERROR_SUCCESS) {
        return result::kSuccess;
    }
    return GetFallbackRootFolder(root);
}

int PluginBrellixDrive::GetFallbackRootFolder(std::wstring* root) {
    if (!root) return result::kBadArguments;
    MyFolderPath folder;
    if (!folder.SetSpecialFolder(CSIDL_PERSONAL, true)) return result::kSyncFolderNotFound;
    folder.Append(brellix_registry::kFallbackFolderName);
    if (!folder.Exists()) return result::kSyncFolderNotFound;
    *root = folder.GetPath();
    return result::kSuccess;
}

bool PluginBrellixDrive::IsApplicationInstalled() {
    return OpensForReadAndWrite(brellix_registry::kApplicationKey) ||
           OpensForReadAndWrite(brellix_registry::kOlderApplicationKey);
}
