#include "shortmsg/CommonMessages.h"

namespace morvane::shortmsg {
namespace {

namespace dataset = zeph::dataset;

// Fetches a server-flag query into the set; false (the set closed) when the server fails or
// answers with something that is no packet.
bool Fetch(zeph::TZephClient& client, const char* flag, const std::string& parameter,
           dataset::TClientDataSet& set) {
    zeph::Variant data;
    if (!client.OpenByServerFlag(flag, parameter, data, 1, -1)) {
        set.Close();
        return false;
    }
    try {
        set.LoadFromData(data);
    } catch (const dataset::EDataSetError&) {
        return false;
    }
    return set.Active();
}

} // namespace

std::string StaffCityKey(zeph::TZephClient& client) {
    return client.GetStaffCityID();
}

bool FetchCities(zeph::TZephClient& client, dataset::TClientDataSet& cities) {
    if (!Fetch(client, "ZEPHSC_AG_SELCITY", "", cities)) {
        client.WriteLog("ERRORDLG_DAT_GETCITYDATA", "");
        return false;
    }
    return true;
}

bool FetchCommonMessages(zeph::TZephClient& client, const std::string& cityKey,
                         dataset::TClientDataSet& messages) {
    if (!Fetch(client, "ZEPHSC_AG_SELCONTENTMSG", cityKey, messages)) {
        client.WriteLog("ERRORDLG_DAT_GETSYSTEMPARAM: ZEPHSC_AG_SELCONTENTMSG", "");
        messages.Close();
        return false;
    }
    return true;
}

} // namespace morvane::shortmsg
