#include "settings/MyXml.h"
#include "settings/PluginReader.h"
#include "settings/PluginSettingSummary.h"
#include "settings/PluginWriter.h"
#include "support/ResultCodes.h"

#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <ctime>

using testing_support::ReadFileBytes;
using testing_support::ScratchFolder;
using testing_support::WriteFileBytes;

namespace {

const GUID kJobA = {0x0a1b2c3d, 0x4e5f, 0x6071, {0x82, 0x93, 0xa4, 0xb5, 0xc6, 0xd7, 0xe8, 0xf9}};
const GUID kJobB = {0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55}};
const char kIdA[] = "{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9}";

// Reader, writer and file all point at a scratch folder that stands in for the roaming folder.
class SettingsTest : public ::testing::Test {
protected:
    std::wstring FilePath() {
        MyFilePath path(L"");
        PluginSettingFileBrellix(m_base.Path()).GetFilePath(path);
        return path.GetPath();
    }
    void WriteSettings(const std::string& text) {
        ASSERT_EQ(MyFolderPath(MyFilePath(FilePath()).GetFolder()).CreateRecursive(), 0u);
        WriteFileBytes(FilePath(), text);
    }
    PluginReaderXMLBrellix Reader(const GUID& id = kJobA) { return PluginReaderXMLBrellix(MyGuid(id), m_base.Path()); }
    PluginWriterXMLBrellix Writer(const GUID& id = kJobA) { return PluginWriterXMLBrellix(MyGuid(id), m_base.Path()); }
    std::string Saved() { return ReadFileBytes(FilePath()); }

    raii::ComApartment m_apartment;
    ScratchFolder m_base;
};

TEST(PluginSettingFile, LiesInTheRoamingApplicationDataFolder) {
    wchar_t roaming[MAX_PATH] = {};
    ASSERT_TRUE(::SHGetSpecialFolderPathW(nullptr, roaming, CSIDL_APPDATA, FALSE));
    MyFilePath path(L"");
    PluginSettingFileBrellix().GetFilePath(path);
    EXPECT_EQ(path.GetPath(), std::wstring(roaming) + L"\\Orvane\\PluginForBrellix\\PluginForBrellix.xml");
    PluginSettingFileBrellix(L"C:\\base").GetFilePath(path);
    EXPECT_EQ(path.GetPath(), L"C:\\base\\Orvane\\PluginForBrellix\\PluginForBrellix.xml");
}

TEST_F(SettingsTest, MissingFileReadsAsTwoAndTheFirstWriteCreatesIt) {
    std::wstring text = L"unchanged";
    bool flag = true;
    EXPECT_EQ(Reader().ReadParam(&text, L"Destination", 1), 2);
    EXPECT_EQ(Reader().ReadParam(&flag, L"ShowRenames", 0), 2);
    EXPECT_EQ(text, L"unchanged");
    PluginWriterXMLBrellix writer = Writer();
    EXPECT_EQ(writer.DeleteRecord(), 2);

    EXPECT_EQ(writer.WriteParam(L"ShowRenames", false, 0), 0);
    std::string saved = Saved();
    EXPECT_EQ(saved.rfind("<?xml", 0), 0u) << saved;
    EXPECT_NE(saved.find("<Objects><CommonSetting><ShowRenames>0</ShowRenames></CommonSetting></Objects>"),
              std::string::npos) << saved;
    EXPECT_EQ(Reader().ReadParam(&flag, L"ShowRenames", 0), 0);
    EXPECT_FALSE(flag);
}

