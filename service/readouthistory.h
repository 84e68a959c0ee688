#ifndef READOUTHISTORY_H
#define READOUTHISTORY_H

#include <QDateTime>
#include <QDomDocument>
#include <QHash>
#include <QString>
#include <QStringList>

class DeviceProfile;

// The history of read-outs: after every complete read-out a copy of the
// configuration as the device held it, unedited, in a folder of its own,
// named by the device identifier, the serial number where the device shows
// one, and the local date and time, for example
// "ORV-NR4000 V2.31 SN 4711-0815 2026-12-06 14-05.lumc" (without a serial
// number "ORV-NR4000 V2.31 2026-12-06 14-05.lumc"). Lifts of one type share
// the identifier, so a copy is found again by its serial number. The same
// naming serves the transfer reports and protocols.
class ReadoutHistory
{
public:
    // The name of a record of `deviceIdentifier` made at `when`, without
    // suffix: the identifier with every character a file name cannot hold
    // (on any of the technicians' systems) replaced by "_", a blank, then
    // "yyyy-MM-dd HH-mm".
    // With a serial number, " SN " and the number follow the identifier.
    static QString entryName(const QString &deviceIdentifier, const QDateTime &when,
                             const QString &serialNumber = QString());

    // The device and time a record's file name says (see entryName); false
    // for a name of another form.
    static bool parseName(const QString &fileName, QString *deviceIdentifier,
                          QString *serialNumber, QDateTime *when);

    // A path in `folder` for `entryName` + `suffix` that no file holds yet:
    // a second record within the same minute gets " (2)", then " (3)", so an
    // earlier record is never overwritten.
    static QString freePath(const QString &folder, const QString &entryName, const QString &suffix);

    // Writes `document` into `folder` (made if missing) with the project's
    // atomic writer. Returns the path written, or an empty string with the
    // reason in `error`.
    static QString save(const QString &folder, const QDomDocument &document,
                        const QString &deviceIdentifier, const QDateTime &when, QString *error,
                        const QString &serialNumber = QString());

    // The newest copy of `deviceIdentifier` with `serialNumber` in `folder`,
    // by the date and time in its name; empty if there is none. Without a
    // serial number only copies named without one count.
    static QString newestFile(const QString &folder, const QString &deviceIdentifier,
                              const QString &serialNumber = QString());

    // The values of the settings of a configuration, by menu path (names
    // joined by line feeds).
    static QHash<QString, QString> settingValues(const DeviceProfile &profile);
    static QString pathKey(const QStringList &menuPath);
};

#endif // READOUTHISTORY_H
