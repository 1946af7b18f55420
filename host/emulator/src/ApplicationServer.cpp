#include <zeph/emulator/ApplicationServer.h>
#include <zeph/emulator/PacketWriter.h>
#include <zeph/text/HostText.h>

namespace zeph::emulator {
namespace {

std::vector<std::string> Pieces(const std::string& hostText) {
    std::vector<std::string> pieces;
    for (const std::string& piece : text::Split(hostText, "~")) {
        pieces.push_back(text::GbkToUtf8(piece));
    }
    return pieces;
}

std::string Host(const std::string& utf8) {
    return text::Utf8ToGbk(utf8);
}

struct Answer {
    RunResult run;
    std::size_t pieceCount = 0;
};

// Runs the SQL of one request in a savepoint: either every statement takes effect or none.
// A request that writes with more pieces than its statements have parameters would store
// shifted values (a "~" inside a field moves every later one), so it is refused and rolled
// back. A query may ignore pieces it does not need.
Answer RunRequest(Database& db, const std::string& sql, const Binding& binding) {
    Savepoint savepoint(db);
    Answer answer;
    std::int64_t changesBefore = db.TotalChanges();
    answer.run = db.Run(sql, binding);
    answer.pieceCount = binding.pieces.size();
    bool single = binding.whole && answer.run.highestParameter == 1;
    bool wrote = db.TotalChanges() != changesBefore;
    if (wrote && !single &&
        binding.pieces.size() > static_cast<std::size_t>(answer.run.highestParameter)) {
        throw EDatabaseError("too many parameters: the request takes " +
                             std::to_string(answer.run.highestParameter) + ", it was given " +
                             std::to_string(binding.pieces.size()));
    }
    savepoint.Commit();
    return answer;
}

Variant Packet(const RunResult& run) {
    if (!run.answer) {
        return Variant();
    }
    return Variant(WriteDatasetPacket(*run.answer));
}

} // namespace

ApplicationServer::ApplicationServer(Database& db) : db_(db) {}

bool ApplicationServer::Fail(Variant& result, const std::string& message) {
    lastError_ = message;
    result = Variant::Array(0, 5);
    result[0] = false;
    result[1] = message;
    result[2] = -1;
    return false;
}

bool ApplicationServer::StoreProcedure(const std::string& procedure, const std::string& parameters,
                                       Variant& result) {
    std::vector<std::string> pieces = Pieces(parameters);
    std::string name = text::GbkToUtf8(procedure);
    struct Row {
        std::string kind, message, sql;
    };
    auto find = [&](const std::string& flag) -> std::optional<Row> {
        auto r = db_.Run("SELECT kind, message, sql FROM server_procedure WHERE procedure = ?1 "
                         "COLLATE NOCASE AND flag = ?2 COLLATE NOCASE",
                         Binding{{name, flag}, std::nullopt});
        if (!r.answer || r.answer->rows.empty()) {
            return std::nullopt;
        }
        const auto& cells = r.answer->rows.front();
        return Row{cells[0].AsText(), cells[1].AsText(), cells[2].AsText()};
    };
    try {
        std::optional<Row> row;
        std::vector<std::string> arguments = pieces;
        if (!pieces.empty() && (row = find(pieces.front()))) {
            arguments.erase(arguments.begin());
        } else {
            row = find("");
        }
        if (!row) {
            std::string flag = pieces.empty() ? std::string() : pieces.front();
            return Fail(result, Host("应用服务器没有过程 " + name +
                                     (flag.empty() ? "" : "（标志 " + flag + "）")));
        }
        Answer answer = RunRequest(db_, row->sql, Binding{arguments, std::nullopt});
        const RunResult& run = answer.run;
        bool hasRow = run.answer && !run.answer->rows.empty();
        if (row->kind == "elements") {
            if (!hasRow) {
                return Fail(result, Host("过程 " + name + " 没有返回数据"));
            }
            const auto& cells = run.answer->rows.front();
            result = Variant::Array(0, 1 + static_cast<int>(cells.size()));
            for (std::size_t i = 0; i < cells.size(); ++i) {
                result[2 + static_cast<int>(i)] = Host(cells[i].AsText());
            }
        } else if (row->kind == "dataset") {
            result = Variant::Array(0, 5);
            result[2] = 0;
            result[3] = hasRow ? Host(run.answer->rows.front().front().AsText()) : std::string();
            result[4] = Packet(run);
            result[5] = run.answer ? static_cast<int>(run.answer->rows.size()) : 0;
        } else {
            return Fail(result, Host("过程 " + name + " 的类型 '" + row->kind + "' 无效"));
        }
        result[0] = true;
        result[1] = Host(row->message);
        return true;
    } catch (const EDatabaseError& e) {
        return Fail(result, Host("过程 " + name + " 执行失败：" + e.what()));
    }
}

bool ApplicationServer::OpenBySQL(const std::string& serverFlag, const std::string& sql,
                                  const std::string& parameters, Variant& data) {
    if (!text::SameText(serverFlag, "ZEPHSC_SELFSQL")) {
        lastError_ = Host("OpenBySQL 不支持服务器标志 " + text::GbkToUtf8(serverFlag));
        return false;
    }
    try {
        Answer answer = RunRequest(db_, text::GbkToUtf8(sql),
                                   Binding{Pieces(parameters), text::GbkToUtf8(parameters)});
        data = Packet(answer.run);
        return true;
    } catch (const EDatabaseError& e) {
        lastError_ = Host(std::string("SQL 执行失败：") + e.what());
        return false;
    }
}

bool ApplicationServer::OpenByServerFlag(const std::string& serverFlag,
                                         const std::string& parameters, Variant& data) {
    std::string flag = text::GbkToUtf8(serverFlag);
    try {
        auto sql = db_.QueryText("SELECT sql FROM server_flag WHERE flag = ?1 COLLATE NOCASE",
                                 Binding{{flag}, std::nullopt});
        if (!sql) {
            lastError_ = Host("应用服务器没有服务器标志 " + flag);
            return false;
        }
        Answer answer = RunRequest(db_, *sql, Binding{Pieces(parameters), std::nullopt});
        data = Packet(answer.run);
        return true;
    } catch (const EDatabaseError& e) {
        lastError_ = Host("服务器标志 " + flag + " 执行失败：" + e.what());
        return false;
    }
}

Variant ApplicationServer::GetPublicData(const std::string& name) {
    std::string utf8 = text::GbkToUtf8(name);
    std::optional<std::string> sql;
    try {
        sql = db_.QueryText("SELECT sql FROM public_data WHERE name = ?1 COLLATE NOCASE",
                            Binding{{utf8}, std::nullopt});
        if (sql) {
            return Packet(RunRequest(db_, *sql, {}).run);
        }
    } catch (const EDatabaseError& e) {
        throw EServerError(Host("公共数据 " + utf8 + " 读取失败：" + e.what()));
    }
    throw EServerError(Host("没有公共数据 " + utf8));
}

} // namespace zeph::emulator
