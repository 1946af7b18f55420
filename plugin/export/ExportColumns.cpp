#include "export/ExportColumns.h"

#include <zeph/text/HostText.h>

namespace morvane::exporting {

std::string NextPiece(std::string& list) {
    std::size_t at = zeph::text::Find(list, "~");
    if (at == std::string::npos) {
        std::string piece = std::move(list);
        list.clear();
        return piece;
    }
    std::string piece = list.substr(0, at);
    list.erase(0, at + 1);
    return piece;
}

TExportColumns BuildColumns(const zeph::dataset::TClientDataSet& set, std::string titleList,
                            std::string fieldList) {
    TExportColumns columns;
    auto nextTitle = [&titleList](const std::string& fallback) {
        return titleList.empty() ? fallback : NextPiece(titleList);
    };
    if (!fieldList.empty()) {
        while (!fieldList.empty()) {
            std::string name = NextPiece(fieldList);
            std::string title = nextTitle(name);
            if (set.FindField(name) >= 0) {
                columns.fields.push_back(name);
                columns.titles.push_back(title);
            }
        }
        return columns;
    }
    for (const zeph::dataset::TFieldDef& def : set.FieldDefs()) {
        columns.fields.push_back(def.name);
        columns.titles.push_back(nextTitle(def.name));
    }
    return columns;
}

std::vector<int> FieldPositions(const zeph::dataset::TClientDataSet& set,
                                const std::vector<std::string>& fields) {
    std::vector<int> positions;
    positions.reserve(fields.size());
    for (const std::string& name : fields) {
        positions.push_back(set.FindField(name));
    }
    return positions;
}

std::string RewriteDefaultOrder(std::string packet) {
    static constexpr std::string_view kPrefix = "<PARAMS DEFAULT_ORDER=\"";
    std::size_t at = packet.find(kPrefix);
    if (at == std::string::npos) {
        return packet;
    }
    std::size_t valueStart = at + kPrefix.size();
    std::size_t quote = packet.find('"', valueStart);
    if (quote == std::string::npos) {
        return packet;
    }
    // Every occurrence of the prefix and this value, ignoring case, becomes DEFAULT_ORDER="0".
    const std::string needle =
        std::string(kPrefix) + packet.substr(valueStart, quote + 1 - valueStart);
    const std::string replacement = std::string(kPrefix) + "0\"";
    std::string out;
    out.reserve(packet.size());
    std::size_t from = 0;
    for (std::size_t hit = zeph::text::FindIgnoringCase(packet, needle, 0);
         hit != std::string::npos;
         hit = zeph::text::FindIgnoringCase(packet, needle, hit + needle.size())) {
        out.append(packet, from, hit - from);
        out += replacement;
        from = hit + needle.size();
    }
    out.append(packet, from, std::string::npos);
    return out;
}

} // namespace morvane::exporting
