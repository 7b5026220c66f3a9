// Decides whether the cloud application counts as installed and, when it does not, asks the
// user before a save and adds a reminder line to a job's settings summary. Lives for one host
// call.
#pragma once

#include "destination/PluginMessage.h"

#include <windows.h>

#include <memory>

class PluginReader;
class PluginSettingSummary;

class PluginTargetAppChecker {
public:
    PluginTargetAppChecker() = default;
    virtual ~PluginTargetAppChecker() = default;
    PluginTargetAppChecker(const PluginTargetAppChecker&) = delete;
    PluginTargetAppChecker& operator=(const PluginTargetAppChecker&) = delete;

    // The common setting "IsTargetInstalled" of the settings file; false when it cannot be read.
    virtual bool CheckTargetInstalled(PluginReader* reader);
    // Built on the first call; the same object afterwards, owned by the checker.
    virtual const PluginMessage& GetInstallMessage();

    // Asks with Yes and No whether the application is installed; IDYES or IDNO.
    int AskInstalled(HWND owner);
    // Adds the reminder line when the application does not count as installed.
    // 160 without a summary, else 0.
    [[nodiscard]] int AddSummaryLine(PluginSettingSummary* summary, PluginReader* reader);

private:
    std::unique_ptr<PluginMessage> m_message;
};

class PluginTargetAppCheckerBrellix : public PluginTargetAppChecker {
public:
    // The settings file's declaration, or else the application's own registry keys.
    bool CheckTargetInstalled(PluginReader* reader) override;
};
