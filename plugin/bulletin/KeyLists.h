// Lists of keys as the agent types them: items "key - name" joined by a separator. All texts are
// host text.
#pragma once

#include <zeph/dataset/TClientDataSet.h>

#include <string>
#include <string_view>
#include <vector>

namespace morvane::bulletin {

// The part before the first separator, trimmed; a text without it is its own key (trimmed).
std::string KeyOf(std::string_view text, std::string_view separator = "-");

// The first of ",", ";", full-width comma, full-width semicolon that occurs in the text; empty
// when none does.
std::string GetListSeparator(std::string_view text);

// The text's items, split at its list separator; a text without one is one item, an empty text
// has none.
std::vector<std::string> SplitList(const std::string& text);

// True when every item's key is the value of keyField in some row of dataSet (exact, letter
// case counts). missing receives the items that are not, as written, joined by the text's
// separator. No for an empty text or a closed dataset, with missing empty.
bool CheckKeysExist(const std::string& text, zeph::dataset::TClientDataSet& dataSet,
                    std::string_view keyField, std::string& missing);

// The keys of the non-blank parts of the text split at each half-width comma, joined by ",".
std::string GetKeyList(const std::string& text);

} // namespace morvane::bulletin
