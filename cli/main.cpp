#include "debuglog.h"
#include "lumctl.h"

#include <QCoreApplication>
#include <QDebug>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Kestrom Elektronik GmbH"));
    QCoreApplication::setApplicationName(QStringLiteral("lumctl"));

    QStringList arguments = QCoreApplication::arguments().mid(1);
    QString version = QStringLiteral("4.1.3");
    if (DebugLog::takeSwitch(arguments)) {
        DebugLog::installFileHandler();
        version += QStringLiteral(" - DEBUGLOG AKTIV");
    } else {
        DebugLog::installQuietHandler();
    }
    QCoreApplication::setApplicationVersion(version);
    qDebug() << "######################## START LUMCTL" << QCoreApplication::applicationVersion()
             << "########################";

    Lumctl lumctl;
    return lumctl.run(arguments);
}
