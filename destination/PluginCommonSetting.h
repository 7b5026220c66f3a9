// Settings shared by all jobs. For folder saving there is one: whether the rename warning is
// shown after a batch in which files had to be saved under new names.
#pragma once

#include <windows.h>

class PluginReader;
class PluginWriter;

class PluginCommonSetting {
public:
    virtual ~PluginCommonSetting() = default;
    [[nodiscard]] virtual int ReadSetting(PluginReader* reader) = 0;
    [[nodiscard]] virtual int WriteSetting(PluginWriter* writer) = 0;
    // Shows the settings to the user; the dialog's end code (1 after OK).
    virtual int ShowDialog(HWND owner) = 0;
};

class PluginCommonSettingSend2Folder : public PluginCommonSetting {
public:
    // 0 also when the value is not stored (it then counts as true); other codes of the reader
    // are returned and leave the value as it was.
    [[nodiscard]] int ReadSetting(PluginReader* reader) override;
    [[nodiscard]] int WriteSetting(PluginWriter* writer) override;
    int ShowDialog(HWND owner) override;

    bool GetShowRenames() const { return m_showRenames; }
    void SetShowRenames(bool showRenames) { m_showRenames = showRenames; }

private:
    bool m_showRenames = false;
};
