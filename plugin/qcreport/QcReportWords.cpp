// The interface words of the quality-check reports: read the arguments, run the conversion,
// fill the result array.
#include "qcreport/QcReportWords.h"

#include "core/untZeph.h"
#include "core/IntegerArgument.h"
#include "qcreport/QcConversions.h"

namespace morvane::qcreport {
namespace {

[[maybe_unused]] const std::string& HelpA() {
    return "调用方法：Input[0]:接口字;Input[1]:需要转换的XML;Input[2]:质检对象ObjectID;Input[3]:质检内容ContentID"_host;
}
const std::string& HelpB() {
    return "调用方法：Input[0]:接口字;Input[1]:需要转换的XML;Input[2]:质检对象ObjectID;"_host;
}
const std::string& HelpC() {
    return "调用方法：Input[0]:接口字;Input[1]:需要转换的XML;Input[2]:质检对象ObjectID;Input[3]:被质检工号StaffNo;"_host;
}
[[maybe_unused]] const std::string& HelpD() {
    return "调用方法：Input[0]:接口字;Input[1]:需要转换的XML;Input[2]:需要显示的表格列数;"_host;
}

// [0] "True", the packet, the count; or "False", the error text, the usage text.
void Fill(zeph::Variant& Output, const TConversionResult& result, const std::string& count,
          const std::string& help) {
    if (!result.packet.empty()) {
        Output[0] = "True";
        Output[1] = result.packet;
        Output[2] = count;
    } else {
        Output[0] = "False";
        Output[1] = result.error;
        Output[2] = help;
    }
}

} // namespace

#if MORVANE_EDITION_FULL
void CheckResult(TInterFacefrmMain& main, const zeph::Variant& Input, zeph::Variant& Output) {
    std::string xml = GetInputItem(Input, 1);
    std::string objectId = GetInputItem(Input, 2);
    std::string contentId = GetInputItem(Input, 3);
    std::string key = GetInputItem(Input, 4);
    Output = zeph::Variant::Array(0, 2);
    TConversionResult result = ConvertCheckResult(main.ZephClient, xml, objectId, contentId, key);
    Fill(Output, result, std::to_string(result.count), HelpA());
}

void SkillReport(TInterFacefrmMain& main, const zeph::Variant& Input, zeph::Variant& Output) {
    std::string xml = GetInputItem(Input, 1);
    std::string objectId = GetInputItem(Input, 2);
    std::string contentId = GetInputItem(Input, 3);
    std::string key = GetInputItem(Input, 4);
    Output = zeph::Variant::Array(0, 2);
    TConversionResult result = ConvertSkillReport(main.ZephClient, xml, objectId, contentId, key);
    Fill(Output, result, std::to_string(result.count), HelpA());
}

void CrTabForUpdateIP(TInterFacefrmMain&, const zeph::Variant& Input, zeph::Variant& Output) {
    std::string xml = GetInputItem(Input, 1);
    int columns = TextToInteger(GetInputItem(Input, 2));
    Output = zeph::Variant::Array(0, 2);
    TConversionResult result = ConvertIpTable(xml, columns);
    Fill(Output, result, "0", HelpD());
}
#endif

void CheckReport(TInterFacefrmMain& main, const zeph::Variant& Input, zeph::Variant& Output) {
    std::string xml = GetInputItem(Input, 1);
    std::string objectId = GetInputItem(Input, 2);
    int pageSize = TextToInteger(GetInputItem(Input, 4));
    int pageNumber = TextToInteger(GetInputItem(Input, 5));
    Output = zeph::Variant::Array(0, 2);
    TConversionResult result =
        ConvertCheckReport(main.ZephClient, xml, objectId, pageNumber, pageSize);
    Fill(Output, result, std::to_string(result.count), HelpB());
}

void CheckPerson(TInterFacefrmMain& main, const zeph::Variant& Input, zeph::Variant& Output) {
    std::string xml = GetInputItem(Input, 1);
    std::string objectId = GetInputItem(Input, 2);
    std::string staffNo = GetInputItem(Input, 3);
    Output = zeph::Variant::Array(0, 2);
    TConversionResult result = ConvertCheckPerson(main.ZephClient, xml, objectId, staffNo);
    Fill(Output, result, "0", HelpC());
}

} // namespace morvane::qcreport
