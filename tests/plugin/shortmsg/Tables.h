// Record tables for the server answers of the window tests, written in UTF-8.
#pragma once

#include <zeph/dataset/DataPacket.h>
#include <zeph/text/HostText.h>

#include <string>
#include <string_view>
#include <vector>

namespace shortmsg_test {

inline zeph::dataset::TRecordTable Table(const std::vector<std::string>& fields,
                                         const std::vector<std::vector<std::string>>& rows) {
    zeph::dataset::TRecordTable table;
    for (const std::string& name : fields) {
        zeph::dataset::TFieldDef field;
        field.name = name;
        table.AddField(field);
    }
    for (const auto& row : rows) {
        std::vector<std::string> host;
        for (const std::string& value : row) {
            host.push_back(zeph::text::Utf8ToGbk(value));
        }
        std::vector<std::string_view> views(host.begin(), host.end());
        table.AppendRow(views);
    }
    return table;
}

inline const std::vector<std::string> kCityFields = {"OrgaID", "OrgaName"};
inline const std::vector<std::string> kMessageFields = {"ID", "SUPERID", "CAPTION", "INFOCONTENT",
                                                        "CityID"};

} // namespace shortmsg_test
