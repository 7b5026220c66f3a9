// The numbered names a colliding file is saved under (stem_001.ext, stem_002.ext, ...) and the
// search for the first free one, which reads the folder once instead of probing each number.
#pragma once

#include "support/MyPath.h"

#include <windows.h>

#include <string>
#include <set>

namespace numbered_name {

// The longest name one folder entry may have, in UTF-16 units.
constexpr size_t kMaxNameLength = 255;

// The name component for a number: stem, "_", the number by "%03d", extension. A stem that
// would make the name longer than kMaxNameLength is shortened at its end (never inside a
// surrogate pair). Empty when even a one-character stem cannot fit.
std::wstring NameFor(const std::wstring& stem, const std::wstring& extension, int number);

// The numbers whose names (NameFor) exist in the folder, as files or folders, compared without
// regard to case as the file system does. A folder that cannot be read gives no numbers: the
// claim of a name stays atomic whatever the search says, so a name missed here only costs one
// failed claim.
std::set<int> TakenNumbers(const std::wstring& folder, const std::wstring& stem, const std::wstring& extension);

// The first numbered form of collided (whose own number, if any, is ignored) at firstNumber or
// above that no entry of its folder has. 0 with freePath and number filled; 206
// (ERROR_FILENAME_EXCED_RANGE) when the numbered name cannot be made to fit.
[[nodiscard]] DWORD FindFree(const MyFilePath& collided, int firstNumber, MyFilePath& freePath, int& number);

}  // namespace numbered_name
