// zeph-host with the demo desk and scripted windows: a message sent at once becomes one row of
// ms_send_log, a timed one one row of ms_send_plan, a cancelled window and a refused "~" none.
// The rows are read back with SQLite and checked field by field.
#include "support/Subprocess.h"
#include "support/TempDir.h"

#include <zeph/client/PackageRoutines.h>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <map>
#include <regex>
#include <string>
#include <vector>

namespace shortmsg_test {
namespace {

using zeph::testing::ProcessResult;
using Row = std::map<std::string, std::string>;

const std::string kProgram = std::string(ZEPH_BINARY_DIR) + "/bin/zeph-host";
const std::string kSerial = "202612080930120001";

class ZephHostSendTest : public ::testing::Test {
protected:
    void SetUp() override {
        ProcessResult r = zeph::testing::Run({kProgram, "make-demo", db});
        ASSERT_EQ(r.status, 0) << r.err;
    }

    // SENDSM with a window script; returns what zeph-host printed.
    ProcessResult Send(const std::string& script, std::vector<std::string> args) {
        const std::string scriptFile = dir.File("script.txt");
        zeph::testing::WriteFile(scriptFile, script);
        std::vector<std::string> argv = {kProgram,   "--server", db,     "--log", log,
                                         "--script", scriptFile, "call", "SENDSM"};
        argv.insert(argv.end(), args.begin(), args.end());
        return zeph::testing::Run(argv);
    }

