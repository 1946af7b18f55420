#include "bulletin/BulletinSend.h"

#include "bulletin/BulletinPart.h"
#include "bulletin/ServiceInterfaces.h"
#include "core/untZeph.h"

#include <zeph/client/PackageRoutines.h>
#include <zeph/dataset/DataPacket.h>
#include <zeph/text/HostText.h>

#include <exception>
#include <vector>

namespace morvane::bulletin {
namespace {

namespace text = zeph::text;

constexpr const char* kProcedure = "P_QUERY_MORVANE_DLL";

bool ReturnCodeIsZero(const zeph::Variant& code) {
    try {
        return code.AsInteger() == 0;
    } catch (const zeph::EVariantError&) {
        return false; // not a number: not a success either
    }
}

// The address of the bulletin-and-note server, or "" after telling the agent there is none.
std::string ServerAddress(TInterFacefrmMain& main) {
    std::string address = GetServerIPPort(main, "BN");
    if (text::Trim(address).empty()) {
        zeph::InfoDlg("系统没有配置关于公告便笺服务器的数据，请联系管理员。"_host,
                      zeph::forms::kNoOwner);
        return {};
    }
    return address;
}

// Everything after the address lookup and the call's log line: a failure of any kind gives "",
// and one more log line says why, so that a supervisor can see why a note did not go out.
template <typename Work>
std::string Guarded(zeph::TZephClient& client, const std::string& location, Work&& work) {
    try {
        return work();
    } catch (const std::exception& error) {
        client.WriteLog("wsdl=" + location + ", error=" + error.what(), "");
        return {};
    }
}

} // namespace

ListFetch FetchList(zeph::TZephClient& client, zeph::dataset::TClientDataSet& dataSet,
                    const std::string& parameters, int minHighBound) {
    if (!dataSet.Active()) {
        zeph::Variant result;
        if (client.StoreProcedure(kProcedure, parameters, result) && result.IsArray() &&
            result.HighBound() >= minHighBound) {
            if (!ReturnCodeIsZero(result[2])) {
                return ListFetch::Refused;
            }
            dataSet.LoadFromData(result[4]);
        }
    }
    return dataSet.Active() ? ListFetch::Open : ListFetch::Closed;
}

std::string GetServerIPPort(TInterFacefrmMain& main, const std::string& Class) {
    TBulletinPart& part = main.Part<TBulletinPart>();
    zeph::dataset::TClientDataSet& table = part.cdsIPPort;
    if (FetchList(main.ZephClient, table, "GETIPPORT~" + main.ZephClient.GetWorkerNO(), 4) ==
        ListFetch::Refused) {
        return {};
    }
    if (!table.Active()) {
        throw zeph::dataset::EDataSetError("cdsIPPort: Cannot perform this operation on a "
                                           "closed dataset");
    }
    const zeph::dataset::TField classField = table.FieldByName("Class");
    for (table.First(); !table.Eof(); table.Next()) {
        if (classField.Text() == Class) {
            return table.FieldByName("IP").AsString() + ":" + table.FieldByName("Port").AsString();
        }
    }
    return {};
}

std::string SendBulletin(TInterFacefrmMain& main, const std::string& Title,
                         const std::string& Grade, const std::string& TypeID,
                         const std::string& RecvGroup, const std::string& CallCause,
                         const std::string& Content) {
    const std::string address = ServerAddress(main);
    if (address.empty()) {
        return {};
    }
    zeph::TZephClient& client = main.ZephClient;
    TSoapClient& soap = main.Part<TBulletinPart>().hprSendBulletin;
    soap.WSDLLocation = "http://" + address + "/axis/BulletinIssueWS.jws?wsdl";
    return Guarded(client, soap.WSDLLocation, [&] {
        client.WriteLog("wsdl=" + soap.WSDLLocation + ", title=" + Title + ",  grade=" + Grade +
                            ", typeid=" + TypeID + ", arecvgroup=" + RecvGroup +
                            ", callcause=" + CallCause + ", acontent=" + Content,
                        "");
        return soap.Invoke(kIssue, {Title, client.GetWorkerNO(), client.GetEnCodePass(), Grade,
                                    TypeID, RecvGroup, CallCause, Content});
    });
}

std::string SendNote(TInterFacefrmMain& main, const std::string& Title, const std::string& Grade,
                     const std::string& RecvStaffNos, const std::string& RecvGroups,
                     const std::string& Content, const std::string& Module, Edition edition) {
    const std::string address = ServerAddress(main);
    if (address.empty()) {
        return {};
    }
    zeph::TZephClient& client = main.ZephClient;
    TSoapClient& soap = main.Part<TBulletinPart>().hprSendNote;
    soap.WSDLLocation = "http://" + address + "/axis/NoteSendWS.jws?wsdl";
    return Guarded(client, soap.WSDLLocation, [&] {
        std::string line = "wsdl=" + soap.WSDLLocation + ", title=" + Title + ", grade=" + Grade +
                           ", recvstaffnos=" + RecvStaffNos + ", recvgroups=" + RecvGroups +
                           ", content=" + Content;
        std::vector<std::string> values = {Title,  client.GetWorkerNO(), client.GetEnCodePass(),
                                           Grade,  RecvStaffNos,         RecvGroups,
                                           Content};
        if (edition == Edition::Full) {
            line += ",module=" + Module;
            values.push_back(Module);
        }
        client.WriteLog(line, "");
        return soap.Invoke(edition == Edition::Full ? kSendNew : kSend, values);
    });
}

} // namespace morvane::bulletin
