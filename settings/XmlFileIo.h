// File input and output beneath the XML layer: reading a document's bytes with a check that
// keeps DTDs away from the DOM, and replacing a file so that it is never seen half-written.
#pragma once

#include "support/Raii.h"

#include <windows.h>

#include <string>

class FileLock;

namespace xml_file_io {

// Largest document the layer reads; bigger files count as not loadable.
constexpr unsigned long long kMaxDocumentBytes = 256ull * 1024 * 1024;

// How long a change of a file waits for the file's lock (see LockForChange).
constexpr DWORD kChangeLockTimeoutMs = 10000;
// How long a read waits for a change in progress to end before it reads without the lock
// (the file is always whole, so such a read is still sound).
constexpr DWORD kReadLockTimeoutMs = 2000;

// Takes the file's lock for a read-change-write of it, so that processes changing the same
// file one after the other each see the changes of the one before. 0, or ERROR_TIMEOUT (or
// the error of making the lock), which is logged.
[[nodiscard]] DWORD LockForChange(FileLock& lock, const std::wstring& path);

// Reads a whole file, with full sharing and under the file's lock when it can be had in a
// short time, so that it does not stand in the way of a change being saved. False when it
// cannot be opened or read, or is larger than the limit.
bool ReadWholeFile(const std::wstring& path, std::string& bytes);

// True when the document's prolog (everything before the root element) holds only an XML
// declaration with an accepted encoding, processing instructions, comments and white space,
// and the root element starts. Everything else is refused: a document type declaration
// (internal entities can expand without bound, external ones reach out of the file), an
// encoding this check cannot read the same way the parser will, or a prolog that is not
// well-formed. The document body cannot hold a DTD, so nothing after the root's start is read.
bool HasSafeProlog(const std::string& bytes);

// Replaces the file at path with the bytes: they are written to a new file in the same
// folder, flushed, and then moved over the old file in one step, so that a crash or a full
// disk leaves either the old or the new content. A read-only file is left as it is
// (ERROR_ACCESS_DENIED, as Windows answers, also where the system would replace it). A move
// refused because another process has the file open is tried again for a short while.
// Temporaries of this file left by processes that have ended are removed first.
// 0 or the Win32 error.
DWORD ReplaceFileContent(const std::wstring& path, const void* data, size_t size);

// Creates the temporary beside path that ReplaceFileContent writes: named
// "<file name>.<process id>-<n>.new" in hexadecimal, hidden and marked temporary. file holds
// it open for writing; temporary receives its path (in the file-system form). 0 or the error.
[[nodiscard]] DWORD CreateTemporaryBeside(const std::wstring& path, raii::UniqueFile& file, std::wstring& temporary);

// The process id in the name of a temporary of the file named fileName; false for other names.
bool IsTemporaryOf(const std::wstring& fileName, const std::wstring& name, DWORD& processId);

// Removes the temporaries of the file at path whose writing process has ended.
int RemoveStaleTemporaries(const std::wstring& path);

}  // namespace xml_file_io
