#include "appidentity.h"
#include "debuglog.h"
#include "logcategories.h"
#include "lumctl.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QDebug>
#include <QLibraryInfo>
#include <QScopedPointer>
#include <QLocale>
#include <QTranslator>

int main(int argc, char *argv[])
{
    // A PDF protocol needs fonts, so a GUI application, without a screen.
    bool pdf = false;
    for (int index = 1; index < argc; ++index)
        pdf = pdf || qstrcmp(argv[index], "--protocol") == 0 || qstrcmp(argv[index], "protocol") == 0;
    if (pdf && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QScopedPointer<QCoreApplication> application(pdf ? new QGuiApplication(argc, argv)
                                                     : new QCoreApplication(argc, argv));
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
