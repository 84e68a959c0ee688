#ifndef PORTDIAGNOSIS_H
#define PORTDIAGNOSIS_H

#include <QString>
#include <QStringList>
#include <QVector>

// Finds out why a serial port cannot be used and says it in German, with
// what the technician can do about it: the adapter is not plugged in, the
// user lacks the group that may open serial ports, another program holds
// the port (named with its process id, from the lock file it left or from
// the open files the system lists per process), or the path is no serial
// port at all. It also knows the programs that grab USB-serial adapters as
// they are plugged in.
//
// Everything it looks at lies below a root folder, the system's own by
// default; a test gives it a folder of its own with a made-up /dev, /proc,
// lock folder and group file, and an identity of its own.
class PortDiagnosis
{
public:
    enum Problem {
        Usable, // exists, may be opened, nobody holds it
        NotSelected, // no port named
        NoPortFound, // the list of ports is empty
        Missing, // no such device: adapter not plugged in or unplugged
        NoPermission, // the user may not open it (group)
        InUse, // another program holds it (known)
        InUseUnknown, // the system refuses it as busy, holder not visible
        NotSerial, // the path is no serial line
        OpenFailed // anything else
    };

    struct Holder
    {
        qint64 pid = 0;
        QString program; // "" when not known
    };

    struct Finding
    {
        Problem problem = Usable;
        QString text; // German: what is wrong and what to do
        QVector<Holder> holders;
    };

    // A program that is known to take USB-serial adapters for itself.
    struct Grabber
    {
        QString program;
        bool installed = false;
        bool running = false;
        QString fix; // German: how to stop it taking adapters
    };

    // rootDir "" is the running system.
    explicit PortDiagnosis(const QString &rootDir = QString());

    // The user the checks are made for; the process's own by default.
    void setIdentity(uint uid, const QVector<uint> &groups, const QString &userName);

    // "ttyUSB0" is /dev/ttyUSB0; a path stays as it is.
    static QString devicePath(const QString &portName);

    bool exists(const QString &portName) const;
    bool mayOpen(const QString &portName) const;
    // The group whose members may open the port ("dialout" on Debian).
    QString accessGroup(const QString &portName) const;
    // Processes that hold the port: from lock files, then from the open
    // files of every process this user may look at. Each process once.
    QVector<Holder> holders(const QString &portName) const;

    // What stands in the way of opening the port. portError is the port's
    // error code after a failed open (QSerialPort::SerialPortError), 0 when
    // no open was tried.
    Finding examine(const QString &portName, int portError = 0) const;

    QVector<Grabber> adapterGrabbers() const;

    static QString notSelectedText();
    static QString noPortFoundText();
    // "minicom (Prozess 4711)"
    static QString describeHolder(const Holder &holder);

private:
    QString hostPath(const QString &path) const;
    QString canonicalDevicePath(const QString &portName) const;
    QVector<Holder> lockFileHolders(const QString &portName) const;
    QVector<Holder> openFileHolders(const QString &portName) const;
    QList<qint64> processIds() const;
    bool processAlive(qint64 pid) const;
    QString programOf(qint64 pid) const;
    // name, gid and members of each line of the group file
    bool groupEntry(uint gid, QString *name, QStringList *members) const;
    QString permissionText(const QString &portName) const;
    QString inUseText(const QString &portName, const QVector<Holder> &holders) const;

    QString m_root;
    uint m_uid = 0;
    QVector<uint> m_groups;
    QString m_userName;
};

#endif // PORTDIAGNOSIS_H
