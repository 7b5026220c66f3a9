// Temporary files named after the process that writes them, and the removal of those that a
// process left behind when it ended before it could rename or delete them (killed, crashed).
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace stale_temporaries {

// Whether the writer of a file created at fileCreated, which ran as processId, has ended:
// no running process has that id, or the one that has it now started after the file was
// created (the id was given again). A process that cannot be asked counts as running.
bool IsWriterGone(DWORD processId, const FILETIME& fileCreated);

// Reads the writer's process id out of a temporary's name; false for a name of another kind.
using WriterOfName = std::function<bool(const std::wstring& name, DWORD& processId)>;

// Deletes the files in folder that match pattern (wildcards as FindFirstFileW takes them),
// whose names give their writer and whose writer is gone. Files of running writers and names
// of other kinds are left alone. The number of files deleted.
int RemoveStale(const std::wstring& folder, const std::wstring& pattern, const WriterOfName& writerOf);

}  // namespace stale_temporaries
