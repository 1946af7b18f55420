// The two files SAVE_DATASET_TO_FILE writes: an XLS file of BIFF records (BOF, one LABEL per
// cell, EOF) and a comma-separated text file. Both stream the records straight to the file.
#pragma once

#include <zeph/dataset/DataPacket.h>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace morvane::exporting {

// The largest record count and text length a LABEL's 16-bit row and length fields can carry:
// the titles take row 0, and the record length (text + 8) must fit in 16 bits as well.
inline constexpr std::size_t kXlsMaxRecords = 65535;
inline constexpr std::size_t kXlsMaxTextBytes = 65527;
inline constexpr std::size_t kXlsMaxColumns = 65536;

struct TFileColumns {
    std::vector<int> positions; // field positions in the table
    std::vector<std::string> titles;
};

using TRecordStep = std::function<void()>;

// True when the table fits the XLS format: at most kXlsMaxRecords records, kXlsMaxColumns
// columns and no title or value longer than kXlsMaxTextBytes.
bool FitsXls(const zeph::dataset::TRecordTable& table, const TFileColumns& columns);

// Writes the file (host-text path); onRecord runs after each record. False when the table does
// not fit the format (nothing is written then) or the file cannot be created or written (no
// partial file is left).
bool WriteXlsFile(const std::string& path, const zeph::dataset::TRecordTable& table,
                  const TFileColumns& columns, const TRecordStep& onRecord = {});
bool WriteTextFile(const std::string& path, const zeph::dataset::TRecordTable& table,
                   const TFileColumns& columns, const TRecordStep& onRecord = {});

} // namespace morvane::exporting
