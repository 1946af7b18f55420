#include "bulletin/BulletinPart.h"

#include "bulletin/ServiceInterfaces.h"

namespace morvane::bulletin {

TBulletinPart::TBulletinPart(zeph::forms::Component& mainWindow)
    : hprSendBulletin(&mainWindow, "hprSendBulletin", kBulletinService, kBulletinPort),
      hprSendNote(&mainWindow, "hprSendNote", kNoteService, kNotePort),
      cdsIPPort(&mainWindow, "cdsIPPort"), cdsBulletinType(&mainWindow, "cdsBulletinType"),
      cdsBulletinCallCause(&mainWindow, "cdsBulletinCallCause"), cdsGroup(&mainWindow, "cdsGroup") {
}

} // namespace morvane::bulletin
