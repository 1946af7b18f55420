// The application server against a real SQLite file: procedures, flag words, free SQL, server
// flags and public datasets answered from tables; writes are rows; failures are failed calls.
#include "support/Subprocess.h"
#include "support/TempDir.h"

#include <zeph/dataset/DataPacket.h>
#include <zeph/emulator/ApplicationServer.h>
#include <zeph/emulator/DemoDatabase.h>
#include <zeph/text/HostText.h>

#include <gtest/gtest.h>

#include <filesystem>

namespace zeph::emulator {
namespace {

using testing::TempDir;

std::string H(const char* utf8) {
    return text::Utf8ToGbk(utf8);
}

class ApplicationServerTest : public ::testing::Test {
protected:
    ApplicationServerTest() : db(Database::Open(dir.File("desk.db"), true)), server(db) {
        BuildDemoDatabase(db);
    }

    dataset::TRecordTable PacketOf(const Variant& value) {
        return dataset::ReadDataPacket(value.AsText());
    }

    std::size_t FieldIndex(const dataset::TRecordTable& table, const std::string& name) {
        for (std::size_t i = 0; i < table.FieldCount(); ++i) {
            if (text::SameText(table.Fields()[i].name, name)) {
                return i;
            }
        }
        ADD_FAILURE() << "no field " << name;
        return 0;
    }

