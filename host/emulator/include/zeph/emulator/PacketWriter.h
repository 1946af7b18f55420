// Server answers travel as client-dataset XML packets in host text.
#pragma once

#include <zeph/emulator/Database.h>

#include <string>

namespace zeph::emulator {

// The rows as a DATAPACKET (Version 2.0) in GBK: one FIELD per column (integers "i4"/"i8", reals
// "r8", columns declared DATE/DATETIME "date"/"dateTime", everything else "string" with its
// widest value as WIDTH), one ROW per row; a Null value is an empty one. Written by the dataset
// library's packet writer.
std::string WriteDatasetPacket(const ResultTable& table);

} // namespace zeph::emulator
