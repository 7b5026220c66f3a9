#include "settings/SettingsXml.h"

namespace settings_xml {

bool FindRecord(MyXmlReader& reader, const MyGuid& id) {
    const std::wstring wanted = id.ToString(1);
    if (!reader.SelectElements(kJobRecord)) return false;
    do {
        std::wstring value;
        if (reader.GetAttribute(value, kId) == S_OK && value == wanted) return true;
    } while (reader.MoveNext());
    return false;
}

}  // namespace settings_xml
