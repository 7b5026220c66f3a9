#include "destination/PluginTargetAppChecker.h"

#include "destination/PluginDefaultDestination.h"
#include "settings/PluginReader.h"
#include "settings/PluginSettingSummary.h"
#include "support/Localization.h"
#include "support/MessageTexts.h"
#include "support/ResultCodes.h"

namespace {

constexpr wchar_t kIsTargetInstalled[] = L"IsTargetInstalled";
constexpr int kCommonScope = 0;

}  // namespace

bool PluginTargetAppChecker::CheckTargetInstalled(PluginReader* reader) {
    bool installed = false;
    if (reader) {
        // Any failure (no file, no section, no parameter, not a boolean) leaves false.
        (void)reader->ReadParam(&installed, kIsTargetInstalled, kCommonScope);
    }
    return installed;
}

const PluginMessage& PluginTargetAppChecker::GetInstallMessage() {
    if (!m_message) {
        m_message = std::make_unique<PluginMessage>(
            texts::HaveYouInstalled() + L"\n\n" + texts::NecessaryToInstall(), texts::InstallThe());
    }
    return *m_message;
}

int PluginTargetAppChecker::AskInstalled(HWND owner) {
    return ShowMessage(owner, GetInstallMessage().GetText(), texts::Confirmation(), MB_YESNO);
}

int PluginTargetAppChecker::AddSummaryLine(PluginSettingSummary* summary, PluginReader* reader) {
    if (!summary) return result::kBadArguments;
    if (!CheckTargetInstalled(reader)) summary->AddLine(GetInstallMessage().GetSummaryLine());
    return result::kSuccess;
}

bool PluginTargetAppCheckerBrellix::CheckTargetInstalled(PluginReader* reader) {
    if (PluginTargetAppChecker::CheckTargetInstalled(reader)) return true;
    return PluginBrellixDrive().IsApplicationInstalled();
}
