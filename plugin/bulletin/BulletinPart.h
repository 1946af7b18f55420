// What the main window carries for bulletins and notes: the two web-service clients, the
// server address table and the lists the compose window offers.
#pragma once

#include "bulletin/SoapClient.h"
#include "core/MainWindowPart.h"

#include <zeph/dataset/TClientDataSet.h>
#include <zeph/forms/Component.h>

namespace morvane::bulletin {

class TBulletinPart : public TMainWindowPart {
public:
    explicit TBulletinPart(zeph::forms::Component& mainWindow);

    TSoapClient hprSendBulletin;
    TSoapClient hprSendNote;
    zeph::dataset::TClientDataSet cdsIPPort;
    zeph::dataset::TClientDataSet cdsBulletinType;
    zeph::dataset::TClientDataSet cdsBulletinCallCause;
    zeph::dataset::TClientDataSet cdsGroup;
};

} // namespace morvane::bulletin
