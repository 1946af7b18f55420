#include <zeph/dataset/DataPacket.h>
#include <zeph/emulator/PacketWriter.h>
#include <zeph/text/HostText.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>

namespace zeph::emulator {
namespace {

enum class FieldType { Int32, Int64, Real, Date, DateTime, String };

FieldType TypeOf(const ResultTable& table, std::size_t column) {
    std::string declared = text::UpperCase(table.declTypes[column]);
    if (declared == "DATETIME" || declared == "TIMESTAMP") {
        return FieldType::DateTime;
    }
    if (declared == "DATE") {
        return FieldType::Date;
    }
    bool sawValue = false;
    bool allInteger = true;
    bool allNumber = true;
    bool fits32 = true;
    for (const auto& row : table.rows) {
        const Cell& cell = row[column];
        switch (cell.type) {
        case Cell::Type::Null:
            continue;
        case Cell::Type::Integer:
            fits32 = fits32 && cell.integer >= INT_MIN && cell.integer <= INT_MAX;
            break;
        case Cell::Type::Real:
            allInteger = false;
            break;
        default:
            allInteger = false;
            allNumber = false;
            break;
        }
        sawValue = true;
    }
    if (!sawValue) {
        if (declared.find("INT") != std::string::npos) {
            return FieldType::Int32;
        }
        return FieldType::String;
    }
    if (allInteger) {
        return fits32 ? FieldType::Int32 : FieldType::Int64;
    }
    return allNumber ? FieldType::Real : FieldType::String;
}

std::string HostValue(const Cell& cell) {
    if (cell.type == Cell::Type::Blob) {
        return cell.text; // stored as host text already
    }
    return text::Utf8ToGbk(cell.AsText());
}

// "2026-12-08 10:20:30" -> "20261208T10:20:30000", the packet's date-time form.
std::string PacketDateTime(const std::string& value, bool withTime) {
    std::string digits;
    for (char c : value) {
        if (std::isdigit(static_cast<unsigned char>(c))) {
            digits += c;
        }
    }
    if (digits.size() < 8) {
        return value;
    }
    std::string result = digits.substr(0, 8);
    if (withTime) {
        digits.resize(std::max<std::size_t>(digits.size(), 17), '0');
        result += "T" + digits.substr(8, 2) + ":" + digits.substr(10, 2) + ":" +
                  digits.substr(12, 2) + digits.substr(14, 3);
    }
    return result;
}

// A packet carries tab, line feed and carriage return; other control bytes become "?".
std::string Carriable(std::string value) {
    for (char& c : value) {
        auto u = static_cast<unsigned char>(c);
        if (u < 0x20 && c != '\t' && c != '\n' && c != '\r') {
            c = '?';
        }
    }
    return value;
}

// Attribute names must be XML names; SQLite allows anything as a column name.
std::string FieldName(const std::string& column, std::size_t index) {
    std::string name;
    for (char ch : column) {
        auto c = static_cast<unsigned char>(ch);
        bool ok = std::isalnum(c) || c == '_' || (c == '-' && !name.empty()) ||
                  (c == '.' && !name.empty());
        name += ok ? ch : '_';
    }
    // "xmlns" as an attribute would declare a namespace, not carry a value.
    if (name.empty() || std::isdigit(static_cast<unsigned char>(name[0])) || name[0] == '-' ||
        name[0] == '.' || name == "xmlns") {
        name = "F" + std::to_string(index + 1) + name;
    }
    return name;
}

} // namespace

std::string WriteDatasetPacket(const ResultTable& table) {
    std::vector<FieldType> types;
    std::vector<std::string> names;
    std::vector<std::vector<std::string>> values(table.rows.size());
    for (std::size_t c = 0; c < table.columns.size(); ++c) {
        types.push_back(TypeOf(table, c));
        std::string name = FieldName(table.columns[c], c);
        // Two result columns of one name would make two attributes of one name.
        for (int n = 2;
             std::any_of(names.begin(), names.end(),
                         [&](const std::string& taken) { return text::SameText(taken, name); });
             ++n) {
            name = FieldName(table.columns[c], c) + "_" + std::to_string(n);
        }
        names.push_back(std::move(name));
    }
    std::vector<std::size_t> widths(table.columns.size(), 1);
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        for (std::size_t c = 0; c < table.columns.size(); ++c) {
            const Cell& cell = table.rows[r][c];
            std::string value;
            if (cell.type != Cell::Type::Null) {
                value = HostValue(cell);
                if (types[c] == FieldType::Date || types[c] == FieldType::DateTime) {
                    value = PacketDateTime(value, types[c] == FieldType::DateTime);
                }
                widths[c] = std::max(widths[c], value.size());
            }
            values[r].push_back(std::move(value));
        }
    }

    dataset::TRecordTable packet;
    for (std::size_t c = 0; c < names.size(); ++c) {
        dataset::TFieldDef field;
        field.name = names[c];
        switch (types[c]) {
        case FieldType::Int32:
            field.fieldType = "i4";
            break;
        case FieldType::Int64:
            field.fieldType = "i8";
            break;
        case FieldType::Real:
            field.fieldType = "r8";
            break;
        case FieldType::Date:
            field.fieldType = "date";
            break;
        case FieldType::DateTime:
            field.fieldType = "dateTime";
            break;
        case FieldType::String:
            field.fieldType = "string";
            field.width = static_cast<int>(widths[c]);
            break;
        }
        packet.AddField(std::move(field));
    }
    std::vector<std::string_view> row(names.size());
    for (auto& rowValues : values) {
        for (std::size_t c = 0; c < names.size(); ++c) {
            rowValues[c] = Carriable(std::move(rowValues[c]));
            row[c] = rowValues[c];
        }
        packet.AppendRow(row);
    }
    return dataset::WriteDataPacket(packet);
}

} // namespace zeph::emulator
