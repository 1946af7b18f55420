// Each edition's word table, whole and in the order of testing, against the list of words the
// edition is known to carry (tests/data/editions/, one word a line): a word missing, added or
// moved fails here.
#include "editions/Editions.h"

#include <gtest/gtest.h>

#include <fstream>
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

std::vector<std::string> ListedWords(const std::string& name) {
    std::ifstream in(std::string(ZEPH_SOURCE_DIR) + "/tests/data/editions/" + name);
    EXPECT_TRUE(in) << name;
    std::vector<std::string> words;
    for (std::string line; std::getline(in, line);) {
        words.push_back(line);
    }
    return words;
}

TEST(EditionWordTableTest, WordsInTheEditionsOrder) {
#if MORVANE_EDITION_FULL
    const std::vector<std::string> expected = ListedWords("full-edition-words.txt");
    ASSERT_EQ(expected.size(), 27u);
#else
    const std::vector<std::string> expected = ListedWords("basic-edition-words.txt");
    ASSERT_EQ(expected.size(), 17u);
#endif
    EXPECT_EQ(TableWords(), expected);
}

} // namespace
