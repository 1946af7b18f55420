#include "bulletin/BulletinPart.h"

namespace morvane::bulletin {

TBulletinPart::TBulletinPart(zeph::forms::Component& mainWindow)
    : hprSendBulletin(&mainWindow, "hprSendBulletin"), hprSendNote(&mainWindow, "hprSendNote"),
      cdsIPPort(&mainWindow, "cdsIPPort"), cdsBulletinType(&mainWindow, "cdsBulletinType"),
      cdsBulletinCallCause(&mainWindow, "cdsBulletinCallCause"), cdsGroup(&mainWindow, "cdsGroup") {}

} // namespace morvane::bulletin
