// The message box of the call bodies for failures the user must know about.
#pragma once

#include <string>

namespace app_messages {

// No owner window, the caption "Error", one OK button and no icon (right-to-left reading where
// the language needs it); returns when the user has closed it.
void ShowError(const std::wstring& text);

}  // namespace app_messages
