#include "support/FakeHostServices.h"

namespace zeph::testing {

std::string FakeHostServices::GetSysParam(const std::string& module, const std::string& number) {
    if (recordCalls) {
        sysParamRequests.push_back(module + "/" + number);
        calls.push_back({"GetSysParam", module, number, {}, 0, 0});
    }
    auto it = sysParams.find(module + "/" + number);
    return it == sysParams.end() ? defaultSysParam : it->second;
}

Variant FakeHostServices::GetPublicData(const std::string& name) {
    auto it = publicData.find(name);
    return it == publicData.end() ? Variant() : it->second;
}

bool FakeHostServices::StoreProcedure(const std::string& procedure, const std::string& parameters,
                                      Variant& result) {
    if (recordCalls) {
        calls.push_back({"StoreProcedure", procedure, parameters, {}, 0, 0});
    }
    return onStoreProcedure && onStoreProcedure(procedure, parameters, result);
}

bool FakeHostServices::OpenBySQL(const std::string& serverFlag, const std::string& sql,
                                 const std::string& parameters, Variant& data, int first,
                                 int second) {
    if (recordCalls) {
        calls.push_back({"OpenBySQL", serverFlag, sql, parameters, first, second});
    }
    return onOpenBySQL && onOpenBySQL(serverFlag, sql, parameters, data);
}

bool FakeHostServices::OpenByServerFlag(const std::string& serverFlag,
                                        const std::string& parameters, Variant& data, int first,
                                        int second) {
    if (recordCalls) {
        calls.push_back({"OpenByServerFlag", serverFlag, parameters, {}, first, second});
    }
    return onOpenByServerFlag && onOpenByServerFlag(serverFlag, parameters, data);
}

bool FakeHostServices::FTPDownLoad(const std::string& remoteDir, const std::string& localDir,
                                   const std::string& fileName) {
    return onFtpDownload && onFtpDownload(remoteDir, localDir, fileName);
}

bool FakeHostServices::CallDll(const std::string& library, const Variant& input, Variant& output,
                               bool option) {
    return onCallDll && onCallDll(library, input, output, option);
}

} // namespace zeph::testing
