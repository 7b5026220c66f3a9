#include "destination/PluginDefaultDestination.h"
#include "destination/PluginDestinationBrellix.h"
#include "send/PluginSender.h"
#include "settings/PluginReader.h"
#include "settings/PluginSettingFile.h"
#include "settings/PluginSettingSummary.h"
#include "settings/PluginWriter.h"
#include "support/PluginHelp.h"
#include "support/ResultCodes.h"
#include "tests/common/LogCapture.h"
#include "tests/common/TestSupport.h"
#include "tests/common/CloudTestSupport.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include <ctime>
#include <memory>
#include <optional>
#include <regex>
#include <string>
#include <vector>

using testing_support::CloudRegistryState;
using testing_support::ScratchFolder;

namespace {

MyGuid NewJob() {
    MyGuid job;
    EXPECT_EQ(job.Create(), S_OK);
    return job;
}

// A job's settings in a scratch settings file, the cloud keys set aside, and a sync folder.
class DestinationFixture : public ::testing::Test {
protected:
    DestinationFixture() : m_job(NewJob()) {}

    void UseSyncFolder(const std::wstring& path) { m_registry.SetSyncFolder(path); }
    void UseScratchSyncFolder() { UseSyncFolder(m_sync.Path()); }

    void StoreDestination(const std::wstring& value) {
        PluginWriterXMLBrellix writer(m_job, m_settings.Path());
        ASSERT_EQ(writer.WriteParam(L"Destination", value.c_str(), 1), 0);
    }
    std::optional<std::wstring> StoredDestination() {
        PluginReaderXMLBrellix reader(m_job, m_settings.Path());
        std::wstring value;
        if (reader.ReadParam(&value, L"Destination", 1) != 0) return std::nullopt;
        return value;
    }
    std::wstring SettingsFilePath() {
        MyFilePath file(L"");
        PluginSettingFileBrellix(m_settings.Path()).GetFilePath(file);
        return file.GetPath();
    }
    // Replaces the job record's LastUpdate stamp by the given local time, or by unreadable text.
    void SetLastUpdate(std::optional<time_t> time) {
        std::string stamp = "not a time";
        if (time) {
            char buffer[32];
            std::strftime(buffer, sizeof buffer, "%Y/%m/%d %H:%M:%S", std::localtime(&*time));
            stamp = buffer;
        }
        std::string xml = testing_support::ReadFileBytes(SettingsFilePath());
        std::string changed = std::regex_replace(xml, std::regex("LastUpdate=\"[^\"]*\""), "LastUpdate=\"" + stamp + "\"");
        ASSERT_NE(changed.find("LastUpdate=\"" + stamp + "\""), std::string::npos);
        testing_support::WriteFileBytes(SettingsFilePath(), changed);
    }
    // The sync folder's creation time as a local time value.
    time_t SyncFolderCreated() {
        WIN32_FIND_DATAW data{};
        EXPECT_EQ(MyFolderPath(m_sync.Path()).GetFindData(data), 0u);
        FILETIME local{};
        SYSTEMTIME fields{};
        ::FileTimeToLocalFileTime(&data.ftCreationTime, &local);
        ::FileTimeToSystemTime(&local, &fields);
        std::tm calendar{};
        calendar.tm_year = fields.wYear - 1900;
        calendar.tm_mon = fields.wMonth - 1;
        calendar.tm_mday = fields.wDay;
        calendar.tm_hour = fields.wHour;
        calendar.tm_min = fields.wMinute;
        calendar.tm_sec = fields.wSecond;
        calendar.tm_isdst = -1;
        return std::mktime(&calendar);
    }

    PluginDestinationBrellix MakeDestination() { return PluginDestinationBrellix(m_settings.Path()); }

    raii::ComApartment m_apartment;  // the settings file is read and written through the DOM
    CloudRegistryState m_registry;
    testing_support::FallbackFolderState m_fallback;  // no "My Brellix" unless a test makes one
    ScratchFolder m_settings;
    ScratchFolder m_sync;
    MyGuid m_job;
};

}  // namespace

