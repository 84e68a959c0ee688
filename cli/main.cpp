#include "appidentity.h"
#include "debuglog.h"
#include "lumctl.h"

#include <QCoreApplication>
#include <QDebug>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(AppIdentity::organizationName());
    QCoreApplication::setApplicationName(QStringLiteral("lumctl"));

    QStringList arguments = QCoreApplication::arguments().mid(1);
    const bool debugLog = DebugLog::takeSwitch(arguments);
    if (debugLog)
        DebugLog::installFileHandler();
    else
        DebugLog::installQuietHandler();
    QCoreApplication::setApplicationVersion(AppIdentity::versionText(debugLog));
    qDebug() << "######################## START LUMCTL" << QCoreApplication::applicationVersion()
             << "########################";

    Lumctl lumctl;
    return lumctl.run(arguments);
}
