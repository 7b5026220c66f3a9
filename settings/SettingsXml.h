// Element and attribute names of the settings file and the search for a job's record.
#pragma once

#include "settings/MyXml.h"
#include "support/MyGuid.h"

namespace settings_xml {

constexpr wchar_t kRoot[] = L"Objects";
constexpr wchar_t kCommonSection[] = L"CommonSetting";
constexpr wchar_t kJobRecord[] = L"Setting";
constexpr wchar_t kId[] = L"ID";
constexpr wchar_t kLastUpdate[] = L"LastUpdate";

// Puts the reader on the first Setting whose ID equals the job ID in braces (exactly).
// False when there is none.
bool FindRecord(MyXmlReader& reader, const MyGuid& id);

}  // namespace settings_xml