TEST_F(DestinationFixture, RelativeValuesAreJoinedToTheSyncFolder) {
    UseScratchSyncFolder();
    const std::wstring root = m_sync.Path();
    struct Case {
        const wchar_t* stored;
        std::wstring expected;
    };
    const Case cases[] = {
        {L"\\Scans", root + L"\\Scans"},
        {L"", root},
        {L"Scans\\2024", root + L"\\Scans\\2024"},
        {L"D:", root + L"\\D:"},                            // a bare drive is not an absolute path
        {L"\\\\server\\share", root + L"\\server\\share"},  // nor is a network path
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.stored)));
        StoreDestination(c.stored);
        PluginDestinationBrellix destination = MakeDestination();
        EXPECT_EQ(destination.ReadDestinationFromXml(m_job), 0);
        EXPECT_EQ(destination.GetFolder().GetPath(), c.expected);
    }
}

TEST_F(DestinationFixture, RelativeValueWithoutSyncFolderFailsAndKeepsThePath) {
    StoreDestination(L"\\Scans");
    PluginDestinationBrellix destination = MakeDestination();
    destination.SetFolder(L"C:\\before");
    EXPECT_EQ(destination.ReadDestinationFromXml(m_job), result::kSyncFolderNotFound);
    EXPECT_EQ(destination.GetFolder().GetPath(), L"C:\\before");
}

TEST_F(DestinationFixture, AbsoluteValueGivesWayToANewerSyncFolder) {
    UseScratchSyncFolder();
    const std::wstring stored = L"C:\\Elsewhere\\Scans";
    const time_t created = SyncFolderCreated();
    struct Case {
        const char* name;
        std::optional<time_t> lastUpdate;
        std::wstring expected;
    };
    const Case cases[] = {
        {"record older than the sync folder", created - 3600, m_sync.Path()},
        {"record written in the sync folder's second", created, m_sync.Path()},
        {"record newer than the sync folder", created + 3600, stored},
        {"unreadable stamp", std::nullopt, stored},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StoreDestination(stored);
        SetLastUpdate(c.lastUpdate);
        PluginDestinationBrellix destination = MakeDestination();
        EXPECT_EQ(destination.ReadDestinationFromXml(m_job), 0);
        EXPECT_EQ(destination.GetFolder().GetPath(), c.expected);
    }
}

TEST_F(DestinationFixture, AbsoluteValueStaysWhenTheSyncFolderIsMissing) {
    const std::wstring stored = L"C:\\Elsewhere\\Scans";
    for (bool registered : {false, true}) {
        SCOPED_TRACE(registered ? "registered sync folder does not exist" : "no sync folder at all");
        if (registered) UseSyncFolder(m_sync.Path() + L"\\gone");
        StoreDestination(stored);
        SetLastUpdate(SyncFolderCreated() - 3600);
        PluginDestinationBrellix destination = MakeDestination();
        EXPECT_EQ(destination.ReadDestinationFromXml(m_job), 0);
        EXPECT_EQ(destination.GetFolder().GetPath(), stored);
    }
}

TEST_F(DestinationFixture, ReadFailuresArePassedOnAndKeepThePath) {
    UseScratchSyncFolder();
    PluginDestinationBrellix destination = MakeDestination();
    destination.SetFolder(L"C:\\before");
    EXPECT_EQ(destination.ReadDestinationFromXml(m_job), result::kFileNotFound) << "no settings file";
    StoreDestination(L"\\Scans");
    EXPECT_EQ(destination.ReadDestinationFromXml(NewJob()), result::kNotStored) << "no record for the job";
    EXPECT_EQ(destination.GetFolder().GetPath(), L"C:\\before");
}

