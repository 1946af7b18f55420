// The words of bulletins and notes: sending directly, and opening the compose window.
#pragma once

#include "core/Edition.h"

#include <zeph/client/Variant.h>

namespace morvane {
class TInterFacefrmMain;
}

namespace morvane::bulletin {

// SENDNOTE: In 1 title, 2 grade, 3 staff numbers, 4 groups, 5 content, 6 module (full edition).
void SendNoteWord(TInterFacefrmMain& main, const zeph::Variant& Input, zeph::Variant& Output);
// SENDBULLETIN: In 1 title, 2 grade, 3 type, 4 groups, 5 call cause, 6 content.
void SendBulletinWord(TInterFacefrmMain& main, const zeph::Variant& Input, zeph::Variant& Output);
// SENDBNNOTEWINDOW: In 1 … In 5 preset the note page.
void SendBNNoteWindow(TInterFacefrmMain& main, const zeph::Variant& Input, zeph::Variant& Output);
// SENDBNBULLETINWINDOW: In 1 … In 6 preset the bulletin page.
void SendBNBulletinWindow(TInterFacefrmMain& main, const zeph::Variant& Input,
                          zeph::Variant& Output);

// The same words for a given edition, so that one build can run both.
void RunSendNote(TInterFacefrmMain& main, const zeph::Variant& Input, zeph::Variant& Output,
                 Edition edition);
void RunSendBNNoteWindow(TInterFacefrmMain& main, const zeph::Variant& Input, Edition edition);
void RunSendBNBulletinWindow(TInterFacefrmMain& main, const zeph::Variant& Input, Edition edition);

} // namespace morvane::bulletin