TEST_F(SettingsTest, JobWriteAddsARecordWithBracedUpperCaseIdAndStamp) {
    time_t before = std::time(nullptr);
    ASSERT_EQ(Writer().WriteParam(L"Destination", L"C:\\Sync\\Scans", 1), 0);
    std::string saved = Saved();
    std::string prefix = std::string("<Setting ID=\"") + kIdA + "\" LastUpdate=\"";
    size_t at = saved.find(prefix);
    ASSERT_NE(at, std::string::npos) << saved;
    std::string stamp = saved.substr(at + prefix.size(), 19);
    EXPECT_EQ(stamp.size(), 19u);
    EXPECT_EQ(stamp[4], '/');
    EXPECT_EQ(stamp[13], ':');
    EXPECT_NE(saved.find("\"><Destination>C:\\Sync\\Scans</Destination></Setting>"), std::string::npos) << saved;

    time_t stamped = 0;
    ASSERT_EQ(Reader().ReadLastUpdate(&stamped), 0);
    EXPECT_GE(stamped, before - 1);
    EXPECT_LE(stamped, std::time(nullptr) + 1);

    // A second write keeps one element with the new value.
    ASSERT_EQ(Writer().WriteParam(L"Destination", L"D:\\Other", 1), 0);
    ASSERT_EQ(Writer().WriteParam(L"ShowLink", true, 1), 0);
    saved = Saved();
    EXPECT_EQ(saved.find("C:\\Sync"), std::string::npos) << saved;
    EXPECT_NE(saved.find("<Destination>D:\\Other</Destination><ShowLink>1</ShowLink></Setting>"), std::string::npos);
    std::wstring text;
    ASSERT_EQ(Reader().ReadParam(&text, L"Destination", 1), 0);
    EXPECT_EQ(text, L"D:\\Other");
    EXPECT_EQ(Reader(kJobB).ReadParam(&text, L"Destination", 1), result::kNotStored);
    EXPECT_EQ(Reader().ReadParam(&text, L"Missing", 1), 10);
    EXPECT_EQ(Reader().ReadParam(&text, L"Destination", 0), result::kNotStored) << "no common section";
}

TEST_F(SettingsTest, HandWrittenRecordsAreFoundByExactId) {
    WriteSettings(std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Objects>") +
                  "<Setting ID=\"{0a1b2c3d-4e5f-6071-8293-a4b5c6d7e8f9}\"><Destination>lower</Destination></Setting>" +
                  "<Setting ID=\"" + kIdA + "\" LastUpdate=\"2024/02/29 23:59:58\"><Destination>upper</Destination>" +
                  "<Number>-1</Number><Big>2147483648</Big><Yes>yes</Yes><True>TRUE</True><Seven>007</Seven>" +
                  "</Setting><Setting ID=\"" + kIdA + "\"><Destination>second</Destination></Setting></Objects>");
    std::wstring text;
    ASSERT_EQ(Reader().ReadParam(&text, L"Destination", 1), 0);
    EXPECT_EQ(text, L"upper") << "the lower-case ID is another record; the first equal one wins";

    time_t stamped = 0;
    ASSERT_EQ(Reader().ReadLastUpdate(&stamped), 0);
    std::tm expected{};
    expected.tm_year = 124, expected.tm_mon = 1, expected.tm_mday = 29;
    expected.tm_hour = 23, expected.tm_min = 59, expected.tm_sec = 58, expected.tm_isdst = -1;
    EXPECT_EQ(stamped, std::mktime(&expected));

    struct BoolCase {
        const wchar_t* name;
        int code;
        bool value;
    } boolCases[] = {{L"True", 0, true}, {L"Yes", 160, false}, {L"Number", 160, false}, {L"Missing", 10, false}};
    for (const BoolCase& c : boolCases) {
        bool value = false;
        EXPECT_EQ(Reader().ReadParam(&value, c.name, 1), c.code) << c.name;
        EXPECT_EQ(value, c.value) << c.name;
    }
    struct IntCase {
        const wchar_t* name;
        int code;
        int value;
    } intCases[] = {{L"Seven", 0, 7}, {L"Number", 160, 42}, {L"Big", 160, 42}, {L"Yes", 160, 42}};
    for (const IntCase& c : intCases) {
        int value = 42;
        EXPECT_EQ(Reader().ReadParam(&value, c.name, 1), c.code) << c.name;
        EXPECT_EQ(value, c.value) << c.name;
    }
}

TEST_F(SettingsTest, LowerCaseIdGetsASecondRecordOnWrite) {
    WriteSettings("<Objects><Setting ID=\"{0a1b2c3d-4e5f-6071-8293-a4b5c6d7e8f9}\"><X>1</X></Setting></Objects>");
    std::wstring text;
    EXPECT_EQ(Reader().ReadParam(&text, L"X", 1), result::kNotStored);
    ASSERT_EQ(Writer().WriteParam(L"X", 2, 1), 0);
    std::string saved = Saved();
    EXPECT_NE(saved.find("{0a1b2c3d"), std::string::npos) << saved;
    EXPECT_NE(saved.find(kIdA), std::string::npos) << saved;
    int value = 0;
    ASSERT_EQ(Reader().ReadParam(&value, L"X", 1), 0);
    EXPECT_EQ(value, 2);
}