TEST_F(DestinationFixture, WritingStoresRelativeInsideTheSyncFolderAndFullPathOutside) {
    UseScratchSyncFolder();
    const std::wstring root = m_sync.Path();
    std::wstring upperRoot = root;
    for (wchar_t& c : upperRoot) c = static_cast<wchar_t>(::towupper(c));
    struct Case {
        const char* name;
        std::wstring folder;
        std::wstring stored;
    };
    const Case cases[] = {
        {"the sync folder itself", root, L""},
        {"a sub-folder", root + L"\\Scans", L"\\Scans"},
        {"a sub-sub-folder", root + L"\\Scans\\2024", L"\\Scans\\2024"},
        {"another drive", L"D:\\Archive\\Scans", L"D:\\Archive\\Scans"},
        {"a sibling whose name starts like the sync folder", root + L"2", root + L"2"},
        {"the sync folder in other letter case", upperRoot + L"\\Scans", upperRoot + L"\\Scans"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PluginDestinationBrellix destination = MakeDestination();
        destination.SetFolder(c.folder);
        EXPECT_EQ(destination.WriteDestinationToXml(m_job), 0);
        EXPECT_EQ(StoredDestination(), c.stored);
        if (c.stored.empty() || c.stored[0] == L'\\') {
            // A relative value reads back as the same folder.
            PluginDestinationBrellix reread = MakeDestination();
            EXPECT_EQ(reread.ReadDestinationFromXml(m_job), 0);
            EXPECT_EQ(reread.GetFolder().GetPath(), c.folder);
        }
    }
}

TEST_F(DestinationFixture, WritingWithoutSyncFolderStoresTheFullPath) {
    PluginDestinationBrellix destination = MakeDestination();
    destination.SetFolder(m_sync.Path() + L"\\Scans");
    EXPECT_EQ(destination.WriteDestinationToXml(m_job), 0);
    EXPECT_EQ(StoredDestination(), m_sync.Path() + L"\\Scans");
}

TEST_F(DestinationFixture, DefaultIsTheSyncFolderOrElseTheProfileFolder) {
    MyFolderPath profile;
    ASSERT_TRUE(profile.SetSpecialFolder(CSIDL_PROFILE, false));
    {
        PluginDestinationBrellix destination = MakeDestination();
        EXPECT_EQ(destination.ReadDefaultDestination(), 0);
        EXPECT_EQ(destination.GetFolder().GetPath(), profile.GetPath()) << "no sync folder";
    }
    {
        m_fallback.Create();
        PluginDestinationBrellix destination = MakeDestination();
        EXPECT_EQ(destination.ReadDefaultDestination(), 0);
        EXPECT_EQ(destination.GetFolder().GetPath(), m_fallback.Path()) << "the documents folder's My Brellix";
    }
    {
        UseScratchSyncFolder();
        PluginDestinationBrellix destination = MakeDestination();
        EXPECT_EQ(destination.ReadDefaultDestination(), 0);
        EXPECT_EQ(destination.GetFolder().GetPath(), m_sync.Path());
    }
}

TEST_F(DestinationFixture, ShowLinkIsReadFromTheJobRecord) {
    PluginDestinationBrellix destination = MakeDestination();
    bool showLink = true;
    EXPECT_EQ(destination.ReadShowLink(m_job, showLink), result::kFileNotFound);
    EXPECT_TRUE(showLink) << "unchanged";
    StoreDestination(L"");
    EXPECT_EQ(destination.ReadShowLink(m_job, showLink), result::kBadEnvironment) << "record without ShowLink";
    EXPECT_EQ(destination.ReadShowLink(NewJob(), showLink), result::kNotStored);
    EXPECT_TRUE(showLink);
    PluginWriterXMLBrellix writer(m_job, m_settings.Path());
    ASSERT_EQ(writer.WriteParam(L"ShowLink", false, 1), 0);
    EXPECT_EQ(destination.ReadShowLink(m_job, showLink), 0);
    EXPECT_FALSE(showLink);
}

TEST_F(DestinationFixture, LinkLabelAndOpeningAFolderWithoutRecord) {
    PluginDestinationBrellix destination = MakeDestination();
    std::wstring label;
    EXPECT_EQ(destination.GetLinkLabel(0, label), 0);
    EXPECT_EQ(label, L"Open storage folder");
    EXPECT_EQ(destination.OpenDestinationFolder(m_job), result::kFileNotFound);
    StoreDestination(L"\\Scans");
    EXPECT_EQ(destination.OpenDestinationFolder(m_job), result::kSyncFolderNotFound) << "relative, no sync folder";
}

TEST_F(DestinationFixture, SummaryNamesOnlyTheFoldersOwnName) {
    PluginDestinationBrellix destination = MakeDestination();
    destination.SetFolder(m_sync.Path() + L"\\Scans");
    EXPECT_EQ(destination.WriteDestinationPath(nullptr), result::kBadArguments);
    PluginSettingSummary summary;
    EXPECT_EQ(destination.WriteDestinationPath(&summary), 0);
    EXPECT_EQ(summary.GetText(), L"Destination : Scans");
}

TEST_F(DestinationFixture, ReadDestinationPathTakesTheStoredTextAsItIs) {
    StoreDestination(L"\\Scans");
    PluginDestinationBrellix destination = MakeDestination();
    EXPECT_EQ(destination.ReadDestinationPath(nullptr), result::kBadArguments);
    PluginReaderXMLBrellix reader(m_job, m_settings.Path());
    EXPECT_EQ(destination.ReadDestinationPath(&reader), 0);
    EXPECT_EQ(destination.GetFolder().GetPath(), L"\\Scans");
}

TEST_F(DestinationFixture, FactoriesMakeObjectsBoundToTheJobAndTheSettingsFile) {
    PluginDestinationBrellix destination = MakeDestination();
    std::unique_ptr<PluginWriterXML> writer(destination.CreateWriterXML(m_job));
    ASSERT_TRUE(writer);
    ASSERT_EQ(writer->WriteParam(L"Destination", L"\\FromFactory", 1), 0);
    std::unique_ptr<PluginReaderXML> reader(destination.CreateReaderXML(m_job));
    ASSERT_TRUE(reader);
    std::wstring value;
    EXPECT_EQ(reader->ReadParam(&value, L"Destination", 1), 0);
    EXPECT_EQ(value, L"\\FromFactory");
    EXPECT_TRUE(std::unique_ptr<PluginHelp>(destination.GetHelp()));
    std::unique_ptr<PluginDefaultDestination> locator(destination.CreateDefaultDestination());
    EXPECT_TRUE(dynamic_cast<PluginBrellixDrive*>(locator.get()));
    EXPECT_EQ(destination.CheckDestination(nullptr), 0);
    EXPECT_EQ(destination.BeginSend(), 0);
    EXPECT_EQ(destination.EndSend(), 0);
}

TEST_F(DestinationFixture, SenderCopiesIntoTheFolderAsItWasWhenMade) {
    ScratchFolder sources;
    testing_support::WriteFileBytes(sources / L"a.pdf", "pdf");
    PluginDestinationBrellix destination = MakeDestination();
    destination.SetFolder(m_sync.Path());
    std::unique_ptr<PluginSender> sender(destination.CreateSender());
    ASSERT_TRUE(sender);
    destination.SetFolder(L"C:\\changed afterwards");
    EXPECT_EQ(sender->Send(MyFilePath(sources / L"a.pdf"), false), 0);
    EXPECT_EQ(testing_support::ReadFileBytes(m_sync / L"a.pdf"), "pdf");
}

TEST_F(DestinationFixture, OperationsTraceTheirStepsInTheLog) {
    testing_support::LogCapture log;
    StoreDestination(L"\\Scans");
    PluginDestinationBrellix destination = MakeDestination();
    destination.SetFolder(L"C:\\before");
    PluginReaderXMLBrellix reader(m_job, m_settings.Path());
    EXPECT_EQ(destination.ReadDestinationPath(&reader), 0);
    EXPECT_EQ(destination.ReadDestinationFromXml(m_job), result::kSyncFolderNotFound);
    EXPECT_EQ(destination.ReadDefaultDestination(), 0);
    destination.SetFolder(L"C:\\Sync\\Scans");
    PluginSettingSummary summary;
    EXPECT_EQ(destination.WriteDestinationPath(&summary), 0);
    EXPECT_EQ(destination.WriteDestinationToXml(m_job), 0);
    const std::vector<std::string> expected = {
        "1 PluginDestinationFolder::ReadDestinationPath",
        "1 reader->ReadParam, C:\\before, Destination",
        "1 PluginDestinationFolder::ReadDestinationPath",
        "1 PluginDestinationBrellix::CreateReaderXML",
        "1 PluginDestinationBrellix::CreateDefaultDestination",
        "1 PluginDestinationFolder::ReadDefaultDestination",
        "1 PluginDestinationBrellix::CreateDefaultDestination",
        "1 SetSpecialFolderPath(CSIDL_PROFILE)",
        "1 PluginDestinationFolder::WriteDestinationPath",
        "1 writer->WriteParam, Destination, Scans",
        "1 PluginDestinationFolder::WriteDestinationPath",
        "1 PluginDestinationBrellix::CreateWriterXML",
        "1 PluginDestinationBrellix::CreateDefaultDestination",
    };
    EXPECT_EQ(log.Texts(), expected);
}
