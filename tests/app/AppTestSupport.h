// Shared fixture of the application-object tests: the real plug-in object with its settings
// file under a scratch folder that stands in for the roaming application-data folder, and the
// log captured through the stand-in log library.
#pragma once

#include "app/PluginAppBrellix.h"
#include "settings/PluginSettingFile.h"
#include "support/Raii.h"
#include "tests/common/LogCapture.h"
#include "tests/common/TestSupport.h"
#include "tests/common/UiRobot.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

namespace app_testing {

// Braced job IDs as the settings file holds them.
constexpr char kIdA[] = "{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9}";
constexpr char kIdB[] = "{11111111-2222-3333-4444-555555555555}";
constexpr char kIdC[] = "{C0C0C0C0-0000-1111-2222-333333333333}";

// A settings file of two jobs and a common section, as the plug-in saves one.
std::string SettingsText(const std::string& sections);
// "<Setting ID=... LastUpdate=...>parameters</Setting>"
std::string Record(const char* id, const char* stamp, const std::string& parameters);

class AppFixture : public ::testing::Test {
protected:
    AppFixture() : m_app(m_base.Path()) {}

    // Where the plug-in keeps its settings file in this test.
    std::wstring SettingsPath() const;
    void WriteSettings(const std::string& text) const;
    std::string Saved() const;
    bool SettingsExist() const;

    raii::ComApartment m_apartment;
    testing_support::ScratchFolder m_base;
    testing_support::LogCapture m_log;
    PluginAppBrellix m_app;
};

// The plug-in's error message boxes ("Error" caption) seen while a call ran; a UI robot reads
// each and presses OK, so a test expecting none does not hang when one appears.
struct SeenErrorBox {
    std::wstring text;
    bool owned = false;        // it has an owner window
    bool singleButton = false;  // OK is its only button
};

class ErrorBoxAnswerer {
public:
    ErrorBoxAnswerer();
    ~ErrorBoxAnswerer() { Finish(); }
    ErrorBoxAnswerer(const ErrorBoxAnswerer&) = delete;
    ErrorBoxAnswerer& operator=(const ErrorBoxAnswerer&) = delete;

    // Stops watching; the boxes seen so far. Call after the plug-in's calls have returned.
    std::vector<SeenErrorBox> Finish();

private:
    void Watch(UiRobot& robot);

    std::atomic<bool> m_stop{false};
    std::vector<SeenErrorBox> m_seen;
    UiRobot m_robot;  // last: its thread uses the members above
};

}  // namespace app_testing
