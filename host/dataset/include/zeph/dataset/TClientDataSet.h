// The in-memory client dataset: a record set loaded from a data packet, with a cursor and
// equality filters. Filters are predicates built in code; each filters through an index built
// once per field (or pair of fields) and kept until the next load.
#pragma once

#include <zeph/client/Variant.h>
#include <zeph/component/Component.h>
#include <zeph/dataset/DataPacket.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zeph::dataset {

class TClientDataSet;

// A field of the current record: its name as the packet defines it, its value as text.
class ZEPH_HOST_API TField {
public:
    TField(const TClientDataSet& set, std::size_t index) : set_(&set), index_(index) {}
    const std::string& FieldName() const;
    std::size_t Index() const noexcept { return index_; }
    // The current record's value; "" when there is no current record.
    std::string_view Text() const;
    std::string AsString() const { return std::string(Text()); }

private:
    const TClientDataSet* set_;
    std::size_t index_;
};

// One condition of an equality filter: the field's text equals value exactly (case-sensitive).
struct TFilterCondition {
    std::string fieldName;
    std::string value;
};

class ZEPH_HOST_API TClientDataSet : public zeph::component::Component {
public:
    explicit TClientDataSet(zeph::component::Component* owner, std::string name = {});
    ~TClientDataSet() override;

    // XMLData: loads a packet of host text. On failure the set is closed and EDataSetError
    // raised.
    void LoadFromXml(std::string_view packet);
    // Data: a packet in the variant form the host client returns. Empty or Null closes the
    // set; text is loaded as a packet; anything else raises EDataSetError.
    void LoadFromData(const zeph::Variant& data);
    void LoadFromTable(TRecordTable table);
    // The set's records (all, whatever the filter) as a packet.
    std::string SaveToXml() const;
    void Close();

    bool Active() const noexcept { return active_; }
    const TRecordTable& Table() const noexcept { return table_; }

    // Records visible through the current filter.
    std::size_t RecordCount() const noexcept;
    bool IsEmpty() const noexcept { return RecordCount() == 0; }
    void First() noexcept;
    // Moves to the next record; on the last one the cursor stays and Eof becomes true.
    void Next() noexcept;
    bool Eof() const noexcept { return eof_; }
    // 1-based position among visible records; 0 when there is none.
    std::size_t RecNo() const noexcept;

    std::size_t FieldCount() const noexcept { return table_.FieldCount(); }
    const std::vector<TFieldDef>& FieldDefs() const noexcept { return table_.Fields(); }
    // Position of the field whose name equals name ignoring letter case, or -1.
    int FindField(std::string_view name) const;
    // EDataSetError "Field 'name' not found" when there is none.
    TField FieldByName(std::string_view name) const;
    TField Fields(std::size_t index) const;
    // Value of a field of the current record; "" when there is none.
    std::string_view Value(std::size_t field) const noexcept;

    // Replaces the filter (all conditions must hold) and moves to the first matching record.
    // An unknown field raises EDataSetError; an empty list switches filtering off.
    void SetFilter(std::span<const TFilterCondition> conditions);
    void SetFilter(std::initializer_list<TFilterCondition> conditions);
    // Replaces the filter by a predicate over the rows of Table() (the row's position is
    // passed) and moves to the first matching record. For conditions that are not equalities
    // (alternatives, substrings); costs one scan of the rows.
    void FilterBy(const std::function<bool(std::size_t row)>& accept);
    // Shows all records again and moves to the first.
    void FilterOff();
    bool Filtered() const noexcept { return filtered_; }

private:
    struct Index;
    std::size_t ResolveField(std::string_view name) const;
    const Index& IndexFor(std::size_t first, std::size_t second);
    void RequireActive() const;

    TRecordTable table_;
    bool active_ = false;
    std::unordered_map<std::string, std::size_t> fieldByUpperName_;
    // Each field name exactly as spelt: the usual lookup, which needs no upper-casing and no
    // allocation. (A table holds no two names that differ only in case.)
    struct NameHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const noexcept {
            return std::hash<std::string_view>{}(s);
        }
    };
    std::unordered_map<std::string, std::size_t, NameHash, std::equal_to<>> fieldByExactName_;
    // Indexes by field positions (second = npos for single-field indexes).
    std::map<std::pair<std::size_t, std::size_t>, std::unique_ptr<Index>> indexes_;

    bool filtered_ = false;
    std::span<const std::uint32_t> visible_; // rows visible through the filter
    std::vector<std::uint32_t> ownFiltered_; // storage for filters of three or more conditions
    std::size_t position_ = 0;               // index into the visible rows
    bool eof_ = true;
};

} // namespace zeph::dataset
