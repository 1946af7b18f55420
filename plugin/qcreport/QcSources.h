// What the conversions share: loading the input records and fetching the item and content
// lists from the application server. A failure raises EConversionFailed with the text the
// conversion reports.
#pragma once

#include "qcreport/QcConversions.h"
#include "qcreport/ReportWriter.h"

#include <zeph/client/TZephClient.h>
#include <zeph/dataset/TClientDataSet.h>

#include <stdexcept>
#include <string>
#include <string_view>

namespace morvane::qcreport {

class EConversionFailed : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Loads the input packet. notLoadable when it cannot be read; noRecords (unless empty) when the
// set is inactive or holds no records.
void LoadInputRecords(zeph::dataset::TClientDataSet& records, std::string_view xml,
                      const std::string& notLoadable, const std::string& noRecords);

// The item list of an object's content, in the order the server returns it.
void FetchItemList(zeph::TZephClient& client, zeph::dataset::TClientDataSet& items,
                   const std::string& objectId, const std::string& contentId,
                   const std::string& key);

// The object's check contents, highest SourceID first. False when the query fails.
bool FetchContentList(zeph::TZephClient& client, zeph::dataset::TClientDataSet& contents,
                      const std::string& objectId, const std::string& serverFlag);

// The texts every conversion uses.
const std::string& CatchAllPrefix();     // "转换中发生错误："
const std::string& RecordsNotLoadable(); // "传入的考评记录不是合法的XML格式"
const std::string& RecordsWithout();     // "传入的考评记录不可用或记录数为0"

// Runs convert(packet, result) for a conversion that reports every error as text: its own
// failures as they are, any other error after the catch-all prefix. A failed run keeps nothing
// but the error.
template <typename Convert>
TConversionResult CatchingEveryError(Convert&& convert) {
    TConversionResult result;
    TReportPacket packet;
    try {
        convert(packet, result);
        result.packet = packet.Take();
    } catch (const EConversionFailed& e) {
        result = TConversionResult{};
        result.error = e.what();
    } catch (const std::exception& e) {
        result = TConversionResult{};
        result.error = CatchAllPrefix() + e.what();
    }
    return result;
}

} // namespace morvane::qcreport
