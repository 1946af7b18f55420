// The window that lists a call's recordings when there are several: a double click plays one,
// and the window stays open so that the agent can play another.
#pragma once

#include <zeph/client/TZephClient.h>
#include <zeph/dataset/TClientDataSet.h>
#include <zeph/forms/Form.h>
#include <zeph/forms/ListView.h>

#include <string>
#include <string_view>

namespace morvane::recording {

class TfrmSelRecodFile : public zeph::forms::Form {
public:
    explicit TfrmSelRecodFile(zeph::forms::Component* owner);

    zeph::forms::ListView lvRecordFile{*this, "lvRecordFile"};
    // The host component the window plays through.
    zeph::TZephClient* ZephClient = nullptr;

    // Lists the rows' FILENAME, STAFFNO and CONVEYDATE, replacing what was listed.
    void FillRecordFiles(zeph::dataset::TClientDataSet& rows);

private:
    void lvRecordFileDblClick(zeph::forms::Control& sender);
    void FormKeyDown(zeph::forms::Control& sender, std::uint16_t& key,
                     zeph::forms::ShiftState shift);
};

// A date and time of a packet ("20261208T10:20:30000", or a date "20261208") as
// "YYYY-MM-DD HH:MM:SS"; a text in neither form is shown as it is.
std::string FormatConveyDate(std::string_view value);

} // namespace morvane::recording
