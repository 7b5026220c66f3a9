#include "tests/app/AppTestSupport.h"

namespace app_testing {

std::string SettingsText(const std::string& sections) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Objects>" + sections + "</Objects>\r\n";
}

std::string Record(const char* id, const char* stamp, const std::string& parameters) {
    return std::string("<Setting ID=\"") + id + "\" LastUpdate=\"" + stamp + "\">" + parameters + "</Setting>";
}

std::wstring AppFixture::SettingsPath() const {
    MyFilePath path{std::wstring()};
    PluginSettingFileBrellix(m_base.Path()).GetFilePath(path);
    return path.GetPath();
}

void AppFixture::WriteSettings(const std::string& text) const {
    ASSERT_EQ(MyFolderPath(MyFilePath(SettingsPath()).GetFolder()).CreateRecursive(), 0u);
    testing_support::WriteFileBytes(SettingsPath(), text);
}

std::string AppFixture::Saved() const { return testing_support::ReadFileBytes(SettingsPath()); }

bool AppFixture::SettingsExist() const { return path_text::Exists(SettingsPath()); }

}  // namespace app_testing
