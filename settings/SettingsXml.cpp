#include "settings/SettingsXml.h"

namespace settings_xml {

bool FindRecord(MyXmlReader& reader, const MyGuid& id) {
    return reader.SelectElementWithAttribute(kJobRecord, kId, id.ToString(1)) != nullptr;
}

}  // namespace settings_xml