    TempDir dir;
    Database db;
    ApplicationServer server;
};

TEST_F(ApplicationServerTest, FlagWordSelectsTheProcedureRowAndBindsTheRest) {
    Variant result;
    ASSERT_TRUE(server.StoreProcedure("P_QUERY_MORVANE_DLL", "GETIPPORT~10001", result));
    ASSERT_EQ(result.HighBound(), 5);
    EXPECT_EQ(result[0], Variant(true));
    EXPECT_EQ(result[2].AsInteger(), 0);
    auto table = PacketOf(result[4]);
    ASSERT_EQ(table.RowCount(), 3u);
    EXPECT_EQ(table.Value(0, FieldIndex(table, "Class")), "BN");
    EXPECT_EQ(table.Value(0, FieldIndex(table, "IP")), "127.0.0.1");
    EXPECT_EQ(result[3].AsText(), "BN");
    EXPECT_EQ(result[5].AsInteger(), 3);
}

TEST_F(ApplicationServerTest, EveryDemoProcedureThePlugInCallsAnswers) {
    struct Case {
        const char* procedure;
        const char* parameters;
        std::size_t rows;
    } cases[] = {
        {"P_QUERY_MORVANE_DLL", "GETBULLETINTYPE", 4},
        {"P_QUERY_MORVANE_DLL", "GETCALLCAUSECFG~0571", 5},
        {"P_QUERY_MORVANE_DLL", "GETGROUPBYSTAFFNO~10001", 3},
        {"P_QUERY_MORVANE_DLL", "GETSTAFFBYSTAFFNOEX~10001", 15},
        {"P_QUERY_MORVANE_DLL", "GETSTAFFBYSTAFFNOEX~10016", 5},
        {"P_SV_GETRECORDFILEPATH", "202612081015000002", 2},
        {"P_SV_GETCONVEYRECORDFILEPATH", "202612081015000002", 3},
        {"P_CASE_EXECUTEQUERY", "ZEPHSC_CASE_SELECTRECORDFILE~202612081015000002", 3},
        {"P_SV_GETRECORDFILEPATH", "no-such-serial", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.procedure) + " " + c.parameters);
        Variant result;
        ASSERT_TRUE(server.StoreProcedure(c.procedure, c.parameters, result));
        EXPECT_EQ(result[2].AsInteger(), 0);
        EXPECT_EQ(PacketOf(result[4]).RowCount(), c.rows);
    }
}

TEST_F(ApplicationServerTest, ElementsProcedureAnswersTheFirstRowFromElementTwo) {
    Variant result;
    ASSERT_TRUE(server.StoreProcedure("P_QC_GETFTPFILEPATH",
                                      "/rec/0571/20261208/1015000002a.v3~10003", result));
    ASSERT_EQ(result.HighBound(), 8);
    EXPECT_EQ(result[2].AsText(), "");
    EXPECT_EQ(result[3].AsText(), "127.0.0.1");
    EXPECT_EQ(result[4].AsText(), "/rec/0571/20261208/");
    EXPECT_EQ(result[5].AsText(), "1015000002a.v3");
    EXPECT_EQ(result[8].AsText(), "2121");

    Variant none;
    EXPECT_FALSE(server.StoreProcedure("P_QC_GETFTPFILEPATH", "/nothing~10003", none));
    EXPECT_EQ(none[0], Variant(false));
}

TEST_F(ApplicationServerTest, ItemProcedureGivesSqlThatOpenBySqlRuns) {
    Variant result;
    ASSERT_TRUE(server.StoreProcedure("ZEPHSC_P_QC_GETITEM", "1~101~", result));
    std::string sql = result[2].AsText();
    Variant data;
    ASSERT_TRUE(server.OpenBySQL("ZEPHSC_SELFSQL", sql, "", data)) << server.LastError();
    auto items = PacketOf(data);
    ASSERT_EQ(items.RowCount(), 3u);
    EXPECT_EQ(items.Value(0, FieldIndex(items, "ItemID")), "1001");
    EXPECT_EQ(items.Value(1, FieldIndex(items, "Name")), H("服务态度"));

    ASSERT_TRUE(server.StoreProcedure("ZEPHSC_P_QC_GETITEM", "1~~C", result));
    ASSERT_TRUE(server.OpenBySQL("ZEPHSC_SELFSQL", result[2].AsText(), "", data));
    EXPECT_EQ(PacketOf(data).RowCount(), 2u);
    // A quote in a piece stays inside its literal.
    ASSERT_TRUE(server.StoreProcedure("ZEPHSC_P_QC_GETITEM", "1' OR '1'='1~~", result));
    ASSERT_TRUE(server.OpenBySQL("ZEPHSC_SELFSQL", result[2].AsText(), "", data));
    EXPECT_EQ(PacketOf(data).RowCount(), 0u);
}

TEST_F(ApplicationServerTest, ContentQueryOfThePlugInBindsTheObjectId) {
    Variant data;
    ASSERT_TRUE(server.OpenBySQL("ZEPHSC_SELFSQL",
                                 "select contentid,name ContentName,SOURCEID,Weight from "
                                 "t_qc_checkcontent where objectid= :objid order by sourceid desc",
                                 "1", data));
    auto contents = PacketOf(data);
    ASSERT_EQ(contents.RowCount(), 4u);
    EXPECT_EQ(contents.Value(0, FieldIndex(contents, "SourceID")), "2");
    EXPECT_EQ(contents.Value(0, FieldIndex(contents, "ContentName")), H("投诉处理"));
    EXPECT_EQ(contents.Fields()[FieldIndex(contents, "contentid")].fieldType, "i4");
    EXPECT_EQ(contents.Fields()[FieldIndex(contents, "Weight")].fieldType, "r8");
    // Zero rows keep their fields.
    ASSERT_TRUE(server.OpenBySQL("ZEPHSC_SELFSQL",
                                 "select contentid from t_qc_checkcontent where objectid = :o",
                                 "99", data));
    EXPECT_EQ(PacketOf(data).RowCount(), 0u);
    EXPECT_EQ(PacketOf(data).FieldCount(), 1u);
}

TEST_F(ApplicationServerTest, OpenBySqlRefusesOtherFlagsAndBadSql) {
    Variant data;
    EXPECT_FALSE(server.OpenBySQL("OTHER_FLAG", "select 1", "", data));
    EXPECT_FALSE(server.OpenBySQL("ZEPHSC_SELFSQL", "select * from no_such_table", "", data));
    EXPECT_NE(text::GbkToUtf8(server.LastError()).find("no_such_table"), std::string::npos);
}

TEST_F(ApplicationServerTest, FreeSqlCannotReachOtherFiles) {
    Variant data;
    std::string other = dir.File("other.db");
    EXPECT_FALSE(
        server.OpenBySQL("ZEPHSC_SELFSQL", "ATTACH DATABASE '" + other + "' AS x", "", data));
    EXPECT_FALSE(std::filesystem::exists(other));
    EXPECT_FALSE(server.OpenBySQL("ZEPHSC_SELFSQL",
                                  "PRAGMA writable_schema = ON; "
                                  "UPDATE sqlite_master SET sql = 'x'",
                                  "", data));
    EXPECT_TRUE(db.TableExists("t_city"));
}

TEST_F(ApplicationServerTest, ServerFlagsAnswerCitiesAndMessages) {
    Variant data;
    ASSERT_TRUE(server.OpenByServerFlag("ZEPHSC_AG_SELCITY", "", data));
    auto cities = PacketOf(data);
    ASSERT_EQ(cities.RowCount(), 5u);
    EXPECT_EQ(cities.Value(0, FieldIndex(cities, "OrgaName")), H("杭州"));
    ASSERT_TRUE(server.OpenByServerFlag("ZEPHSC_AG_SELCONTENTMSG", "0574", data));
    auto messages = PacketOf(data);
    EXPECT_EQ(messages.RowCount(), 11u);
    EXPECT_NE(messages.Value(0, FieldIndex(messages, "CityID")), "0571");
    EXPECT_FALSE(server.OpenByServerFlag("ZEPHSC_NO_SUCH_FLAG", "", data));
}

TEST_F(ApplicationServerTest, UnknownProcedureIsAFailedCallWithItsName) {
    Variant result;
    EXPECT_FALSE(server.StoreProcedure("P_NOT_THERE", "a~b", result));
    ASSERT_TRUE(result.IsArray());
    EXPECT_EQ(result[0], Variant(false));
    EXPECT_NE(text::GbkToUtf8(result[1].AsText()).find("P_NOT_THERE"), std::string::npos);
    EXPECT_EQ(result[2].AsInteger(), -1);
    // A known procedure with an unknown flag word and no flagless row fails the same way.
    EXPECT_FALSE(server.StoreProcedure("P_QUERY_MORVANE_DLL", "GETNOTHING~1", result));
    EXPECT_NE(text::GbkToUtf8(result[1].AsText()).find("GETNOTHING"), std::string::npos);
}

TEST_F(ApplicationServerTest, LogIdsComeFromTheSequenceAndLogsAreRows) {
    Variant id1, id2;
    ASSERT_TRUE(server.StoreProcedure("P_MS_GETLOGID", "", id1));
    ASSERT_TRUE(server.StoreProcedure("P_MS_GETLOGID", "", id2));
    EXPECT_EQ(id1[3].AsText(), "700001");
    EXPECT_EQ(id2[3].AsText(), "700002");

    std::vector<std::string> fields(24);
    fields[0] = id2[3].AsText();
    fields[1] = "1";
    fields[5] = "13900000001;13900000002";
    fields[10] = H("您的宽带报修已受理");
    fields[18] = "10001";
    Variant result;
    ASSERT_TRUE(server.StoreProcedure("P_MS_ADDSENDLOG", text::Join(fields, "~"), result));
    EXPECT_EQ(result[2].AsInteger(), 0);
    EXPECT_EQ(text::GbkToUtf8(result[1].AsText()), "发送日志已提交");
    EXPECT_EQ(result[3].AsText(), "1");
    EXPECT_EQ(db.QueryText("SELECT Content FROM ms_send_log WHERE LogID = '700002'"),
              "您的宽带报修已受理");
    EXPECT_EQ(db.QueryText("SELECT ReceiverMessage FROM ms_send_log"), "13900000001;13900000002");
}

TEST_F(ApplicationServerTest, WriteWithAShiftedFieldIsRefusedAndLeavesNoRow) {
    std::vector<std::string> fields(39, "x");
    fields[31] = "content~with a tilde";
    Variant result;
    EXPECT_FALSE(server.StoreProcedure("P_MS_ADDSENDPLAN", text::Join(fields, "~"), result));
    EXPECT_NE(text::GbkToUtf8(result[1].AsText()).find("too many parameters"), std::string::npos);
    EXPECT_EQ(db.QueryText("SELECT count(*) FROM ms_send_plan"), "0");

    fields[31] = "content";
    ASSERT_TRUE(server.StoreProcedure("P_MS_ADDSENDPLAN", text::Join(fields, "~"), result));
    EXPECT_EQ(db.QueryText("SELECT count(*) FROM ms_send_plan"), "1");
}

TEST_F(ApplicationServerTest, FailingStatementRollsBackTheWholeRequest) {
    db.Exec("INSERT INTO server_procedure (procedure, flag, sql) VALUES ('P_HALF', '', "
            "'UPDATE zeph_sequence SET value = value + 1; SELECT * FROM missing_table')");
    Variant result;
    EXPECT_FALSE(server.StoreProcedure("P_HALF", "", result));
    EXPECT_EQ(db.QueryText("SELECT value FROM zeph_sequence WHERE name = 'MS_LOGID'"), "700000");
}

TEST_F(ApplicationServerTest, PublicDataOfTheDeskAndUnknownNames) {
    auto staff = PacketOf(server.GetPublicData("StaffState"));
    EXPECT_EQ(staff.RowCount(), 20u);
    EXPECT_EQ(staff.Value(0, FieldIndex(staff, "WorkGroupName")), H("投诉受理组"));
    auto groups = PacketOf(server.GetPublicData("WORKGROUP"));
    EXPECT_EQ(groups.Value(0, FieldIndex(groups, "MonitorNo")), "10002");
    EXPECT_THROW(server.GetPublicData("Nothing"), EServerError);
}

TEST_F(ApplicationServerTest, ConveyDatesTravelAsPacketDateTimes) {
    Variant result;
    ASSERT_TRUE(server.StoreProcedure("P_CASE_EXECUTEQUERY",
                                      "ZEPHSC_CASE_SELECTRECORDFILE~202612080930120001", result));
    auto rows = PacketOf(result[4]);
    std::size_t date = FieldIndex(rows, "CONVEYDATE");
    EXPECT_EQ(rows.Fields()[date].fieldType, "dateTime");
    EXPECT_EQ(rows.Value(0, date), "20261208T09:35:10000");
}

} // namespace
} // namespace zeph::emulator