    // Every row of the query, each column by name as text ("NULL" for a null).
    std::vector<Row> Rows(const std::string& sql) {
        sqlite3* handle = nullptr;
        EXPECT_EQ(sqlite3_open_v2(db.c_str(), &handle, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
        sqlite3_stmt* statement = nullptr;
        EXPECT_EQ(sqlite3_prepare_v2(handle, sql.c_str(), -1, &statement, nullptr), SQLITE_OK)
            << sqlite3_errmsg(handle);
        std::vector<Row> rows;
        while (statement != nullptr && sqlite3_step(statement) == SQLITE_ROW) {
            Row row;
            for (int i = 0; i < sqlite3_column_count(statement); ++i) {
                const unsigned char* text = sqlite3_column_text(statement, i);
                row[sqlite3_column_name(statement, i)] =
                    text == nullptr ? "NULL" : reinterpret_cast<const char*>(text);
            }
            rows.push_back(std::move(row));
        }
        sqlite3_finalize(statement);
        sqlite3_close(handle);
        return rows;
    }

    static void ExpectFields(const Row& row,
                             const std::vector<std::pair<std::string, std::string>>& fields) {
        for (const auto& [name, value] : fields) {
            ASSERT_TRUE(row.count(name)) << name;
            EXPECT_EQ(row.at(name), value) << name;
        }
    }

    zeph::testing::TempDir dir;
    std::string db = dir.File("desk.db");
    std::string log = dir.File("host.log");
    const std::string ip = zeph::LocalComputerIPString();
};

TEST_F(ZephHostSendTest, AMessageSentAtOnceIsOneLogRow) {
    ProcessResult r = Send(
        "", {kSerial, "0", "0", "02", "回访通知", "13800000001;13800000002", "您好，请回电。"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "[\"True\",\"1\",\"您好，请回电。\",\"发送日志已提交\"]\n");
    EXPECT_TRUE(Rows("SELECT * FROM ms_send_plan").empty());
    const std::vector<Row> rows = Rows("SELECT * FROM ms_send_log");
    ASSERT_EQ(rows.size(), 1u);
    ExpectFields(rows[0], {{"TaskID", "1"},
                           {"LogID", "700001"},
                           {"LogEnabled", "1"},
                           {"MissionID", ""},
                           {"SendClass", "2"},
                           {"ReceiverID", ""},
                           {"ReceiverMessage", "13800000001;13800000002"},
                           {"MissionCaption", "回访通知"},
                           {"ContentClass", "2"},
                           {"ContentFile", ""},
                           {"FileFormat", "0"},
                           {"Content", "您好，请回电。"},
                           {"SPID", ""},
                           {"Params", ""},
                           {"TemplateID", ""},
                           {"AppendFile", ""},
                           {"PriorFlag", "2"},
                           {"MSID", ""},
                           {"MonitorLogID", ""},
                           {"StaffNo", "10001"},
                           {"locIP", ip},
                           {"SerialNo", kSerial},
                           {"CommitTime", ""},
                           {"CommitResult", ""},
                           {"CommitResultMessage", ""}});
    // The log line, in host text, ends with the task identifier.
    const std::string logged = zeph::testing::ReadFile(log);
    EXPECT_NE(logged.find(zeph::text::Utf8ToGbk(
                  "调用媒体发送日志接口，调用成功，参数：\r\nLogID: 700001\r\n")),
              std::string::npos);
    EXPECT_NE(logged.find("\r\nCommitResultMessage: \r\nTaskID: 1\n"), std::string::npos);
}

TEST_F(ZephHostSendTest, TimedMessagesArePlanRowsWithComparableDates) {
    const std::string first = "[TfrmSMEdit]\n"
                              "set dtpDate 2027-01-03\n"
                              "set dtpTime 08:05:09\n"
                              "clear memContent\n"
                              "type memContent 明早八点停机检修。\n"
                              "click btnOk\n";
    ProcessResult r = Send(first, {kSerial, "0", "1", "5", "停机通知", "13900000009", "草稿"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "[\"True\",\"1\",\"明早八点停机检修。\",\"发送计划已提交\"]\n");
    const std::string second = "[TfrmSMEdit]\n"
                               "set dtpDate 2026-12-24\n"
                               "set dtpTime 15:30:00\n"
                               "select cmbPriorFlag 较低\n"
                               "click btnOk\n";
    r = Send(second, {"7", "1", "1", "5", "平安夜", "13900000001;13900000002", "节日快乐"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(Rows("SELECT * FROM ms_send_log").empty());

    const std::vector<Row> rows = Rows("SELECT * FROM ms_send_plan ORDER BY PlanID");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_TRUE(std::regex_match(rows[0].at("MissionID"), std::regex("20[0-9]{12}10001")))
        << rows[0].at("MissionID");
    ExpectFields(rows[0], {{"PlanID", "1"},
                           {"LogEnabled", "1"},
                           {"StaffNo", "10001"},
                           {"SendClass", "2"},
                           {"MissionName", "停机通知"},
                           {"MissionCaption", "停机通知"},
                           {"MissionType", "6"},
                           {"DayOfYear", ""},
                           {"MonthOfYear", ""},
                           {"DayOfMonth", ""},
                           {"DayOfWeek", ""},
                           {"SpaceDay", "0"},
                           {"SpaceHour", "0"},
                           {"SpaceMinute", "0"},
                           {"SendDateTime", "2027-01-03 08:05:09"},
                           {"NextExecute", ""},
                           {"BeginDate", "2027-01-03"},
                           {"EndDate", "2027-01-03"},
                           {"PriorFlag", "5"},
                           {"MSID", ""},
                           {"AttachmentFlag", "0"},
                           {"ReceiverType", "2"},
                           {"GroupID", ""},
                           {"ProcedureID", ""},
                           {"ReceiverMessage", "13900000009"},
                           {"ContentClass", "2"},
                           {"ContentProcID", ""},
                           {"Params", ""},
                           {"TemplateID", ""},
                           {"ContentFile", ""},
                           {"FileFormat", "0"},
                           {"Content", "明早八点停机检修。"},
                           {"AppendProcID", ""},
                           {"AppendFileName", ""},
                           {"IPAddress", ip},
                           {"SerialNo", kSerial},
                           {"CommitTime", ""},
                           {"CommitResult", ""},
                           {"CommitResultMessage", ""}});
    ExpectFields(rows[1], {{"SendDateTime", "2026-12-24 15:30:00"},
                           {"BeginDate", "2026-12-24"},
                           {"PriorFlag", "0"},
                           {"SerialNo", "7"},
                           {"Content", "节日快乐"}});

    // The server reads the values as dates: they compare and order as the times they are.
    const std::vector<Row> dates =
        Rows("SELECT PlanID, julianday(SendDateTime) - julianday(BeginDate) AS sinceMidnight,"
             " date(SendDateTime) = BeginDate AND date(EndDate) = EndDate AS sameDay"
             " FROM ms_send_plan WHERE datetime(SendDateTime) > datetime('2026-12-31 23:59:59')");
    ASSERT_EQ(dates.size(), 1u);
    EXPECT_EQ(dates[0].at("PlanID"), "1");
    EXPECT_NEAR(std::stod(dates[0].at("sinceMidnight")), (8 * 3600 + 5 * 60 + 9) / 86400.0, 1e-6);
    EXPECT_EQ(dates[0].at("sameDay"), "1");
    const std::vector<Row> ordered =
        Rows("SELECT PlanID FROM ms_send_plan ORDER BY julianday(SendDateTime)");
    EXPECT_EQ(ordered[0].at("PlanID"), "2");
}

TEST_F(ZephHostSendTest, ACancelledWindowAndARefusedSeparatorWriteNothing) {
    ProcessResult r = Send("[TfrmSMEdit]\nescape\n", {kSerial, "1", "0", "1", "c", "138", "x"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "[\"False\",\"\",\"x\",\"CancelTask\"]\n");

    r = Send("", {kSerial, "0", "0", "1", "回访~通知", "138", "x"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "[\"False\",\"\",\"x\",\"字段 MissionCaption 含有分隔符“~”，短信未发送\"]\n");
    r = Send("[TfrmSMEdit]\nclick btnOk\n", {kSerial, "0", "1", "1", "c", "138", "a~b"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "[\"False\",\"\",\"a~b\",\"字段 Content 含有分隔符“~”，短信未发送\"]\n");

    // The basic edition has no short messages: the word is unknown there.
    r = zeph::testing::Run({kProgram, "--server", db, "--edition", "basic", "call", "SENDSM",
                            kSerial, "0", "0", "1", "c", "138", "x"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "null\n");

    EXPECT_TRUE(Rows("SELECT * FROM ms_send_log").empty());
    EXPECT_TRUE(Rows("SELECT * FROM ms_send_plan").empty());
    // No log identifier was taken for the refused message.
    EXPECT_EQ(Rows("SELECT value FROM zeph_sequence WHERE name = 'MS_LOGID'")[0].at("value"),
              "700000");
    EXPECT_NE(zeph::testing::ReadFile(log).find(
                  zeph::text::Utf8ToGbk("调用媒体发送计划接口，拒绝调用：字段 Content")),
              std::string::npos);
}

} // namespace
} // namespace shortmsg_test
