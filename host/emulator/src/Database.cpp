#include <zeph/emulator/Database.h>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <utility>

namespace zeph::emulator {
namespace {

struct StatementDeleter {
    void operator()(sqlite3_stmt* statement) const noexcept { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

Cell ReadCell(sqlite3_stmt* statement, int column) {
    Cell cell;
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER:
        cell.type = Cell::Type::Integer;
        cell.integer = sqlite3_column_int64(statement, column);
        break;
    case SQLITE_FLOAT:
        cell.type = Cell::Type::Real;
        cell.real = sqlite3_column_double(statement, column);
        break;
    case SQLITE_TEXT: {
        cell.type = Cell::Type::Text;
        const auto* bytes = sqlite3_column_text(statement, column);
        cell.text.assign(reinterpret_cast<const char*>(bytes),
                         static_cast<std::size_t>(sqlite3_column_bytes(statement, column)));
        break;
    }
    case SQLITE_BLOB: {
        cell.type = Cell::Type::Blob;
        const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement, column));
        cell.text.assign(bytes == nullptr ? "" : bytes,
                         static_cast<std::size_t>(sqlite3_column_bytes(statement, column)));
        break;
    }
    default:
        break;
    }
    return cell;
}

// Requests run SQL that comes from outside (the plug-in's free SQL, procedure rows): none of it
// may reach other files.
int Authorize(void*, int action, const char*, const char*, const char*, const char*) {
    return action == SQLITE_ATTACH || action == SQLITE_DETACH ? SQLITE_DENY : SQLITE_OK;
}

} // namespace

std::string Cell::AsText() const {
    switch (type) {
    case Type::Null:
        return {};
    case Type::Integer:
        return std::to_string(integer);
    case Type::Real: {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.15g", real);
        return buffer;
    }
    case Type::Text:
    case Type::Blob:
        return text;
    }
    return {};
}

Database Database::Open(const std::string& path, bool create) {
    sqlite3* db = nullptr;
    int flags = SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0);
    int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        std::string message = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        sqlite3_close(db);
        throw EDatabaseError("cannot open the database " + path + ": " + message);
    }
    sqlite3_busy_timeout(db, 5000);
    sqlite3_extended_result_codes(db, 1);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_set_authorizer(db, Authorize, nullptr);
    Database result(db, path);
    // A file that is not a database fails here rather than at the first request.
    result.Exec("PRAGMA foreign_keys = ON; SELECT count(*) FROM sqlite_master;");
    return result;
}

Database::Database(sqlite3* db, std::string path) : db_(db), path_(std::move(path)) {}

Database::Database(Database&& other) noexcept
    : db_(std::exchange(other.db_, nullptr)), path_(std::move(other.path_)) {}

Database& Database::operator=(Database&& other) noexcept {
    if (this != &other) {
        sqlite3_close(db_);
        db_ = std::exchange(other.db_, nullptr);
        path_ = std::move(other.path_);
    }
    return *this;
}

Database::~Database() {
    sqlite3_close(db_);
}

void Database::Fail(std::string_view what) const {
    throw EDatabaseError(std::string(what) + ": " + sqlite3_errmsg(db_));
}

void Database::Exec(std::string_view sql) {
    Run(sql, {});
}

RunResult Database::Run(std::string_view sql, const Binding& binding) {
    RunResult result;
    const char* tail = sql.data();
    const char* end = sql.data() + sql.size();
    while (tail < end) {
        sqlite3_stmt* raw = nullptr;
        const char* next = nullptr;
        if (sqlite3_prepare_v2(db_, tail, static_cast<int>(end - tail), &raw, &next) != SQLITE_OK) {
            Fail("SQL error");
        }
        Statement statement(raw);
        tail = next;
        if (!statement) {
            continue; // blank or comment
        }
        int parameters = sqlite3_bind_parameter_count(raw);
        result.highestParameter = std::max(result.highestParameter, parameters);
        for (int i = 1; i <= parameters; ++i) {
            const std::string* value = nullptr;
            static const std::string empty;
            if (parameters == 1 && binding.whole) {
                value = &*binding.whole;
            } else if (static_cast<std::size_t>(i) <= binding.pieces.size()) {
                value = &binding.pieces[static_cast<std::size_t>(i - 1)];
            } else {
                value = &empty;
            }
            sqlite3_bind_text(raw, i, value->data(), static_cast<int>(value->size()),
                              SQLITE_TRANSIENT);
        }
        int columns = sqlite3_column_count(raw);
        ResultTable table;
        for (int c = 0; c < columns; ++c) {
            const char* name = sqlite3_column_name(raw, c);
            const char* declared = sqlite3_column_decltype(raw, c);
            table.columns.emplace_back(name != nullptr ? name : "");
            table.declTypes.emplace_back(declared != nullptr ? declared : "");
        }
        for (;;) {
            int rc = sqlite3_step(raw);
            if (rc == SQLITE_DONE) {
                break;
            }
            if (rc != SQLITE_ROW) {
                Fail("SQL error");
            }
            std::vector<Cell> row;
            row.reserve(static_cast<std::size_t>(columns));
            for (int c = 0; c < columns; ++c) {
                row.push_back(ReadCell(raw, c));
            }
            table.rows.push_back(std::move(row));
        }
        if (columns > 0) {
            result.answer = std::move(table);
        }
    }
    return result;
}

std::optional<std::string> Database::QueryText(std::string_view sql, const Binding& binding) {
    RunResult result = Run(sql, binding);
    if (!result.answer || result.answer->rows.empty() || result.answer->columns.empty()) {
        return std::nullopt;
    }
    const Cell& cell = result.answer->rows.front().front();
    if (cell.type == Cell::Type::Null) {
        return std::nullopt;
    }
    return cell.AsText();
}

bool Database::TableExists(std::string_view name) {
    return QueryText("SELECT 1 FROM sqlite_master WHERE type IN ('table','view') AND "
                     "name = ?1 COLLATE NOCASE",
                     Binding{{std::string(name)}, std::nullopt})
        .has_value();
}

std::int64_t Database::TotalChanges() const noexcept {
    return sqlite3_total_changes64(db_);
}

Savepoint::Savepoint(Database& db) : db_(db) {
    db_.Exec("SAVEPOINT zeph_request");
}

Savepoint::~Savepoint() {
    if (!done_) {
        try {
            db_.Exec("ROLLBACK TO zeph_request; RELEASE zeph_request;");
        } catch (...) {
            // Nothing more can be done for a connection that cannot roll back.
        }
    }
}

void Savepoint::Commit() {
    db_.Exec("RELEASE zeph_request");
    done_ = true;
}

} // namespace zeph::emulator
