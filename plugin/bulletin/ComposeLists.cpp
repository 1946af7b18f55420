#include "bulletin/ComposeLists.h"

#include "bulletin/BulletinPart.h"
#include "core/untZeph.h"

namespace morvane::bulletin {

TComposeLists FetchComposeLists(TInterFacefrmMain& main, TBulletinPart& part, Edition edition) {
    zeph::TZephClient& client = main.ZephClient;
    const std::string staffNo = client.GetWorkerNO();
    TComposeLists lists;
    lists.bulletinTypes = FetchList(client, part.cdsBulletinType, "GETBULLETINTYPE", 4);
    if (lists.bulletinTypes == ListFetch::Refused) {
        return lists;
    }
    lists.callCauses = FetchList(client, part.cdsBulletinCallCause,
                                 "GETCALLCAUSECFG~" + client.GetStaffCityID(), 5);
    if (lists.callCauses == ListFetch::Refused) {
        return lists;
    }
    lists.groups = FetchList(client, part.cdsGroup, "GETGROUPBYSTAFFNO~" + staffNo, 5);
    if (lists.groups == ListFetch::Refused) {
        return lists;
    }
    const char* staffQuery =
        edition == Edition::Full ? "GETSTAFFBYSTAFFNOEX~" : "GETSTAFFBYSTAFFNO~";
    lists.staff = FetchList(client, main.cdsStaff, staffQuery + staffNo, 5);
    return lists;
}

} // namespace morvane::bulletin
