#include "app/PluginProperties.h"

#include "support/MessageTexts.h"

std::wstring PluginPropertiesBase::GetName() { return texts::PluginFor(); }
std::wstring PluginPropertiesBase::GetTitle() { return texts::SaveIn(); }
std::wstring PluginPropertiesBase::GetDescription() { return texts::FunctionToLink(); }
std::wstring PluginPropertiesBase::GetVersion() { return GetModule().GetVersion(); }

MyFilePath PluginPropertiesBase::GetIconPath() {
    MyFolderPath folder(MyFilePath(GetModule().GetFileName()).GetFolder());
    return MyFilePath(folder.Join(GetIconFileName()).GetPath());
}
