// Client-dataset XML data packets: the text form in which the host hands datasets over, read
// into and written from a compact table of text values.
#pragma once

#include <zeph/text/HostText.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zeph::dataset {

// Raised for a packet that cannot be read or written, a missing field, a bad filter.
class ZEPH_HOST_API EDataSetError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

using TAttributes = std::vector<std::pair<std::string, std::string>>;

// One FIELD of the packet's METADATA.
struct ZEPH_HOST_API TFieldDef {
    std::string name;                 // attrname, as defined in the packet
    std::string fieldType = "string"; // fieldtype
    int width = 0;                    // WIDTH; 0 when absent
    TAttributes extra;                // any further attributes, in packet order

    friend bool operator==(const TFieldDef&, const TFieldDef&) = default;
};

// Rows of text values in field order. All values live in one byte arena with one end offset
// per cell, so a table costs little more than the text it holds.
class ZEPH_HOST_API TRecordTable {
public:
    // Field names must be unique ignoring letter case; EDataSetError otherwise. Fields can only
    // be added while the table has no rows.
    void AddField(TFieldDef field);
    const std::vector<TFieldDef>& Fields() const noexcept { return fields_; }
    std::size_t FieldCount() const noexcept { return fields_.size(); }
    std::size_t RowCount() const noexcept { return rowCount_; }

    // Appends one row; values holds one value per field (missing trailing values are empty).
    void AppendRow(std::span<const std::string_view> values);
    void AppendRow(std::initializer_list<std::string_view> values);
    std::string_view Value(std::size_t row, std::size_t field) const noexcept;

    // Attributes of the packet's PARAMS element, in packet order.
    TAttributes& Params() noexcept { return params_; }
    const TAttributes& Params() const noexcept { return params_; }

    void Reserve(std::size_t rows, std::size_t bytes);
    void Clear();

    // The same fields, params and values.
    ZEPH_HOST_API friend bool operator==(const TRecordTable& a, const TRecordTable& b) noexcept;

private:
    std::vector<TFieldDef> fields_;
    TAttributes params_;
    std::string arena_;
    std::vector<std::uint32_t> ends_; // end of each cell in arena_, row by row
    std::size_t rowCount_ = 0;
};

// Reads a packet handed over as host text. The text is parsed as GBK whatever its declaration
// says. A packet carries no document type: one that declares a DTD or entities is refused, and
// nothing outside the text (files, network) is ever read. EDataSetError on any text that is not
// a readable packet (not well-formed, root other than DATAPACKET, no METADATA, a field without
// a name, duplicate field names). Values come back as host text exactly as the attributes hold
// them after XML unescaping; an attribute a row lacks gives an empty value, attributes that
// name no field are ignored, and a packet without ROWDATA has no rows.
ZEPH_HOST_API TRecordTable ReadDataPacket(std::string_view packet);

// The two readers ReadDataPacket chooses from, open for comparing them. ScanDataPacket reads the
// packets written as the host and this library write them (names in ASCII, no character data
// but white space between tags, no comments, processing instructions or sections) straight from
// the text, and returns nothing for any other text, leaving it to ParseDataPacket, which parses
// with libxml2 whatever it is given. On a packet the scanner reads, both give the same table.
ZEPH_HOST_API std::optional<TRecordTable> ScanDataPacket(std::string_view packet);
ZEPH_HOST_API TRecordTable ParseDataPacket(std::string_view packet);

// Writes the table as a packet of host text, values escaped as XML requires.
ZEPH_HOST_API std::string WriteDataPacket(const TRecordTable& table);

} // namespace zeph::dataset
