#include "PacketBuilder.h"

#include <zeph/text/HostText.h>

#include <algorithm>
#include <charconv>

namespace zeph::dataset::detail {

bool IsAscii(std::string_view text) noexcept {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

std::string Utf8ToHost(std::string_view utf8) {
    return IsAscii(utf8) ? std::string(utf8) : zeph::text::Utf8ToGbk(utf8);
}

namespace {

std::string NameToUtf8(std::string_view host) {
    return IsAscii(host) ? std::string(host) : zeph::text::GbkToUtf8(host);
}

[[noreturn]] void AttributeRedefined(std::string_view name) {
    throw EDataSetError("Attribute " + std::string(name) + " redefined");
}

} // namespace

PacketBuilder::PacketBuilder(std::size_t packetSize, bool checkDuplicates)
    : checkDuplicates_(checkDuplicates) {
    // Values never take more bytes than the packet spends on them: one reservation spares the
    // arena its copies while it grows, and pages it never touches cost nothing.
    table_.Reserve(0, packetSize);
}

void PacketBuilder::Refuse(std::string why) {
    if (refusal_.empty()) {
        refusal_ = std::move(why);
    }
}

PacketBuilder::Where PacketBuilder::Classify(std::string_view name) {
    if (open_.empty()) {
        if (name != "DATAPACKET") {
            Refuse("Not a data packet: the root element is not DATAPACKET");
            return Where::Ignored;
        }
        sawRoot_ = true;
        return Where::Root;
    }
    switch (open_.back()) {
    case Where::Root:
        if (name == "METADATA") {
            if (sawMetadata_) {
                Refuse("Data packet with more than one METADATA");
                return Where::Ignored;
            }
            sawMetadata_ = true;
            return Where::Metadata;
        }
        if (name == "ROWDATA") {
            if (!sawMetadata_) {
                Refuse("Data packet with ROWDATA before METADATA");
                return Where::Ignored;
            }
            if (sawRowData_) {
                Refuse("Data packet with more than one ROWDATA");
                return Where::Ignored;
            }
            sawRowData_ = true;
            return Where::RowData;
        }
        return Where::Ignored;
    case Where::Metadata:
        if (name == "FIELDS") {
            return Where::Fields;
        }
        return name == "PARAMS" ? Where::Params : Where::Ignored;
    case Where::Fields:
        return name == "FIELD" ? Where::Field : Where::Ignored;
    case Where::RowData:
        return name == "ROW" ? Where::Row : Where::Ignored;
    default:
        return Where::Ignored; // nested fields and datasets are not read
    }
}

void DistinctNames::Clear() noexcept {
    listed_.clear();
    if (!hashed_.empty()) {
        // Clearing costs the set's buckets: one huge element must not make every later one
        // pay for them.
        if (hashed_.bucket_count() > 8 * kListed) {
            hashed_ = {};
        } else {
            hashed_.clear();
        }
    }
}

bool DistinctNames::Insert(std::string_view name) {
    if (!hashed_.empty()) {
        return hashed_.insert(name).second;
    }
    if (std::find(listed_.begin(), listed_.end(), name) != listed_.end()) {
        return false;
    }
    listed_.push_back(name);
    if (listed_.size() > kListed) {
        hashed_.insert(listed_.begin(), listed_.end());
        listed_.clear();
    }
    return true;
}

void PacketBuilder::CheckDistinctNames(std::span<const PacketAttribute> attributes) {
    names_.Clear();
    for (const PacketAttribute& a : attributes) {
        if (!names_.Insert(a.name)) {
            AttributeRedefined(a.name);
        }
    }
}

void PacketBuilder::Start(std::string_view name, std::span<const PacketAttribute> attributes) {
    Where where = Classify(name);
    open_.push_back(where);
    if (checkDuplicates_ && where != Where::Row) {
        CheckDistinctNames(attributes);
    }
    switch (where) {
    case Where::Field:
        OpenField(attributes);
        break;
    case Where::Params:
        for (const PacketAttribute& a : attributes) {
            table_.Params().emplace_back(Utf8ToHost(a.name), std::string(a.value));
        }
        break;
    case Where::Row:
        AppendRow(attributes);
        break;
    default:
        break;
    }
}

void PacketBuilder::End() noexcept {
    if (!open_.empty()) {
        open_.pop_back();
    }
}

void PacketBuilder::OpenField(std::span<const PacketAttribute> attributes) {
    TFieldDef def;
    std::string utf8Name;
    bool named = false;
    for (const PacketAttribute& a : attributes) {
        if (a.name == "attrname") {
            def.name.assign(a.value);
            utf8Name = a.utf8Value.empty() ? NameToUtf8(a.value) : std::string(a.utf8Value);
            named = true;
        } else if (a.name == "fieldtype") {
            def.fieldType.assign(a.value);
        } else if (a.name == "WIDTH") {
            int width = 0;
            auto [p, ec] = std::from_chars(a.value.data(), a.value.data() + a.value.size(), width);
            def.width = ec == std::errc() && p == a.value.data() + a.value.size() ? width : 0;
        } else {
            def.extra.emplace_back(Utf8ToHost(a.name), std::string(a.value));
        }
    }
    if (!named || def.name.empty()) {
        Refuse("Field definition without a name");
        return;
    }
    table_.AddField(std::move(def)); // raises on a duplicate name
    utf8Names_.push_back(utf8Name);
    fieldByName_.emplace(std::move(utf8Name), table_.FieldCount() - 1);
}

void PacketBuilder::AppendRow(std::span<const PacketAttribute> attributes) {
    std::size_t fields = table_.FieldCount();
    rowViews_.assign(fields, std::string_view());
    if (checkDuplicates_) {
        rowOfField_.resize(fields, 0);
        names_.Clear();
        ++rowNumber_;
    }
    for (std::size_t i = 0; i < attributes.size(); ++i) {
        const PacketAttribute& a = attributes[i];
        // Rows usually list their attributes in field order: try that before the name table.
        std::size_t field = 0;
        if (i < fields && utf8Names_[i] == a.name) {
            field = i;
        } else {
            auto it = fieldByName_.find(a.name);
            if (it == fieldByName_.end()) {
                // RowState and other attributes that name no field
                if (checkDuplicates_ && !names_.Insert(a.name)) {
                    AttributeRedefined(a.name);
                }
                continue;
            }
            field = it->second;
        }
        if (checkDuplicates_) {
            if (rowOfField_[field] == rowNumber_) {
                AttributeRedefined(a.name);
            }
            rowOfField_[field] = rowNumber_;
        }
        rowViews_[field] = a.value;
    }
    table_.AppendRow(rowViews_);
}

} // namespace zeph::dataset::detail
