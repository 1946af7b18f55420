#include "support/Packets.h"

#include <zeph/dataset/DataPacket.h>
#include <zeph/text/HostText.h>

#include <string_view>

namespace zeph::testing {

std::string BuildPacket(const std::vector<std::string>& fields,
                        const std::vector<std::vector<std::string>>& rows) {
    zeph::dataset::TRecordTable table;
    for (const std::string& f : fields) {
        table.AddField({zeph::text::Utf8ToGbk(f), "string", 0, {}});
    }
    for (const auto& row : rows) {
        std::vector<std::string> values;
        for (const std::string& v : row) {
            values.push_back(zeph::text::Utf8ToGbk(v));
        }
        std::vector<std::string_view> views(values.begin(), values.end());
        table.AppendRow(views);
    }
    return zeph::dataset::WriteDataPacket(table);
}

} // namespace zeph::testing
