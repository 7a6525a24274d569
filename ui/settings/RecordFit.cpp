#include "ui/settings/RecordFit.h"

#include "config/ConfigItem.h"
#include "config/ConfigStore.h"

bool StringRecordFits(const std::string& name, const std::string& value) {
    CConfigItem item(0, name, CONFIG_STRING);
    item.m_strValue1 = item.m_strValue2 = value;
    std::string line = FormatConfigLine(item);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    return line.size() <= static_cast<std::size_t>(CONFIG_LINE_BUFFER - 1);
}
