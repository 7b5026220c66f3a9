#include "settings/PluginSettingFile.h"

#include <shlobj.h>

namespace {
constexpr int kRoamingAppData = CSIDL_APPDATA;  // 26
constexpr wchar_t kSubFolder[] = L"Orvane\\PluginForBrellix";
constexpr wchar_t kFileName[] = L"PluginForBrellix.xml";
}  // namespace

void PluginSettingFileBrellix::GetFilePath(MyFilePath& path) {
    MyFolderPath folder(m_baseFolder);
    if (m_baseFolder.empty() && !folder.SetSpecialFolder(kRoamingAppData, true)) {
        path.SetPath(std::wstring());
        return;
    }
    folder.Append(kSubFolder);
    path.SetPath(folder.Join(kFileName).GetPath());
}
