// Each edition's word table holds the file, text and lookup words in the order of testing that
// edition has, and no others of them.
#include "core/WordTable.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> ServiceWordsInTableOrder() {
    const std::vector<std::string> serviceWords = {
        "GETROUTPACKAGE", "FTP_DOWNLOADFILE", "LOADFROMFILE", "ADDAFFIX",    "OPENFILE",
        "SAVEASFILE",     "GETMONITOR",       "BASE64DECODE", "BASE64ENCODE"};
    std::vector<std::string> found;
    for (const morvane::WordEntry& entry : morvane::EditionWordTable()) {
        for (const std::string& word : serviceWords) {
            if (word == entry.word) {
                found.push_back(word);
                EXPECT_NE(entry.run, nullptr) << word;
            }
        }
    }
    return found;
}

TEST(EditionTableTest, ServiceWordsInTheEditionsOrder) {
#if defined(MORVANE_EDITION_BASIC)
    const std::vector<std::string> expected = {"GETROUTPACKAGE", "FTP_DOWNLOADFILE", "LOADFROMFILE",
                                               "ADDAFFIX",       "OPENFILE",         "SAVEASFILE"};
#else
    const std::vector<std::string> expected = {
        "GETROUTPACKAGE", "FTP_DOWNLOADFILE", "LOADFROMFILE", "ADDAFFIX",    "OPENFILE",
        "SAVEASFILE",     "GETMONITOR",       "BASE64DECODE", "BASE64ENCODE"};
#endif
    EXPECT_EQ(ServiceWordsInTableOrder(), expected);
}

TEST(EditionTableTest, ServiceWordsComeAfterCheckDetail) {
    bool seenCheckDetail = false;
    for (const morvane::WordEntry& entry : morvane::EditionWordTable()) {
        if (std::string(entry.word) == "CHECK_DETAIL") {
            seenCheckDetail = true;
        }
        if (std::string(entry.word) == "GETROUTPACKAGE") {
            EXPECT_TRUE(seenCheckDetail);
        }
    }
}

} // namespace
