// The plug-in's identity as the host shows it: name, title, description, version, icon.
#pragma once

#include "support/MyModule.h"
#include "support/MyPath.h"

#include <string>

class PluginProperties {
public:
    virtual ~PluginProperties() = default;
    virtual std::wstring GetName() = 0;
    virtual std::wstring GetTitle() = 0;
    virtual std::wstring GetDescription() = 0;
    virtual std::wstring GetVersion() = 0;
    virtual MyFilePath GetIconPath() = 0;
};

// Identity texts from the message texts, version and icon from the plug-in's own DLL.
class PluginPropertiesBase : public PluginProperties {
public:
    std::wstring GetName() override;
    std::wstring GetTitle() override;
    std::wstring GetDescription() override;
    std::wstring GetVersion() override;
    // The icon file beside the DLL; whether it exists is not checked.
    MyFilePath GetIconPath() override;

    virtual const MyModule& GetModule() = 0;
    virtual std::wstring GetIconFileName() = 0;
};

class PluginPropertiesBrellix : public PluginPropertiesBase {
public:
    PluginPropertiesBrellix() : m_module(L"PluginForBrellix.dll") {}
    const MyModule& GetModule() override { return m_module; }
    std::wstring GetIconFileName() override { return L"PluginForBrellix.ico"; }

private:
    MyModule m_module;
};
