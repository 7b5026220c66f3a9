// The settings-summary entry: the host gets the collected lines whatever the body returns.
#include "tests/app/AppTestSupport.h"

#include "settings/PluginSettingSummary.h"
#include "support/ResultCodes.h"

#include <gtest/gtest.h>

namespace {

const GUID kJob = {0x0a1b2c3d, 0x4e5f, 0x6071, {0x82, 0x93, 0xa4, 0xb5, 0xc6, 0xd7, 0xe8, 0xf9}};

// A body that writes one pair and one line into the summary and returns a chosen code.
class SummaryApp : public PluginAppBrellix {
public:
    int code = 0;
    MyGuid lastId;
    int SettingSummaryCall(const MyGuid& id, PluginSettingSummary& summary) override {
        lastId = id;
        EXPECT_EQ(summary.GetText(), L"");  // a new, empty summary for every call
        EXPECT_EQ(summary.WriteParam(L"Destination", L"Scans", 1), 0);
        summary.AddLine(L"Install the Brellix.");
        return code;
    }
};

}  // namespace

TEST(SettingSummaryEntry, HandsOverTheTextWhateverTheResult) {
    for (int code : {0, result::kNotStored, result::kFileNotFound}) {
        SummaryApp app;
        app.code = code;
        std::wstring text = L"left over";
        EXPECT_EQ(app.SettingSummary(&kJob, text), code);
        EXPECT_EQ(text, L"Destination : Scans\nInstall the Brellix.");
        EXPECT_EQ(app.lastId.GetGuid(), kJob);
    }
}
