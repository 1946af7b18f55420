// The server lists the compose window offers: bulletin types, call causes, the agent's groups
// and the staff, each fetched once for the main window's lifetime.
#pragma once

#include "bulletin/BulletinSend.h"
#include "core/Edition.h"

namespace morvane {
class TInterFacefrmMain;
}

namespace morvane::bulletin {

class TBulletinPart;

// How each list's fetch ended; a list after one the server refused is not fetched (Closed).
struct TComposeLists {
    ListFetch bulletinTypes = ListFetch::Closed;
    ListFetch callCauses = ListFetch::Closed;
    ListFetch groups = ListFetch::Closed;
    ListFetch staff = ListFetch::Closed;
};

// Fetches the lists in the order above into the part's datasets and the main window's staff
// set, stopping after the first one the server refuses.
TComposeLists FetchComposeLists(TInterFacefrmMain& main, TBulletinPart& part,
                                Edition edition = kBuildEdition);

} // namespace morvane::bulletin
