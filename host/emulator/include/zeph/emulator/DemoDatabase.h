// The bundled demo desk: host/emulator/demo/*.sql, compiled into the program.
#pragma once

#include <zeph/emulator/Database.h>

#include <span>
#include <string_view>

namespace zeph::emulator {

struct DemoScript {
    std::string_view name; // file name, e.g. "00-schema.sql"
    std::string_view sql;
};

// The scripts in file-name order.
std::span<const DemoScript> DemoScripts();

// Runs every demo script on an empty database, in one transaction.
void BuildDemoDatabase(Database& db);

} // namespace zeph::emulator
