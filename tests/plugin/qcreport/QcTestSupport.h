// What the quality-check tests share: packets built from rows the test defines, and host
// services that answer the item and content queries with such packets.
#pragma once

#include "support/FakeHostServices.h"
#include "support/Packets.h"

#include <zeph/client/HostServices.h>
#include <zeph/client/TZephClient.h>
#include <zeph/dataset/DataPacket.h>

#include <memory>
#include <string>
#include <vector>

namespace qctest {

// Host text of a UTF-8 source text.
inline std::string G(const std::string& utf8) {
    return zeph::text::Utf8ToGbk(utf8);
}

// A packet of host text: field names and rows of UTF-8 texts.
using zeph::testing::BuildPacket;

// Expected report text: lines given in UTF-8 without their ends, each ended by one CR.
std::string Lines(const std::vector<std::string>& lines);

using ServerCall = zeph::testing::FakeHostServices::ServerCall;

// Host services of a test: the item procedure returns itemSql in [2]; OpenBySQL answers the
// item statement with itemPacket and the content statement with contentPacket; every system
// parameter is scoringMode.
class TestServices : public zeph::testing::FakeHostServices {
public:
    TestServices();

    std::string itemSql = "select Name, ItemID from t_qc_item";
    std::string itemPacket;
    std::string contentPacket;
    bool storeProcedureResult = true;
    bool itemQueryResult = true;
    bool contentQueryResult = true;
    std::string scoringMode = "N";

    std::string GetSysParam(const std::string& module, const std::string& number) override;
};

// Installs fresh services for one test and restores the previous ones afterwards.
using ServicesScope = zeph::testing::ServicesScope<TestServices>;

} // namespace qctest
