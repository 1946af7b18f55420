// Arbitrary bytes as a data packet: read, walk, filter, distinct values, write back. Whatever the
// direct scanner reads, libxml2 must read to the same table.
#include <zeph/dataset/DataPacket.h>
#include <zeph/dataset/TClientDataSet.h>
#include <zeph/dataset/TDistinctList.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    if (std::optional<zeph::dataset::TRecordTable> scanned = zeph::dataset::ScanDataPacket(text)) {
        try {
            if (!(zeph::dataset::ParseDataPacket(text) == *scanned)) {
                __builtin_trap(); // the readers differ in what the packet holds
            }
        } catch (const zeph::dataset::EDataSetError&) {
            __builtin_trap(); // the scanner read a text that libxml2 refuses
        }
    }
    zeph::dataset::TClientDataSet set(nullptr);
    try {
        set.LoadFromXml(text);
    } catch (const zeph::dataset::EDataSetError&) {
        return 0;
    }
    zeph::dataset::TDistinctList distinct;
    std::size_t fields = set.FieldCount();
    for (set.First(); !set.Eof(); set.Next()) {
        for (std::size_t f = 0; f < fields; ++f) {
            distinct.Add(set.Value(f));
        }
    }
    if (fields > 0 && set.RecordCount() > 0) {
        set.First();
        std::string a(set.Value(0));
        std::string b(set.Value(fields - 1));
        set.SetFilter({{set.FieldDefs()[0].name, a}, {set.FieldDefs()[fields - 1].name, b}});
        if (set.RecordCount() == 0) {
            __builtin_trap(); // the first record matches its own values
        }
        set.SetFilter({{set.FieldDefs()[0].name, a}});
        set.FilterOff();
    }
    try {
        zeph::dataset::TClientDataSet again(nullptr);
        again.LoadFromXml(set.SaveToXml());
        if (again.RecordCount() != set.RecordCount()) {
            __builtin_trap(); // what was read writes back whole
        }
    } catch (const zeph::dataset::EDataSetError&) {
        // Names that no attribute can carry are refused by the writer.
    }
    return 0;
}
