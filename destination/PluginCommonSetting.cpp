#include "destination/PluginCommonSetting.h"

#include "settings/PluginReader.h"
#include "settings/PluginWriter.h"
#include "support/ResultCodes.h"
#include "ui/PluginCommonSettingDialog.h"

namespace {

constexpr wchar_t kShowRenames[] = L"ShowRenames";

}  // namespace

int PluginCommonSettingSend2Folder::ReadSetting(PluginReader* reader) {
    if (!reader) return result::kBadArguments;
    int code = reader->ReadParam(&m_showRenames, kShowRenames, setting_scope::kCommon);
    switch (code) {
        case result::kFileNotFound:
        case result::kBadEnvironment:
        case result::kNotStored:
            m_showRenames = true;  // not stored: the warning is on by default
            return result::kSuccess;
        default:
            return code;
    }
}

int PluginCommonSettingSend2Folder::WriteSetting(PluginWriter* writer) {
    if (!writer) return result::kBadArguments;
    return writer->WriteParam(kShowRenames, m_showRenames, setting_scope::kCommon);
}

int PluginCommonSettingSend2Folder::ShowDialog(HWND /*owner*/) {
    PluginCommonSettingDialog dialog(nullptr);
    (void)dialog.SetValue(m_showRenames);
    int endCode = static_cast<int>(dialog.DoModal());
    // The dialog reads its check box only on OK, so any other end keeps the value.
    m_showRenames = dialog.GetValue();
    return endCode;
}
