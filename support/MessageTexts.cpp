#include "support/MessageTexts.h"

#include "support/Localization.h"
#include "support/OrvInfoLog.h"
#include "support/PrintfConversions.h"

#include <cwchar>
#include <vector>

namespace texts {

namespace keys {
const char kError[] = "Error";
const char kErrorOccured[] = "Error occured.";
const char kFileCannotBeSaved[] = "The file cannot be saved.";
const char kBadArguments[] = "Bad arguments.";
const char kFailedFile[] = "File: %s";
const char kFailedFolder[] = "Destination folder: %s";
const char kCouldNotReadSettings[] = "Could not read settings.";
const char kCouldNotWriteSettings[] = "Could not write settings.";
const char kCouldNotCreateId[] = "Could not create id.";
const char kCouldNotReadScannedImages[] = "Could not read scanned images.";
const char kSaveIn[] = "Save in %s";
const char kPluginFor[] = "%s plug-in for %s";
const char kFunctionToLink[] = "Function to link %s and %s";
const char kPleaseSelectFolder[] = "Please select %s folder.";
const char kOpenStorageFolder[] = "Open storage folder";
const char kNecessaryToInstall[] = "It is necessary to install the %s application to use this plug-in.";
const char kInstallThe[] = "Install the %s.";
const char kHaveYouInstalled[] = "Have you installed the %s application?";
const char kConfirmation[] = "Confirmation";
const char kSaving[] = "Saving...";
const char kCancel[] = "Cancel";
const char kRetry[] = "&Retry";
const char kAbort[] = "&Abort";
const char kSetting[] = "&Setting...";
const char kRenamedFiles[] = "Renamed files";
const char kFileNamesDuplicated[] = "Because file names were duplicated, it was renamed.";
const char kConfiguredFileName[] = "Configured file name";
const char kRenamedFileName[] = "Renamed file name";
const char kDoNotShowAgain[] = "&Do not show this message again.";
// The quotation marks are the Shift-JIS characters 0x81 0x67 and 0x81 0x68.
const char kRenameHint[] =
    "When confirming the renamed file name, set from \x81\x67"
    "Environmental settings \x81\x68 in %s.";
const char kCommonSettings[] = "Common settings";
const char kConfirmFileName[] = "&Confirm the file name when saving the file.";
const char kOk[] = "OK";
const char kHelp[] = "&Help";
const char kBrellix[] = "Brellix";
const char kPellora[] = "Pellora";
const char kDialogFont[] = "Segoe UI/9";
const char kPreferredFace[] = "Segoe UI";
const char kFallbackFace[] = "Tahoma";
}  // namespace keys

namespace {

// The key itself as a wide format; only its ASCII conversions matter here.
std::wstring WidenAscii(const char* key) {
    std::wstring wide;
    for (const char* p = key; *p; ++p) wide += static_cast<wchar_t>(static_cast<unsigned char>(*p));
    return wide;
}

// Fills the "%s" conversions of a translated format with texts. The format comes from a
// translation file: one whose conversions differ from its key's would read arguments that
// were never passed, so the English key is used instead. The buffer is sized from the
// inputs and the result is never cut.
std::wstring Format(const char* key, const std::wstring& first, const std::wstring& second = L"") {
    std::wstring format = TranslateKey(key);
    if (!printf_format::SameConversions(format, WidenAscii(key))) {
        WriteLog(log_level::kError, L"Error translation does not match its key: %s", format.c_str());
        format = UntranslatedKey(key);
    }
    size_t capacity = format.size() + first.size() + second.size() + 64;
    std::vector<wchar_t> buffer(capacity);
    int written = ::_snwprintf(buffer.data(), capacity - 1, format.c_str(), first.c_str(), second.c_str());
    if (written < 0) return format;
    return std::wstring(buffer.data(), static_cast<size_t>(written));
}

}  // namespace

std::vector<const char*> AllKeys() {
    using namespace keys;
    return {kError, kErrorOccured, kFileCannotBeSaved, kFailedFile, kFailedFolder, kBadArguments, kCouldNotReadSettings,
            kCouldNotWriteSettings, kCouldNotCreateId, kCouldNotReadScannedImages, kSaveIn, kPluginFor,
            kFunctionToLink, kPleaseSelectFolder, kOpenStorageFolder, kNecessaryToInstall, kInstallThe,
            kHaveYouInstalled, kConfirmation, kSaving, kCancel, kRetry, kAbort, kSetting, kRenamedFiles,
            kFileNamesDuplicated, kConfiguredFileName, kRenamedFileName, kDoNotShowAgain, kRenameHint,
            kCommonSettings, kConfirmFileName, kOk, kHelp, kBrellix, kPellora, kDialogFont, kPreferredFace,
            kFallbackFace};
}

std::wstring Error() { return TranslateKey(keys::kError); }
std::wstring ErrorOccured() { return TranslateKey(keys::kErrorOccured); }
std::wstring FileCannotBeSaved() { return TranslateKey(keys::kFileCannotBeSaved); }
std::wstring FailedFile(const std::wstring& name) { return Format(keys::kFailedFile, name); }
std::wstring FailedFolder(const std::wstring& folder) { return Format(keys::kFailedFolder, folder); }
std::wstring BadArguments() { return TranslateKey(keys::kBadArguments); }
std::wstring CouldNotReadSettings() { return TranslateKey(keys::kCouldNotReadSettings); }
std::wstring CouldNotWriteSettings() { return TranslateKey(keys::kCouldNotWriteSettings); }
std::wstring CouldNotCreateId() { return TranslateKey(keys::kCouldNotCreateId); }
std::wstring CouldNotReadScannedImages() { return TranslateKey(keys::kCouldNotReadScannedImages); }
std::wstring SaveIn() { return Format(keys::kSaveIn, Brellix()); }
std::wstring PluginFor() { return Format(keys::kPluginFor, Pellora(), Brellix()); }
std::wstring FunctionToLink() { return Format(keys::kFunctionToLink, Brellix(), Pellora()); }
std::wstring PleaseSelectFolder() { return Format(keys::kPleaseSelectFolder, Brellix()); }
std::wstring OpenStorageFolder() { return TranslateKey(keys::kOpenStorageFolder); }
std::wstring NecessaryToInstall() { return Format(keys::kNecessaryToInstall, Brellix()); }
std::wstring InstallThe() { return Format(keys::kInstallThe, Brellix()); }
std::wstring HaveYouInstalled() { return Format(keys::kHaveYouInstalled, Brellix()); }
std::wstring Confirmation() { return TranslateKey(keys::kConfirmation); }
std::wstring Saving() { return TranslateKey(keys::kSaving); }
std::wstring Cancel() { return TranslateKey(keys::kCancel); }
std::wstring Retry() { return TranslateKey(keys::kRetry); }
std::wstring Abort() { return TranslateKey(keys::kAbort); }
std::wstring Setting() { return TranslateKey(keys::kSetting); }
std::wstring RenamedFiles() { return TranslateKey(keys::kRenamedFiles); }
std::wstring FileNamesDuplicated() { return TranslateKey(keys::kFileNamesDuplicated); }
std::wstring ConfiguredFileName() { return TranslateKey(keys::kConfiguredFileName); }
std::wstring RenamedFileName() { return TranslateKey(keys::kRenamedFileName); }
std::wstring DoNotShowAgain() { return TranslateKey(keys::kDoNotShowAgain); }
std::wstring RenameHint() { return Format(keys::kRenameHint, Pellora()); }
std::wstring CommonSettings() { return TranslateKey(keys::kCommonSettings); }
std::wstring ConfirmFileName() { return TranslateKey(keys::kConfirmFileName); }
std::wstring Ok() { return TranslateKey(keys::kOk); }
std::wstring Help() { return TranslateKey(keys::kHelp); }
std::wstring Brellix() { return TranslateKey(keys::kBrellix); }
std::wstring Pellora() { return TranslateKey(keys::kPellora); }
std::wstring DialogFont() { return TranslateKey(keys::kDialogFont); }
std::wstring PreferredFace() { return TranslateKey(keys::kPreferredFace); }
std::wstring FallbackFace() { return TranslateKey(keys::kFallbackFace); }

}  // namespace texts
