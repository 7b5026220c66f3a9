// Registration of the class Main and the plug-in's type library, machine-wide under
// HKEY_CLASSES_ROOT or per user under HKEY_CURRENT_USER\Software\Classes.
#pragma once

#include <windows.h>

namespace registration {

// Switches every later registration of this process to per-user.
void SetPerUser();
bool IsPerUser();

// The first failure, or S_OK.
[[nodiscard]] HRESULT Register();
[[nodiscard]] HRESULT Unregister();

}  // namespace registration
