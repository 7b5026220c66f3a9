#include "module/PluginForBrellixApp.h"

#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        ::DisableThreadLibraryCalls(instance);
        TheApp().Attach(instance);
    } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        // Unloaded while the process goes on (DllCanUnloadNow said yes): free the bound
        // libraries. At process exit they go with the process.
        TheApp().Shutdown();
    }
    return TRUE;
}
