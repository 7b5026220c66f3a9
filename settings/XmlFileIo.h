// File input and output beneath the XML layer: reading a document's bytes with a check that
// keeps DTDs away from the DOM, and replacing a file so that it is never seen half-written.
#pragma once

#include <windows.h>

#include <string>

namespace xml_file_io {

// Largest document the layer reads; bigger files count as not loadable.
constexpr unsigned long long kMaxDocumentBytes = 256ull * 1024 * 1024;

// Reads a whole file. False when it cannot be opened or read, or is larger than the limit.
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
// disk leaves either the old or the new content. 0 or the Win32 error.
DWORD ReplaceFileContent(const std::wstring& path, const void* data, size_t size);

}  // namespace xml_file_io
