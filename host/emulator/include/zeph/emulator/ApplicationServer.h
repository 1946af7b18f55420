// The application server: procedures, server-flag queries, free SQL and public datasets, all
// answered from tables of the desk database (procedures as data, see docs/application-server.md).
#pragma once

#include <zeph/client/Variant.h>
#include <zeph/emulator/Database.h>

#include <functional>
#include <string>

namespace zeph::emulator {

// Thrown for a request the host itself refuses (an unknown public dataset); host text.
class EServerError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ApplicationServer {
public:
    explicit ApplicationServer(Database& db);

    // The result array 0..5 of a "dataset" procedure: [0] success, [1] message, [2] return code
    // (0), [3] first value of the answer, [4] the answer as a packet, [5] its row count. An
    // "elements" procedure answers [0], [1], then the first answer row's values from [2] on.
    // A failed call answers [0] false, [1] the reason, [2] -1 and returns false.
    bool StoreProcedure(const std::string& procedure, const std::string& parameters,
                        Variant& result);
    // "ZEPHSC_SELFSQL" only: runs the SQL, a single parameter bound to the whole parameter text,
    // several to its "~"-separated pieces. The packet goes to data.
    bool OpenBySQL(const std::string& serverFlag, const std::string& sql,
                   const std::string& parameters, Variant& data);
    bool OpenByServerFlag(const std::string& serverFlag, const std::string& parameters,
                          Variant& data);
    // The packet of a public dataset; EServerError when the desk has none of that name.
    Variant GetPublicData(const std::string& name);

    // Why the last failed call failed (host text), for tracing.
    const std::string& LastError() const noexcept { return lastError_; }

private:
    bool Fail(Variant& result, const std::string& message);

    Database& db_;
    std::string lastError_;
};

} // namespace zeph::emulator
