// Import and export of the settings file through the application object's bodies, against
// real files and the real XML DOM.
#include "tests/app/AppTestSupport.h"

#include "app/PluginImportSetting.h"
#include "support/ResultCodes.h"

#include <gtest/gtest.h>

using namespace app_testing;
using testing_support::ReadFileBytes;
using testing_support::ScratchFolder;
using testing_support::WriteFileBytes;

namespace {

const std::string kCommonOff = "<CommonSetting><ShowRenames>0</ShowRenames></CommonSetting>";
const std::string kCommonOn = "<CommonSetting><ShowRenames>1</ShowRenames></CommonSetting>";
const std::string kRecordA = Record(kIdA, "2020/01/02 03:04:05", "<Destination>\\Scans</Destination><ShowLink>1</ShowLink>");
const std::string kRecordB = Record(kIdB, "2020/01/02 03:04:06", "<Destination>\\Old</Destination><ShowLink>1</ShowLink>");
const std::string kImportedB = Record(kIdB, "2024/05/06 07:08:09", "<Destination>D:\\New</Destination>");
const std::string kImportedC = Record(kIdC, "2024/05/06 07:08:10", "<Destination>\\Other</Destination>");

class ImportExport : public AppFixture {
protected:
    std::wstring CarriedFile() const { return m_carry / L"PluginForBrellix.xml"; }
    void Carry(const std::string& text) const { WriteFileBytes(CarriedFile(), text); }
    int Import() { return m_app.ImportCall(MyFolderPath(m_carry.Path())); }
    int Export(const std::wstring& folder) { return m_app.ExportCall(MyFolderPath(folder)); }
    // The bytes between <Objects> and </Objects> of the saved settings.
    std::string Sections() const {
        std::string saved = Saved();
        size_t open = saved.find("<Objects>");
        size_t close = saved.rfind("</Objects>");
        if (open == std::string::npos || close == std::string::npos) return "(no Objects in: " + saved + ")";
        return saved.substr(open + 9, close - open - 9);
    }

    ScratchFolder m_carry;  // the folder the host names
};

}  // namespace

TEST_F(ImportExport, ImportWithoutAnExportedFileLeavesTheSettingsAlone) {
    std::string settings = SettingsText(kCommonOff + kRecordA);
    WriteSettings(settings);
    WriteFileBytes(m_carry / L"Other.xml", SettingsText(kImportedC));
    EXPECT_EQ(Import(), 0);
    EXPECT_EQ(Saved(), settings);
    EXPECT_EQ(m_log.Texts(), std::vector<std::string>{"1 PluginApiImportBase::Call"});
}

TEST_F(ImportExport, ImportWithoutAnythingToImportOnlyMakesTheSettingsFolder) {
    EXPECT_EQ(Import(), 0);
    EXPECT_FALSE(SettingsExist());
    EXPECT_TRUE(path_text::Exists(MyFilePath(SettingsPath()).GetFolder()));
}

TEST_F(ImportExport, ImportReplacesRecordsOfKnownIdsWholeAndAppendsNewOnes) {
    WriteSettings(SettingsText(kCommonOff + kRecordA + kRecordB));
    Carry(SettingsText(kCommonOn + kImportedC + kImportedB));
    EXPECT_EQ(Import(), 0);
    // B keeps its place with the imported content only (its ShowLink and old stamp are gone),
    // C follows the existing records, the imported common section replaces the old one.
    EXPECT_EQ(Sections(), kCommonOn + kRecordA + kImportedB + kImportedC);
}

TEST_F(ImportExport, ImportWithoutCommonSectionKeepsTheExistingOne) {
    WriteSettings(SettingsText(kCommonOff + kRecordA));
    Carry(SettingsText(kImportedC));
    EXPECT_EQ(Import(), 0);
    EXPECT_EQ(Sections(), kCommonOff + kRecordA + kImportedC);
}

TEST_F(ImportExport, ImportWithoutSettingsFileStartsOneFromTheImportedSections) {
    Carry(SettingsText(kImportedB + kCommonOn));
    EXPECT_EQ(Import(), 0);
    EXPECT_EQ(Sections(), kImportedB + kCommonOn);
    EXPECT_EQ(Saved().rfind("<?xml", 0), 0u);
}

