// The main window's operations for bulletins and notes: the bulletin-and-note server's address
// and the two sends. All texts are host text.
#pragma once

#include "core/Edition.h"

#include <zeph/client/TZephClient.h>
#include <zeph/dataset/TClientDataSet.h>

#include <string>

namespace morvane {
class TInterFacefrmMain;
}

namespace morvane::bulletin {

// How a server list fetch ended.
enum class ListFetch {
    Open,    // the dataset is open (fetched now or earlier)
    Closed,  // the call failed or answered too few elements: the dataset stays closed
    Refused, // the server answered a nonzero return code: the dataset stays closed
};

// Fetches a list through "P_QUERY_MORVANE_DLL" with the parameter text into the dataset, unless
// it is open already. minHighBound is the least high bound of the result array that counts.
ListFetch FetchList(zeph::TZephClient& client, zeph::dataset::TClientDataSet& dataSet,
                    const std::string& parameters, int minHighBound);

// IP and port, joined by a colon, of the first server of the class (exact), or "". Raises
// EDataSetError when the address table could not be fetched at all.
std::string GetServerIPPort(TInterFacefrmMain& main, const std::string& Class);

// The server's answer, or "" when the send failed. Raise only what GetServerIPPort raises.
std::string SendBulletin(TInterFacefrmMain& main, const std::string& Title,
                         const std::string& Grade, const std::string& TypeID,
                         const std::string& RecvGroup, const std::string& CallCause,
                         const std::string& Content);
// The basic edition's note service has no module: Module is neither logged nor sent there.
std::string SendNote(TInterFacefrmMain& main, const std::string& Title, const std::string& Grade,
                     const std::string& RecvStaffNos, const std::string& RecvGroups,
                     const std::string& Content, const std::string& Module,
                     Edition edition = kBuildEdition);

} // namespace morvane::bulletin