TEST_F(SettingsTest, LastUpdateFailures) {
    WriteSettings(std::string("<Objects><Setting ID=\"") + kIdA + "\"/><Setting ID=\"" +
                  "{11111111-2222-3333-4444-555555555555}\" LastUpdate=\"2024/13/01 10:00:00\"/></Objects>");
    time_t stamped = 5;
    EXPECT_EQ(Reader().ReadLastUpdate(&stamped), 10) << "no stamp";
    EXPECT_EQ(Reader(kJobB).ReadLastUpdate(&stamped), 10) << "month 13";
    EXPECT_EQ(stamped, 5);
    EXPECT_EQ(Reader().ReadLastUpdate(nullptr), 160);

    struct Case {
        const wchar_t* text;
        bool ok;
    } cases[] = {{L"2026/12/11 11:22:33", true}, {L"2026/1/2 3:04:05", true},  {L"2023/02/29 00:00:00", false},
                 {L"2026-12-11 11:22:33", false}, {L"2026/12/11", false},       {L"2026/12/11 24:00:00", false},
                 {L"2026/12/11 11:22:33x", false}, {L"", false}};
    for (const Case& c : cases) {
        time_t value = 0;
        EXPECT_EQ(settings_format::ParseLastUpdate(c.text, value), c.ok) << c.text;
    }
    // Every stamp the writer makes reads back to the second.
    time_t now = std::time(nullptr);
    time_t parsed = 0;
    ASSERT_TRUE(settings_format::ParseLastUpdate(settings_format::CurrentStamp(), parsed));
    EXPECT_LE(parsed - now, 1);
    EXPECT_GE(parsed - now, -1);
}

TEST_F(SettingsTest, NotWellFormedFileIsNeverOverwritten) {
    const std::string broken = "<?xml version=\"1.0\"?><Objects><CommonSetting></Objects>";
    WriteSettings(broken);
    std::wstring text;
    EXPECT_EQ(Reader().ReadParam(&text, L"Destination", 1), 5);
    EXPECT_EQ(Reader().ReadParam(&text, L"ShowRenames", 0), 5);
    EXPECT_EQ(Writer().WriteParam(L"ShowRenames", true, 0), 5);
    EXPECT_EQ(Writer().WriteParam(L"Destination", L"x", 1), 5);
    EXPECT_EQ(Writer().DeleteRecord(), 2);
    EXPECT_EQ(Saved(), broken);
}

TEST_F(SettingsTest, DocumentTypeDeclarationsAreRefusedAndLeftAlone) {
    const std::string external = std::string("<?xml version=\"1.0\"?><!DOCTYPE Objects [<!ENTITY x SYSTEM ") +
                                 "\"file:///c:/windows/win.ini\">]><Objects><CommonSetting><ShowRenames>&x;" +
                                 "</ShowRenames></CommonSetting></Objects>";
    WriteSettings(external);
    std::wstring text;
    EXPECT_EQ(Reader().ReadParam(&text, L"ShowRenames", 0), 5);
    EXPECT_EQ(Writer().WriteParam(L"ShowRenames", true, 0), 5);
    EXPECT_EQ(Saved(), external);
}

TEST_F(SettingsTest, SectionsGoUnderTheFirstObjects) {
    WriteSettings("<Objects><Setting ID=\"x\"/></Objects>");
    ASSERT_EQ(Writer().WriteParam(L"ShowRenames", 1, 0), 0);
    EXPECT_NE(Saved().find("<Objects><Setting ID=\"x\"/><CommonSetting><ShowRenames>1</ShowRenames></CommonSetting>"
                           "</Objects>"),
              std::string::npos) << Saved();

    const std::string foreign = "<Root><Other/></Root>";
    WriteSettings(foreign);
    EXPECT_EQ(Writer().WriteParam(L"ShowRenames", true, 0), 10);
    EXPECT_EQ(Writer().WriteParam(L"Destination", L"x", 1), 10);
    EXPECT_EQ(Saved(), foreign);
}

