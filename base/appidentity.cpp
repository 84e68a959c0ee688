#include "appidentity.h"

// The build sets the version once, from the project's version number.
#ifndef LUM_VERSION
#  error "LUM_VERSION must be defined by the build"
#endif

QString AppIdentity::version()
{
    return QStringLiteral(LUM_VERSION);
}

QString AppIdentity::organizationName()
{
    return QStringLiteral("Kestrom Elektronik GmbH");
}

QString AppIdentity::organizationDomain()
{
    return QStringLiteral("kestrom-elektronik.example");
}

QString AppIdentity::debugLogSwitch()
{
    return QStringLiteral("-debuglog");
}

QString AppIdentity::versionText(bool debugLog)
{
    return debugLog ? version() + QStringLiteral(" - DEBUGLOG AKTIV") : version();
}

bool AppIdentity::hasDebugLogSwitch(const QStringList &arguments)
{
    return arguments.contains(debugLogSwitch());
}
