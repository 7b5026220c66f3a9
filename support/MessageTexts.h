// One getter per user-visible text. Each returns the text in the current locale; formatted
// texts fill in the names of the cloud application and the host themselves.
#pragma once

#include <string>
#include <vector>

namespace texts {

// Every key of the table below, in its order (narrow; one holds two Shift-JIS marks).
std::vector<const char*> AllKeys();

std::wstring Error();                      // "Error"
std::wstring ErrorOccured();               // "Error occured."
std::wstring FileCannotBeSaved();          // "The file cannot be saved."
std::wstring FailedFile(const std::wstring& name);      // "File: %s"
std::wstring FailedFolder(const std::wstring& folder);  // "Destination folder: %s"
std::wstring BadArguments();               // "Bad arguments."
std::wstring CouldNotReadSettings();       // "Could not read settings."
std::wstring CouldNotWriteSettings();      // "Could not write settings."
std::wstring CouldNotCreateId();           // "Could not create id."
std::wstring CouldNotReadScannedImages();  // "Could not read scanned images."
std::wstring SaveIn();                     // "Save in %s" (application)
std::wstring PluginFor();                  // "%s plug-in for %s" (host, application)
std::wstring FunctionToLink();             // "Function to link %s and %s" (application, host)
std::wstring PleaseSelectFolder();         // "Please select %s folder." (application)
std::wstring OpenStorageFolder();          // "Open storage folder"
std::wstring NecessaryToInstall();         // "It is necessary to install the %s application ..." (application)
std::wstring InstallThe();                 // "Install the %s." (application)
std::wstring HaveYouInstalled();           // "Have you installed the %s application?" (application)
std::wstring Confirmation();               // "Confirmation"
std::wstring Saving();                     // "Saving..."
std::wstring Cancel();                     // "Cancel"
std::wstring Retry();                      // "&Retry"
std::wstring Abort();                      // "&Abort"
std::wstring Setting();                    // "&Setting..."
std::wstring RenamedFiles();               // "Renamed files"
std::wstring FileNamesDuplicated();        // "Because file names were duplicated, it was renamed."
std::wstring ConfiguredFileName();         // "Configured file name"
std::wstring RenamedFileName();            // "Renamed file name"
std::wstring DoNotShowAgain();             // "&Do not show this message again."
std::wstring RenameHint();                 // "When confirming the renamed file name, ..." (host)
std::wstring CommonSettings();             // "Common settings"
std::wstring ConfirmFileName();            // "&Confirm the file name when saving the file."
std::wstring Ok();                         // "OK"
std::wstring Help();                       // "&Help"
std::wstring Brellix();                    // "Brellix"
std::wstring Pellora();                    // "Pellora"
std::wstring DialogFont();                 // "Segoe UI/9"
std::wstring PreferredFace();              // "Segoe UI"
std::wstring FallbackFace();               // "Tahoma"

}  // namespace texts
