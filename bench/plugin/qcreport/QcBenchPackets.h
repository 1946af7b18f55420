// Generated input packets of quality-check records and the server lists that go with them:
// 2,000 staff, 20 contents, 30 items.
#pragma once

#include "support/FakeHostServices.h"

#include <string>

namespace qcbench {

inline constexpr int kStaff = 2000;
inline constexpr int kContents = 20;
inline constexpr int kItems = 30;

enum class Kind { CheckResult, SkillReport, CheckReport, CheckPerson, IpTable };

// A packet of host text with the given number of records for one conversion.
std::string InputPacket(Kind kind, int records);

// Host services answering the item and content queries.
class BenchServices : public zeph::testing::FakeHostServices {
public:
    BenchServices();

private:
    std::string items_;
    std::string contents_;
};

} // namespace qcbench
