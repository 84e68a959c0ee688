#ifndef APPIDENTITY_H
#define APPIDENTITY_H

#include <QString>
#include <QStringList>

// Who the program is: its version, its maker, and the command-line switch
// that turns the debug log on. The window and lumctl show the same.
class AppIdentity
{
public:
    static QString version();
    static QString organizationName();
    static QString organizationDomain();

    static QString debugLogSwitch();
    // The version with the mark that the debug log is on, when it is.
    static QString versionText(bool debugLog);
    // Whether the arguments hold the switch (a whole argument, any position).
    static bool hasDebugLogSwitch(const QStringList &arguments);
};

#endif // APPIDENTITY_H
