#include <zeph/emulator/DemoDatabase.h>

namespace zeph::emulator {

void BuildDemoDatabase(Database& db) {
    Savepoint savepoint(db);
    for (const DemoScript& script : DemoScripts()) {
        try {
            db.Exec(script.sql);
        } catch (const EDatabaseError& e) {
            throw EDatabaseError("demo script " + std::string(script.name) + ": " + e.what());
        }
    }
    savepoint.Commit();
}

} // namespace zeph::emulator
