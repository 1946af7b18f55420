// The server data of the common-message picker: the city list and the prepared messages.
#pragma once

#include <zeph/client/TZephClient.h>
#include <zeph/dataset/TClientDataSet.h>

#include <string>

namespace morvane::shortmsg {

// The key of the agent's city, as the host knows it.
std::string StaffCityKey(zeph::TZephClient& client);

// Fetches the city list ("ZEPHSC_AG_SELCITY") into cities; false, logged, when the server
// fails or answers with something that is no packet.
bool FetchCities(zeph::TZephClient& client, zeph::dataset::TClientDataSet& cities);

// Fetches the prepared messages of all cities and of the city ("ZEPHSC_AG_SELCONTENTMSG") into
// messages; false, logged and with messages closed, when that fails.
bool FetchCommonMessages(zeph::TZephClient& client, const std::string& cityKey,
                         zeph::dataset::TClientDataSet& messages);

} // namespace morvane::shortmsg
