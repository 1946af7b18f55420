// Arbitrary bytes as the records of each conversion: byte 0 and 1 choose the page and page size
// (and column count), the rest is the packet. Conversions must answer or raise a std::exception
// (the two that leave other errors to the host), never crash.
#include "qcreport/QcConversions.h"
#include "support/FakeHostServices.h"

#include <zeph/client/HostServices.h>
#include <zeph/dataset/DataPacket.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace {

// Every system parameter is the scoring mode the input chose.
class FuzzServices : public zeph::testing::FakeHostServices {
public:
    FuzzServices() {
        zeph::dataset::TRecordTable items;
        items.AddField({"Name", "string", 0, {}});
        items.AddField({"ItemID", "string", 0, {}});
        items.AppendRow({"a", "1"});
        items.AppendRow({"b", "C1"});
        items_ = zeph::dataset::WriteDataPacket(items);
        zeph::dataset::TRecordTable contents;
        for (const char* f : {"ContentID", "ContentName", "SourceID", "Weight"}) {
            contents.AddField({f, "string", 0, {}});
        }
        contents.AppendRow({"C2", "n2", "2", "1"});
        contents.AppendRow({"C1", "n1", "0", "1"});
        contents_ = zeph::dataset::WriteDataPacket(contents);
        recordCalls = false;
        onStoreProcedure = [](const std::string&, const std::string&, zeph::Variant& result) {
            result = zeph::Variant::ArrayOf({"True", "", "items", "", ""});
            return true;
        };
        onOpenBySQL = [this](const std::string&, const std::string& sql, const std::string&,
                             zeph::Variant& data) {
            data = sql == "items" ? items_ : contents_;
            return true;
        };
    }

private:
    std::string items_;
    std::string contents_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace morvane::qcreport;
    static auto services = [] {
        auto s = std::make_shared<FuzzServices>();
        zeph::InstallHostServices(s);
        return s;
    }();
    static zeph::TZephClient client(nullptr);
    int page = size > 0 ? data[0] % 8 - 1 : 1;
    int pageSize = size > 1 ? data[1] % 8 : 1;
    std::string_view xml;
    if (size > 2) {
        xml = std::string_view(reinterpret_cast<const char*>(data) + 2, size - 2);
    }
    const std::string text(xml);
    static const std::string kAverage = "N";
    static const std::string kDeduction = "Y";
    services->defaultSysParam = pageSize % 2 == 0 ? kAverage : kDeduction;
    ConvertCheckResult(client, text, "O", "C", "K");
    ConvertSkillReport(client, text, "O", "C", "K");
    ConvertCheckReport(client, text, "O", page, pageSize, Edition::Full);
    ConvertCheckReport(client, text, "O", page, pageSize, Edition::Basic);
    for (Edition edition : {Edition::Full, Edition::Basic}) {
        try {
            ConvertCheckPerson(client, text, "O", "1", edition);
        } catch (const std::exception&) {
        }
    }
    try {
        ConvertIpTable(text, pageSize);
    } catch (const std::exception&) {
    }
    return 0;
}
