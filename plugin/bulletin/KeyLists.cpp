#include "bulletin/KeyLists.h"

#include <zeph/client/PackageRoutines.h>
#include <zeph/text/HostText.h>

namespace morvane::bulletin {

namespace text = zeph::text;

std::string KeyOf(std::string_view value, std::string_view separator) {
    const std::size_t at = text::Find(value, separator);
    return text::Trim(at == std::string_view::npos ? value : value.substr(0, at));
}

std::string GetListSeparator(std::string_view value) {
    for (const std::string& separator :
         {std::string(","), std::string(";"), "，"_host, "；"_host}) {
        if (text::Contains(value, separator)) {
            return separator;
        }
    }
    return {};
}

std::vector<std::string> SplitList(const std::string& value) {
    if (value.empty()) {
        return {};
    }
    const std::string separator = GetListSeparator(value);
    if (separator.empty()) {
        return {value};
    }
    std::vector<std::string> items;
    zeph::DecodeToList(value, separator, items);
    return items;
}

bool CheckKeysExist(const std::string& value, zeph::dataset::TClientDataSet& dataSet,
                    std::string_view keyField, std::string& missing) {
    missing.clear();
    if (value.empty() || !dataSet.Active()) {
        return false;
    }
    const std::string separator = GetListSeparator(value);
    const zeph::dataset::TField field = dataSet.FieldByName(keyField);
    bool first = true;
    for (const std::string& item : SplitList(value)) {
        const std::string key = KeyOf(item);
        bool found = false;
        for (dataSet.First(); !dataSet.Eof(); dataSet.Next()) {
            if (field.Text() == key) {
                found = true;
                break;
            }
        }
        if (!found) {
            if (!first) {
                missing += separator;
            }
            missing += item;
            first = false;
        }
    }
    return missing.empty();
}

std::string GetKeyList(const std::string& value) {
    std::vector<std::string> parts;
    zeph::DecodeToList(value, ",", parts);
    std::vector<std::string> keys;
    for (const std::string& part : parts) {
        if (!text::Trim(part).empty()) {
            keys.push_back(KeyOf(part));
        }
    }
    return text::Join(keys, ",");
}

} // namespace morvane::bulletin
