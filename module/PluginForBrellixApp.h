// The plug-in's application object: its start-up binds the log library and the localisation
// library and sets the language, once per load of the DLL.
#pragma once

#include <windows.h>

class CPluginForBrellixApp {
public:
    // Remembers the DLL's instance handle (from DllMain).
    void Attach(HINSTANCE instance) { m_instance = instance; }
    // Runs InitInstance once; every export that may be the first call into the DLL calls this.
    void EnsureStarted();
    // Frees what start-up bound (the DLL is being unloaded while the process goes on).
    void Shutdown();

private:
    BOOL InitInstance();

    HINSTANCE m_instance = nullptr;
    INIT_ONCE m_started = INIT_ONCE_STATIC_INIT;
};

CPluginForBrellixApp& TheApp();
