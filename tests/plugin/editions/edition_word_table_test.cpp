// Each edition's word table, whole and in the order of testing, against the lists of words the
// editions are known to carry: a word missing, added or moved fails here.
#include "editions/Editions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> TableWords() {
    std::vector<std::string> words;
    for (const morvane::WordEntry& entry : morvane::BuiltEdition().words) {
        EXPECT_NE(entry.run, nullptr) << entry.word;
        words.emplace_back(entry.word);
    }
    return words;
}

TEST(EditionWordTableTest, WordsInTheEditionsOrder) {
#if MORVANE_EDITION_FULL
    const std::vector<std::string> expected = {
        "TEST",
        "CHECK_STAFF_QUERY",
        "CHECK_RESULT",
        "SKILL_REPORT",
        "CHECK_REPORT",
        "CHECK_PERSON",
        "SAVE_DATASET_TO_FILE",
        "SAVE_DATASET_TO_EXCEL",
        "SAVE_RECORDFILE",
        "CHECK_DETAIL",
        "GETROUTPACKAGE",
        "FTP_DOWNLOADFILE",
        "LOADFROMFILE",
        "ADDAFFIX",
        "OPENFILE",
        "SAVEASFILE",
        "SENDNOTE",
        "SENDBULLETIN",
        "SENDBNNOTEWINDOW",
        "SENDBNBULLETINWINDOW",
        "CRTABFORUPDATEIP",
        "SENDSM",
        "SAVE_CONVEYRECORDFILE",
        "GETMONITOR",
        "PLAY_RECORDFILE",
        "BASE64DECODE",
        "BASE64ENCODE",
    };
#else
    const std::vector<std::string> expected = {
        "TEST",
        "CHECK_STAFF_QUERY",
        "CHECK_REPORT",
        "CHECK_PERSON",
        "SAVE_DATASET_TO_EXCEL",
        "SAVE_RECORDFILE",
        "CHECK_DETAIL",
        "GETROUTPACKAGE",
        "FTP_DOWNLOADFILE",
        "LOADFROMFILE",
        "ADDAFFIX",
        "OPENFILE",
        "SAVEASFILE",
        "SENDNOTE",
        "SENDBULLETIN",
        "SENDBNNOTEWINDOW",
        "SENDBNBULLETINWINDOW",
    };
#endif
    EXPECT_EQ(TableWords(), expected);
}

} // namespace
