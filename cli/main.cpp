#include "appidentity.h"
#include "debuglog.h"
#include "logcategories.h"
#include "lumctl.h"

#include <QCoreApplication>
#include <QDebug>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(AppIdentity::organizationName());
    QCoreApplication::setApplicationName(QStringLiteral("lumctl"));
    // lumctl speaks German like the window, also in the messages of Qt's
    // command-line parser (when Qt's German texts are installed).
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::German, QLocale::Germany), QStringLiteral("qtbase"),
                     QStringLiteral("_"), QLibraryInfo::location(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);

    QStringList arguments = QCoreApplication::arguments().mid(1);
    const bool debugLog = DebugLog::takeSwitch(arguments);
    if (debugLog)
        DebugLog::installFileHandler();
    else
        DebugLog::installQuietHandler();
    QCoreApplication::setApplicationVersion(AppIdentity::versionText(debugLog));
    qCDebug(lumCli) << "######################## START LUMCTL" << QCoreApplication::applicationVersion()
             << "########################";

    Lumctl lumctl;
    return lumctl.run(arguments);
}
