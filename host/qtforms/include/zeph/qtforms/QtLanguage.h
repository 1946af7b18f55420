// Qt's own texts (file and folder dialogs, message box buttons, context menus) in the desk's
// language, from the translations the system's Qt installs.
#pragma once

#include <QString>

namespace zeph::qtforms {

// The desk speaks Chinese whatever the session's locale.
inline constexpr const char* kDeskLocale = "zh_CN";

// Installs the translation of Qt's own texts for locale on the running application; false
// when the system has none (its dialogs then speak English). Call after the application is
// made and before any dialog is shown.
bool InstallQtTranslations(const QString& locale = QString::fromLatin1(kDeskLocale));

} // namespace zeph::qtforms
