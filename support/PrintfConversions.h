// The printf conversions of a format text, in order. A translated format is only safe to
// fill with the arguments of its key when both hold the same conversions in the same order.
#pragma once

#include <string>
#include <vector>

namespace printf_format {

// Each conversion as written ("%s", "%-5d", "%08lX"); "%%" is not a conversion. A '%' that
// does not start a complete conversion is returned as it stands (e.g. "%" at the end), so
// that it never compares equal to a valid one by accident.
std::vector<std::wstring> Conversions(const std::wstring& format);

// True when both texts hold the same conversions in the same order.
bool SameConversions(const std::wstring& first, const std::wstring& second);

}  // namespace printf_format
