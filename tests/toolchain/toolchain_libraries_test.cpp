// The libraries of the dependency prefix link statically into a Windows program and work under
// Wine: libcurl with Schannel, libxml2, SQLite, libxlsxwriter and zlib.
#include <curl/curl.h>
#include <gtest/gtest.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <sqlite3.h>
#include <xlsxwriter.h>
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

TEST(ToolchainLibraries, CurlHasSchannelAndTheProtocolsTheCodeUses) {
    ASSERT_EQ(curl_global_init(CURL_GLOBAL_DEFAULT), CURLE_OK);
    const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
    EXPECT_NE(std::string(info->ssl_version).find("Schannel"), std::string::npos)
        << info->ssl_version;
    std::string protocols;
    for (const char* const* p = info->protocols; *p != nullptr; ++p) {
        protocols += std::string(*p) + " ";
    }
    for (const char* wanted : {"http ", "https ", "ftp "}) {
        EXPECT_NE(protocols.find(wanted), std::string::npos) << protocols;
    }
    CURL* c = curl_easy_init();
    EXPECT_NE(c, nullptr);
    curl_easy_cleanup(c);
    curl_global_cleanup();
}

TEST(ToolchainLibraries, Libxml2ParsesAndSqliteQueries) {
    const std::string xml = "<r a=\"1\">text</r>";
    xmlDocPtr doc = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "", nullptr, 0);
    ASSERT_NE(doc, nullptr);
    EXPECT_STREQ(reinterpret_cast<const char*>(xmlDocGetRootElement(doc)->name), "r");
    xmlFreeDoc(doc);

    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
    sqlite3_stmt* st = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "select 6 * 7", -1, &st, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(st, 0), 42);
    sqlite3_finalize(st);
    EXPECT_EQ(sqlite3_threadsafe(), 1);
    sqlite3_close(db);
}

TEST(ToolchainLibraries, XlsxwriterWritesAZipFileThroughZlib) {
    const auto file = std::filesystem::temp_directory_path() / "zeph-toolchain-test.xlsx";
    lxw_workbook* book = workbook_new(file.string().c_str());
    ASSERT_NE(book, nullptr);
    lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
    worksheet_write_number(sheet, 0, 0, 42, nullptr);
    ASSERT_EQ(workbook_close(book), LXW_NO_ERROR);
    std::FILE* f = std::fopen(file.string().c_str(), "rb");
    ASSERT_NE(f, nullptr);
    char magic[2] = {};
    EXPECT_EQ(std::fread(magic, 1, 2, f), 2u);
    std::fclose(f);
    EXPECT_EQ(std::string(magic, 2), "PK");
    std::filesystem::remove(file);
    EXPECT_STREQ(zlibVersion(), ZLIB_VERSION);
}

} // namespace
