#include <zeph/qtforms/QtLanguage.h>

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace zeph::qtforms {

bool InstallQtTranslations(const QString& locale) {
    auto* application = QCoreApplication::instance();
    if (application == nullptr) {
        return false;
    }
    // Owned by the application: it is consulted for as long as the application runs.
    auto* translator = new QTranslator(application);
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!translator->load(QStringLiteral("qtbase_") + locale, folder)) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    // Dates, numbers and the dialogs' own choices of words follow the same language.
    QLocale::setDefault(QLocale(locale));
    return true;
}

} // namespace zeph::qtforms
