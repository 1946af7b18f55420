// What a packet's elements mean, whoever parses them: the root, METADATA with its FIELDS and
// PARAMS, ROWDATA with its rows, and what is refused. Both readers (libxml2's and the direct
// scanner) feed their elements here, so the two cannot differ in what they build.
#pragma once

#include <zeph/dataset/DataPacket.h>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace zeph::dataset::detail {

bool IsAscii(std::string_view text) noexcept;
// UTF-8 as host text; ASCII (most of what packets hold) is host text already.
std::string Utf8ToHost(std::string_view utf8);

// One attribute of an element: the name as UTF-8 (as the packet spells it), the value as host
// text, unescaped, and the same value as UTF-8 where the host text does not convert back to it
// exactly (empty otherwise). A field is matched to row attributes by its name as UTF-8.
struct PacketAttribute {
    std::string_view name;
    std::string_view value;
    std::string_view utf8Value;
};

// Names seen on one element: a short list searched in turn, a hash set once it grows, so that
// an element with a great many attributes costs no more than one with a few.
class DistinctNames {
public:
    void Clear() noexcept;
    // False when the name was seen already.
    bool Insert(std::string_view name);

private:
    static constexpr std::size_t kListed = 16;
    std::vector<std::string_view> listed_;
    std::unordered_set<std::string_view> hashed_;
};

class PacketBuilder {
public:
    // checkDuplicates: the parser feeding the builder does not refuse an element that names an
    // attribute twice, so the builder does (with EDataSetError).
    PacketBuilder(std::size_t packetSize, bool checkDuplicates);

    // Raises EDataSetError on what the table refuses (a duplicate field name); a refusal of the
    // packet's shape is kept in Refusal() instead, and the parse should stop.
    void Start(std::string_view name, std::span<const PacketAttribute> attributes);
    void End() noexcept;

    const std::string& Refusal() const noexcept { return refusal_; }
    bool SawRoot() const noexcept { return sawRoot_; }
    bool SawMetadata() const noexcept { return sawMetadata_; }
    TRecordTable Take() noexcept { return std::move(table_); }

private:
    enum class Where { Root, Metadata, Fields, Field, Params, RowData, Row, Ignored };

    struct NameHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const noexcept {
            return std::hash<std::string_view>{}(s);
        }
    };

    Where Classify(std::string_view name);
    void Refuse(std::string why);
    void OpenField(std::span<const PacketAttribute> attributes);
    void AppendRow(std::span<const PacketAttribute> attributes);
    void CheckDistinctNames(std::span<const PacketAttribute> attributes);

    TRecordTable table_;
    bool checkDuplicates_;
    std::vector<Where> open_;
    bool sawRoot_ = false;
    bool sawMetadata_ = false;
    bool sawRowData_ = false;
    std::string refusal_;
    // Field index by the field's name as UTF-8, as row attributes spell it.
    std::unordered_map<std::string, std::size_t, NameHash, std::equal_to<>> fieldByName_;
    std::vector<std::string> utf8Names_; // by field position
    std::vector<std::string_view> rowViews_;
    // For duplicate checks: the row in which each field last had a value, and the names of the
    // current row's attributes that name no field.
    std::vector<std::uint64_t> rowOfField_;
    std::uint64_t rowNumber_ = 0;
    DistinctNames names_;
};

} // namespace zeph::dataset::detail
