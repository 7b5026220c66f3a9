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

ErrorBoxAnswerer::ErrorBoxAnswerer() : m_robot([this](UiRobot& robot) { Watch(robot); }) {}

std::vector<SeenErrorBox> ErrorBoxAnswerer::Finish() {
    m_stop = true;
    m_robot.Join();
    return m_seen;
}

void ErrorBoxAnswerer::Watch(UiRobot& robot) {
    while (!m_stop) {
        HWND box = UiRobot::FindWindowOfProcess(L"#32770", L"Error");
        if (!box) {
            ::Sleep(20);
            continue;
        }
        SeenErrorBox seen;
        seen.owned = ::GetWindow(box, GW_OWNER) != nullptr;
        int visibleButtons = 0;
        for (int id : {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO}) {
            HWND button = ::GetDlgItem(box, id);
            if (button && ::IsWindowVisible(button)) ++visibleButtons;
        }
        HWND ok = ::GetDlgItem(box, IDOK);
        seen.singleButton = visibleButtons == 1 && ok && ::IsWindowVisible(ok);
        seen.text = robot.AnswerMessageBox(L"Error", IDOK).text;
        m_seen.push_back(seen);
    }
}

}  // namespace app_testing