TEST_F(SettingsTest, BadArguments) {
    WriteSettings("<Objects><CommonSetting><A>1</A></CommonSetting></Objects>");
    std::wstring text;
    int number = 0;
    EXPECT_EQ(Reader().ReadParam(static_cast<std::wstring*>(nullptr), L"A", 0), 160);
    EXPECT_EQ(Reader().ReadParam(static_cast<int*>(nullptr), L"A", 0), 160);
    EXPECT_EQ(Reader().ReadParam(&text, nullptr, 0), 160);
    EXPECT_EQ(Reader().ReadParam(&number, L"A", 2), 160);
    EXPECT_EQ(Writer().WriteParam(L"A", 2, -1), 160);
    EXPECT_EQ(Writer().WriteParam(nullptr, 2, 0), 160);
    EXPECT_EQ(Writer().DeleteRecord(), 160) << "no record for the ID";
    EXPECT_EQ(Saved(), "<Objects><CommonSetting><A>1</A></CommonSetting></Objects>");
    EXPECT_EQ(Reader().SetID(MyGuid(kJobB)), 0);
    EXPECT_EQ(PluginReader().ReadParam(&number, L"A", 0), 0) << "the base reader does nothing";
    EXPECT_EQ(PluginWriter().WriteParam(L"A", L"x", 0), 0);
}

TEST_F(SettingsTest, DeleteRecordRemovesTheFirstRecordOfTheId) {
    ASSERT_EQ(Writer(kJobA).WriteParam(L"Destination", L"a", 1), 0);
    ASSERT_EQ(Writer(kJobB).WriteParam(L"Destination", L"b", 1), 0);
    ASSERT_EQ(Writer(kJobA).DeleteRecord(), 0);
    std::wstring text;
    EXPECT_EQ(Reader(kJobA).ReadParam(&text, L"Destination", 1), result::kNotStored);
    ASSERT_EQ(Reader(kJobB).ReadParam(&text, L"Destination", 1), 0);
    EXPECT_EQ(text, L"b");
    EXPECT_EQ(Writer(kJobA).DeleteRecord(), 160);
}

TEST_F(SettingsTest, RepeatedWritesKeepOneDeclaration) {
    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(Writer().WriteParam(L"N", i, 1), 0);
        ASSERT_EQ(Writer().WriteParam(L"ShowRenames", i % 2 == 0, 0), 0);
    }
    std::string saved = Saved();
    EXPECT_EQ(saved.find("<?xml"), 0u);
    EXPECT_EQ(saved.find("<?xml", 1), std::string::npos) << saved;
}

TEST_F(SettingsTest, MergeReplacesWholeRecordsAndAppendsNewOnes) {
    WriteSettings(std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?><Objects><CommonSetting><ShowRenames>1") +
                  "</ShowRenames></CommonSetting><Setting ID=\"" + kIdA +
                  "\" LastUpdate=\"2020/01/01 00:00:00\"><Destination>old</Destination><ShowLink>1</ShowLink>" +
                  "</Setting><Setting ID=\"{KEEP}\"><Destination>keep</Destination></Setting></Objects>");
    std::wstring source = m_base / L"import.xml";
    WriteFileBytes(source, std::string("<Objects><Setting ID=\"") + kIdA + "\"><Destination>new</Destination>" +
                               "</Setting><Setting ID=\"{NEW}\"><Destination>added</Destination></Setting>" +
                               "<CommonSetting><ShowRenames>0</ShowRenames></CommonSetting></Objects>");
    PluginXMLAppenderUtf8 appender;
    ASSERT_EQ(appender.AppendSettings(FilePath(), source, L"Setting", L"Objects", L"Objects", L"ID"), 0);
    ASSERT_EQ(appender.AppendSettings(FilePath(), source, L"CommonSetting", L"Objects", L"Objects", nullptr), 0);
    std::string saved = Saved();
    EXPECT_NE(saved.find(std::string("<Objects><CommonSetting><ShowRenames>0</ShowRenames></CommonSetting>") +
                         "<Setting ID=\"" + kIdA + "\"><Destination>new</Destination></Setting>" +
                         "<Setting ID=\"{KEEP}\"><Destination>keep</Destination></Setting>" +
                         "<Setting ID=\"{NEW}\"><Destination>added</Destination></Setting></Objects>"),
              std::string::npos) << saved;
    EXPECT_EQ(saved.find("<?xml", 1), std::string::npos) << saved;

    EXPECT_EQ(appender.AppendSettings(FilePath(), m_base / L"missing.xml", L"Setting", L"Objects", L"Objects", L"ID"),
              2);
    EXPECT_EQ(Saved(), saved);
    // A source whose elements have no parent to go to in the destination.
    EXPECT_EQ(appender.AppendSettings(FilePath(), source, L"Setting", L"Nowhere", L"Objects", L"Name"), 13);
    EXPECT_EQ(Saved(), saved);
}

