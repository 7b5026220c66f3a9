// The application object's interface: one entry operation per host call. The entry
// operations take the COM argument types as CMain hands them over and return the plug-in's
// result code (0 for success); the getters return their value.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>

class PluginApp {
public:
    virtual ~PluginApp() = default;

    virtual std::wstring get_Name() = 0;
    virtual std::wstring get_Title() = 0;
    virtual std::wstring get_Description() = 0;
    virtual std::wstring get_Version() = 0;
    virtual std::wstring get_Icon() = 0;

    virtual VARIANT_BOOL get_ShowSettingButton() = 0;
    virtual VARIANT_BOOL get_ShowCommonSettingButton() = 0;
    virtual VARIANT_BOOL get_IsExecutable() = 0;
    virtual VARIANT_BOOL get_ShowSettingsSummary() = 0;
    virtual VARIANT_BOOL get_ShowFileNameSetting() = 0;
    virtual VARIANT_BOOL get_ShowFileTypeSetting() = 0;

    [[nodiscard]] virtual int Connect() = 0;
    [[nodiscard]] virtual int Disconnect() = 0;
    // The language identifier is in the low 16 bits.
    [[nodiscard]] virtual int SetLanguageID(unsigned long languageId) = 0;
    // Writes the new ID to newId whatever the result.
    [[nodiscard]] virtual int CreateID(GUID* newId) = 0;
    [[nodiscard]] virtual int DeleteID(const GUID* id) = 0;
    // Writes the copy's ID to dstId whatever the result.
    [[nodiscard]] virtual int CopyID(const GUID* srcId, GUID* dstId) = 0;
    [[nodiscard]] virtual int ShowSetting(const GUID* id, long window) = 0;
    [[nodiscard]] virtual int ShowCommonSetting(long window) = 0;
    // Always writes *enable.
    [[nodiscard]] virtual int IsSupportedFileType(const BSTR* extension, VARIANT_BOOL* enable) = 0;
    // Sources are deleted only when fileDelete is VARIANT_TRUE exactly.
    [[nodiscard]] virtual int Execute(const GUID* id, const BSTR* fileList, VARIANT_BOOL fileDelete, long window) = 0;
    // text receives the summary whatever the result.
    [[nodiscard]] virtual int SettingSummary(const GUID* id, std::wstring& text) = 0;
    [[nodiscard]] virtual int Import(BSTR folder) = 0;
    [[nodiscard]] virtual int Export(BSTR folder) = 0;
    // Writes *show only when the result is 0.
    [[nodiscard]] virtual int ShowLinkButton(const GUID* id, VARIANT_BOOL* show) = 0;
    // Sets text only when the result is 0.
    [[nodiscard]] virtual int LinkLabel(const GUID* id, std::wstring& text) = 0;
    [[nodiscard]] virtual int ClickedLinkButton(const GUID* id) = 0;
};

// The host hands windows over as 32-bit values; window handles are 32-bit significant on
// 64-bit Windows too, so sign extension restores the handle.
inline HWND HostWindow(long window) {
    return reinterpret_cast<HWND>(static_cast<LONG_PTR>(window));
}

// The text of a BSTR the host passed; a null BSTR is the empty text.
inline std::wstring BstrText(BSTR text) {
    return text ? std::wstring(text, ::SysStringLen(text)) : std::wstring();
}
