#include "module/PluginForBrellixApp.h"

#include "host/ServerModule.h"
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

BOOL CPluginForBrellixApp::InitInstance() {
    COrvInfoLog& log = TheLog();
    (void)log.Load(L"orvinfolog.dll");  // without the library the plug-in runs without a log
    log.CreateInfoHandle(m_instance);
    log.SetThreadName(L"PLRP_Brellix");

    MyModule plugin(L"PluginForBrellix.dll");
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