TEST_F(SettingsTest, MergeMatchesHandEditedIdsWithQuotesAndTheFirstOfDuplicates) {
    WriteSettings("<Objects><Setting ID=\"it's\"><D>old</D></Setting><Setting ID='{D}'><D>first</D></Setting>"
                  "<Setting ID='{D}'><D>second</D></Setting></Objects>");
    std::wstring source = m_base / L"import.xml";
    WriteFileBytes(source, "<Objects><Setting ID=\"it's\"><D>new</D></Setting><Setting ID='{D}'><D>d</D></Setting>"
                           "<Setting ID='{d}'><D>lower</D></Setting></Objects>");
    PluginXMLAppenderUtf8 appender;
    ASSERT_EQ(appender.AppendSettings(FilePath(), source, L"Setting", L"Objects", L"Objects", L"ID"), 0);
    EXPECT_NE(Saved().find("<Objects><Setting ID=\"it's\"><D>new</D></Setting><Setting ID=\"{D}\"><D>d</D></Setting>"
                           "<Setting ID=\"{D}\"><D>second</D></Setting><Setting ID=\"{d}\"><D>lower</D></Setting>"
                           "</Objects>"),
              std::string::npos)
        << Saved();
}

TEST_F(SettingsTest, MergeIntoUnloadableOrMissingDestinationStartsANewDocument) {
    std::wstring source = m_base / L"import.xml";
    WriteFileBytes(source, "<Objects><Setting ID=\"{1}\"><Destination>d</Destination></Setting></Objects>");
    WriteSettings("not xml at all");
    PluginXMLAppenderUtf8 appender;
    ASSERT_EQ(appender.AppendSettings(FilePath(), source, L"Setting", L"Objects", L"Objects", L"ID"), 0);
    EXPECT_NE(Saved().find("<Objects><Setting ID=\"{1}\"><Destination>d</Destination></Setting></Objects>"),
              std::string::npos) << Saved();
    std::wstring fresh = m_base / L"fresh.xml";
    ASSERT_EQ(appender.AppendSettings(fresh, source, L"Setting", L"Objects", L"Objects", L"ID"), 0);
    EXPECT_NE(ReadFileBytes(fresh).find("<Setting ID=\"{1}\">"), std::string::npos);
}

TEST(PluginSettingSummary, JoinsPairsAndLines) {
    {
        PluginSettingSummary summary;
        EXPECT_EQ(summary.GetText(), L"");
    }
    {
        PluginSettingSummary summary;
        summary.AddLine(L"first");
        summary.AddLine(L"second");
        EXPECT_EQ(summary.GetText(), L"first\nsecond");
    }
    {
        PluginSettingSummary summary;
        EXPECT_EQ(summary.WriteParam(L"Number", 5, 1), 0);
        EXPECT_EQ(summary.WriteParam(L"Switch", true, 1), 0);
        EXPECT_EQ(summary.GetText(), L"");
        EXPECT_EQ(summary.WriteParam(L"Destination", L"C:\\Sync", 7), 0);
        EXPECT_EQ(summary.WriteParam(L"Empty", L"", 1), 0);
        summary.AddLine(L"notice");
        EXPECT_EQ(summary.GetText(), L"Destination : C:\\Sync\nEmpty : \nnotice");
    }
    EXPECT_EQ(PluginSettingString(L"a", L"b").ToText(), L"a : b");
}

}  // namespace
