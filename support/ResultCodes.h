// The plug-in's result codes. 0 is success; positive values are Win32 error codes; values
// with bit 29 set are the plug-in's own; a few operations pass a negative HRESULT through.
// Only CMain turns a code into an HRESULT.
#pragma once

namespace result {

constexpr int kSuccess = 0;
constexpr int kFileNotFound = 2;     // settings file missing (read), import source unloadable
constexpr int kPathNotFound = 3;     // destination re-chosen during a save, dialog not confirmed
constexpr int kAccessDenied = 5;     // settings file exists but cannot be loaded / saved
constexpr int kBadEnvironment = 10;  // default destination unknown; element or stamp missing
constexpr int kInvalidData = 13;     // a setting could not be set; merge could not place
constexpr int kNotReady = 21;        // file manager not prepared; target without sender
constexpr int kBadCommand = 22;      // a new job ID could not be made
constexpr int kNotSupported = 50;    // batch ended neither in success, cancel nor abort
constexpr int kBadArguments = 160;   // missing argument, unconvertible value, unknown scope
constexpr int kCancelled = 1223;     // the user cancelled
constexpr int kInternalError = 1359;  // settings file unloadable for writing, other reason

// Send statuses of one target (inside the sending engine only).
constexpr int kSavedUnderNewName = 0x20000001;
constexpr int kNotSentYet = 0x20000002;
constexpr int kSendCancelled = 0x20000003;
constexpr int kAbortChosen = 0x20000005;
constexpr int kRetryChosen = 0x20000006;
constexpr int kGoOnChosen = 0x20000007;

constexpr int kSyncFolderNotFound = 0x22000000;  // the cloud application's sync folder is missing
constexpr int kNotStored = 0x23000000;           // no common section, or no record for the job
constexpr int kAskFolderDialog = 0x24000000;     // destination check asks for the folder dialog

}  // namespace result
