#include "app/AppMessages.h"

#include "support/Localization.h"
#include "support/MessageTexts.h"

#include <windows.h>

namespace app_messages {

void ShowError(const std::wstring& text) { ShowMessage(nullptr, text, texts::Error(), MB_OK); }

}  // namespace app_messages
