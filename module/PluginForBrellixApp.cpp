#include "module/PluginForBrellixApp.h"

#include "host/ServerModule.h"
#include "Version.h"
#include "settings/PluginSettingFile.h"
#include "support/Localization.h"
#include "support/MyModule.h"
#include "support/MyPath.h"
#include "support/OrvInfoLog.h"

// Start-up loads other DLLs (the log and localisation libraries). Doing that inside DllMain
// would run under the loader lock, where loading libraries may deadlock; so it runs on the
// first export call instead (class object, registration), which always precedes any object.
void CPluginForBrellixApp::EnsureStarted() {
    struct Runner {
        static BOOL CALLBACK Run(PINIT_ONCE, PVOID app, PVOID*) {
            return static_cast<CPluginForBrellixApp*>(app)->InitInstance();
        }
    };
    ::InitOnceExecuteOnce(&m_started, &Runner::Run, this, nullptr);
}

namespace {

#if defined(_WIN64)
constexpr wchar_t kArchitecture[] = L"x64";
#else
constexpr wchar_t kArchitecture[] = L"x86";
#endif

// Which build, from where, with which settings file: the first thing to know about a log.
void LogStartUp(const std::wstring& modulePath) {
    MyFilePath settingsFile(std::wstring{});
    PluginSettingFileBrellix().GetFilePath(settingsFile);
    WriteLog(log_level::kTrace, L"PluginForBrellix %s (%s), module = %s, settings file = %s",
             L"" PLUGIN_VERSION_TEXT, kArchitecture, modulePath.c_str(), settingsFile.GetPath().c_str());
}

}  // namespace

BOOL CPluginForBrellixApp::InitInstance() {
    COrvInfoLog& log = TheLog();
    (void)log.Load(L"orvinfolog.dll");  // without the library the plug-in runs without a log
    log.CreateInfoHandle(m_instance);
    log.SetThreadName(L"PLRP_Brellix");

    MyModule plugin(L"PluginForBrellix.dll");
    LogStartUp(plugin.GetFileName());
    LoadLocalization(plugin.GetHandle());  // without the library every text is its English key
    SetCurrentLocale(::GetUserDefaultLangID());
    MyFolderPath folder(MyFilePath(plugin.GetFileName()).GetFolder());
    AddFile(folder.Join(L"PluginForBrellix.loc").GetPath().c_str());
    return TRUE;
}

void CPluginForBrellixApp::Shutdown() {
    TheModule().Term();
    UnloadLocalization();
    TheLog().Unload();
}

CPluginForBrellixApp& TheApp() {
    static CPluginForBrellixApp app;
    return app;
}
