// The application server's store: one SQLite file. Text in the file is UTF-8 so that people can
// read and edit it with any SQLite tool; the server converts to host text at its edges.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

namespace zeph::emulator {

// A failed database operation; the message is UTF-8.
class EDatabaseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Cell {
    enum class Type { Null, Integer, Real, Text, Blob };
    Type type = Type::Null;
    std::int64_t integer = 0;
    double real = 0;
    std::string text; // UTF-8 for Text, the bytes for Blob

    // The value as UTF-8 text as SQLite would print it; "" for Null.
    std::string AsText() const;
};

struct ResultTable {
    std::vector<std::string> columns;   // names as the statement gives them
    std::vector<std::string> declTypes; // declared types, "" when the column is an expression
    std::vector<std::vector<Cell>> rows;
};

// Values bound to a statement's parameters by index: parameter i gets pieces[i-1], "" when there
// are fewer pieces. When `whole` is set, a statement with exactly one parameter gets it instead.
struct Binding {
    std::vector<std::string> pieces; // UTF-8
    std::optional<std::string> whole;
};

struct RunResult {
    // The rows of the last statement that has result columns (none when no statement has).
    std::optional<ResultTable> answer;
    // The highest parameter index of any statement run.
    int highestParameter = 0;
};

class Database {
public:
    // Opens (and with create, creates) the file; path is UTF-8.
    static Database Open(const std::string& path, bool create);

    Database(Database&&) noexcept;
    Database& operator=(Database&&) noexcept;
    ~Database();

    // Runs a script of statements without parameters.
    void Exec(std::string_view sql);
    // Runs every statement of sql in order with the same binding.
    RunResult Run(std::string_view sql, const Binding& binding);
    // First column of the first row, or nothing when there is no row.
    std::optional<std::string> QueryText(std::string_view sql, const Binding& binding = {});
    bool TableExists(std::string_view name);
    // Rows changed by every statement since the connection opened.
    std::int64_t TotalChanges() const noexcept;

    const std::string& Path() const noexcept { return path_; }

private:
    Database(sqlite3* db, std::string path);
    [[noreturn]] void Fail(std::string_view what) const;

    sqlite3* db_ = nullptr;
    std::string path_;
};

// All statements run inside a savepoint commit together or not at all.
class Savepoint {
public:
    explicit Savepoint(Database& db);
    ~Savepoint();
    void Commit();
    Savepoint(const Savepoint&) = delete;
    Savepoint& operator=(const Savepoint&) = delete;

private:
    Database& db_;
    bool done_ = false;
};

} // namespace zeph::emulator
