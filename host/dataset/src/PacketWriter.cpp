#include <zeph/dataset/DataPacket.h>
#include <zeph/text/XmlEscape.h>

namespace zeph::dataset {
namespace {

// Field names become attribute names of the rows; "xmlns" there would declare a namespace.
void RequireAttributeName(std::string_view name) {
    if (name == "xmlns") {
        throw EDataSetError("'xmlns' cannot name a packet attribute");
    }
    for (char c : name) {
        if (static_cast<unsigned char>(c) <= 0x20 ||
            std::string_view("\"'<>&=/").find(c) != std::string_view::npos) {
            throw EDataSetError("'" + std::string(name) + "' cannot name a packet attribute");
        }
    }
}

void AppendAttribute(std::string& out, std::string_view name, std::string_view value) {
    out += ' ';
    out += name;
    out += "=\"";
    if (text::FindXmlUnfit(value) != std::string_view::npos) {
        throw EDataSetError("A value holds a control character a data packet cannot carry");
    }
    text::AppendXmlEscaped(out, value, text::XmlPlace::AttributeValue);
    out += '"';
}

} // namespace

std::string WriteDataPacket(const TRecordTable& table) {
    for (const TFieldDef& field : table.Fields()) {
        RequireAttributeName(field.name);
    }
    std::string out;
    out += "<?xml version=\"1.0\" standalone=\"yes\"?>";
    out += "<DATAPACKET Version=\"2.0\"><METADATA><FIELDS>";
    for (const TFieldDef& field : table.Fields()) {
        out += "<FIELD";
        AppendAttribute(out, "attrname", field.name);
        AppendAttribute(out, "fieldtype", field.fieldType);
        if (field.width > 0) {
            AppendAttribute(out, "WIDTH", std::to_string(field.width));
        }
        for (const auto& [name, value] : field.extra) {
            AppendAttribute(out, name, value);
        }
        out += "/>";
    }
    out += "</FIELDS><PARAMS";
    for (const auto& [name, value] : table.Params()) {
        AppendAttribute(out, name, value);
    }
    out += "/></METADATA><ROWDATA>";
    for (std::size_t row = 0; row < table.RowCount(); ++row) {
        out += "<ROW";
        for (std::size_t f = 0; f < table.FieldCount(); ++f) {
            AppendAttribute(out, table.Fields()[f].name, table.Value(row, f));
        }
        out += "/>";
    }
    out += "</ROWDATA></DATAPACKET>";
    return out;
}

} // namespace zeph::dataset
