// The columns of one export: parallel lists of field names and titles, and how they are built
// from the "~" lists the host passes.
#pragma once

#include <zeph/dataset/TClientDataSet.h>

#include <string>
#include <string_view>
#include <vector>

namespace morvane::exporting {

struct TExportColumns {
    std::vector<std::string> fields;
    std::vector<std::string> titles;
};

// The next piece of a "~" list: the text before the first "~", the rest kept; a text without
// "~" is returned whole and leaves the list empty.
std::string NextPiece(std::string& list);

// Named fields (fieldList not empty) that the dataset has, each with the next title piece (or
// its own name when the titles ran out; a name without a field still uses up its title), or
// every field of the dataset in packet order.
TExportColumns BuildColumns(const zeph::dataset::TClientDataSet& set, std::string titleList,
                            std::string fieldList);

// Positions in the dataset of the columns' fields (names ignore case); -1 for a name the
// dataset lacks.
std::vector<int> FieldPositions(const zeph::dataset::TClientDataSet& set,
                                const std::vector<std::string>& fields);

// The packet with every DEFAULT_ORDER of its PARAMS set to "0", so that loading it keeps the
// records in the order the host sent them.
std::string RewriteDefaultOrder(std::string packet);

} // namespace morvane::exporting