TEST_F(ImportExport, ImportIntoANotWellFormedSettingsFileReplacesItsContent) {
    WriteSettings("<Objects><Setting ID=\"broken\"></Objects");
    Carry(SettingsText(kCommonOn + kImportedB));
    EXPECT_EQ(Import(), 0);
    EXPECT_EQ(Sections(), kImportedB + kCommonOn);
}

TEST_F(ImportExport, AnExportedFileThatDoesNotLoadChangesNothing) {
    std::string settings = SettingsText(kCommonOff + kRecordA);
    WriteSettings(settings);
    Carry("<Objects><Setting");
    EXPECT_EQ(Import(), result::kFileNotFound);
    EXPECT_EQ(Saved(), settings);
}

TEST_F(ImportExport, ImportWhoseSettingsFolderCannotBeMadeReturnsTheSystemError) {
    // The stand-in roaming folder is a file: nothing can be created below it.
    std::wstring blocked = m_base / L"blocked";
    WriteFileBytes(blocked, "x");
    PluginAppBrellix app(blocked);
    Carry(SettingsText(kImportedB));
    int code = app.ImportCall(MyFolderPath(m_carry.Path()));
    EXPECT_NE(code, 0);
    EXPECT_LT(code, 0x20000000);
    EXPECT_EQ(m_log.Texts(), (std::vector<std::string>{
                                 "1 PluginApiImportBase::Call",
                                 "3 Error destinationFolderPath.Create create = " + std::to_string(code)}));
}

TEST_F(ImportExport, ImporterMergesRecordsFirstAndCommonSectionSecond) {
    // A settings file whose root is not Objects takes no new sections: the records step
    // already fails, and the common section is not tried.
    std::string settings = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Other/>\r\n";
    WriteSettings(settings);
    Carry(SettingsText(kCommonOn + kImportedC));
    PluginImportSettingFolderEx importer;
    EXPECT_EQ(importer.ImportFile(MyFilePath(SettingsPath()), MyFilePath(CarriedFile())), result::kInvalidData);
    EXPECT_EQ(Saved(), settings);
}

TEST_F(ImportExport, ExportWithoutSettingsFileWritesNothing) {
    EXPECT_EQ(Export(m_carry.Path()), 0);
    EXPECT_FALSE(path_text::Exists(CarriedFile()));
    EXPECT_EQ(m_log.Texts(), std::vector<std::string>{"1 PluginApiExportBase::Call"});
}

TEST_F(ImportExport, ExportCopiesTheSettingsFileOverAnExistingOne) {
    std::string settings = SettingsText(kCommonOff + kRecordA + kRecordB);
    WriteSettings(settings);
    Carry("older export");
    EXPECT_EQ(Export(m_carry.Path()), 0);
    EXPECT_EQ(ReadFileBytes(CarriedFile()), settings);
    EXPECT_EQ(Saved(), settings);
}

TEST_F(ImportExport, ExportIntoAMissingFolderFailsWithPathNotFound) {
    WriteSettings(SettingsText(kRecordA));
    std::wstring missing = m_carry / L"missing";
    EXPECT_EQ(Export(missing), ERROR_PATH_NOT_FOUND);
    EXPECT_FALSE(path_text::Exists(missing));
    EXPECT_EQ(m_log.Texts(), (std::vector<std::string>{"1 PluginApiExportBase::Call", "3 Error CopyFile err = 3"}));
}

TEST_F(ImportExport, ExportedSettingsImportIntoAnotherInstallation) {
    WriteSettings(SettingsText(kCommonOn + kRecordA + kRecordB));
    ASSERT_EQ(Export(m_carry.Path()), 0);
    ScratchFolder otherBase;
    PluginAppBrellix other(otherBase.Path());
    ASSERT_EQ(other.ImportCall(MyFolderPath(m_carry.Path())), 0);
    MyFilePath otherPath{std::wstring()};
    PluginSettingFileBrellix(otherBase.Path()).GetFilePath(otherPath);
    std::string imported = ReadFileBytes(otherPath.GetPath());
    EXPECT_NE(imported.find(kRecordA + kRecordB + kCommonOn), std::string::npos) << imported;
}
