// A destination that is a folder: remembered relative to the cloud application's sync folder
// when it lies inside it, as an absolute path otherwise.
#pragma once

#include "destination/PluginDestination.h"
#include "support/MyPath.h"

class PluginDestinationFolder : public PluginDestination {
public:
    PluginDestinationFolder() = default;

    [[nodiscard]] int ReadDestinationPath(PluginReader* reader) override;
    [[nodiscard]] int WriteDestinationPath(PluginWriter* writer) override;
    // The sync folder, or else the user's profile folder; always 0.
    [[nodiscard]] int ReadDefaultDestination() override;
    [[nodiscard]] int ReadDestinationFromXml(const MyGuid& jobId) override;
    [[nodiscard]] int WriteDestinationToXml(const MyGuid& jobId) override;
    int ReadDestinationFromDialog(int ignored, HWND owner) override;
    [[nodiscard]] int CheckDestination(HWND owner) override;
    PluginSender* CreateSender() override;
    [[nodiscard]] int BeginSend() override;
    [[nodiscard]] int EndSend() override;
    bool Reserved(int ignoredFirst, int ignoredSecond) override;
    [[nodiscard]] int ReadShowLink(const MyGuid& jobId, bool& showLink) override;
    [[nodiscard]] int GetLinkLabel(int ignored, std::wstring& label) override;
    [[nodiscard]] int OpenDestinationFolder(const MyGuid& jobId) override;
    PluginHelp* GetHelp() override;
    [[nodiscard]] int CompareRecordWithRoot(const std::wstring& ignored, PluginReaderXML* reader,
                                            std::wstring* root) override;
    [[nodiscard]] int MakeAbsolutePath(std::wstring& absolute, const std::wstring& relative) override;

    // Whether the path lies inside the sync folder (false when there is none).
    bool IsInRoot(const std::wstring& path);
    // The path with the sync folder cut off its front; the locator's code when there is none.
    [[nodiscard]] int MakeRelativePath(std::wstring& relative, const std::wstring& path);

    const MyFolderPath& GetFolder() const { return m_path; }
    void SetFolder(const std::wstring& path) { m_path.SetPath(path); }

private:
    // The sync folder through a locator made for this one question; 0 and its path, or the
    // locator's failure code.
    [[nodiscard]] int GetRoot(std::wstring& root);

    MyFolderPath m_path;
};
