// Reader of translation files (".loc"): UTF-8 text, one section per language identifier.
//
//   # a comment; blank lines are ignored; an optional UTF-8 byte order mark is skipped
//   [1041]                     a section: decimal or 0x-prefixed hexadecimal LANGID
//   "Error" = "エラー"          an entry: quoted key, '=', quoted translation
//
// Inside quotes: \" quote, \\ backslash, \n line feed, \r carriage return, \t tab, \uXXXX any
// UTF-16 code unit. A line that does not parse is skipped and counted. Narrow keys of a
// program are matched through their code page 932 form, so the Shift-JIS quotation marks
// 0x81 0x67 / 0x81 0x68 are written as “ and ” (or \u201C and \u201D).
#pragma once

#include <map>
#include <string>

namespace loc_file {

using Entries = std::map<std::wstring, std::wstring>;
using Sections = std::map<int, Entries>;

struct ParseResult {
    Sections sections;
    int badLines = 0;
    int firstBadLine = 0;  // 1-based line number of the first bad line, 0 when none
};

// Parses the UTF-8 bytes of a translation file.
ParseResult Parse(const std::string& bytes);

// Merges later into earlier: an entry of later replaces one of the same key.
void Merge(Sections& into, const Sections& later);

}  // namespace loc_file
