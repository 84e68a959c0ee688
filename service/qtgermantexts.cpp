#include "qtgermantexts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace {

QString translationsFolder()
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    return QLibraryInfo::location(QLibraryInfo::TranslationsPath);
#else
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
#endif
}

} // namespace

bool QtGermanTexts::install()
{
    static bool tried = false;
    static bool installed = false;
    QCoreApplication *app = QCoreApplication::instance();
    if (tried || !app)
        return installed;
    tried = true;
    // The widget dialogs' texts are in qtbase; Qt Quick's and the QML
    // dialogs' (where a desktop lacks the widget ones) in the other two.
    for (const char *catalog : { "qtbase_de", "qtdeclarative_de", "qtquickcontrols_de" }) {
        auto *translator = new QTranslator(app);
        if (translator->load(QLatin1String(catalog), translationsFolder())) {
            app->installTranslator(translator);
            installed = true;
        } else {
            delete translator;
        }
    }
    return installed;
}
