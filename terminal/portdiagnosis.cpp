#include "portdiagnosis.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSerialPort>
#include <QSet>

#ifdef Q_OS_UNIX
#  include <grp.h>
#  include <pwd.h>
#  include <unistd.h>
#endif

namespace {

// Where programs leave the lock files of the serial ports they hold, the
// traditional folders first; a program that may write to none of them uses
// the temporary folder.
const char *const lockFolders[] = { "/var/lock",        "/run/lock",       "/etc/locks",
                                    "/var/spool/locks", "/var/spool/uucp", "/tmp" };

const char *const programFolders[] = { "/usr/sbin", "/usr/bin",        "/sbin",
                                       "/bin",      "/usr/local/sbin", "/usr/local/bin" };

// The usual group of serial devices on Debian and its kin.
const char *const serialGroup = "dialout";

// The lock file name of a port: the device path without "/dev/", slashes
// made underscores ("/dev/ttyUSB0" -> "LCK..ttyUSB0").
QString lockFileName(const QString &devicePath)
{
    QString name = devicePath;
    if (name.startsWith(QLatin1String("/dev/")))
        name = name.mid(5);
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    return QStringLiteral("LCK..") + name;
}

bool isProgramOfLum(const QString &program)
{
    return program == QLatin1String("lum") || program == QLatin1String("lumctl");
}

} // namespace

PortDiagnosis::PortDiagnosis(const QString &rootDir) : m_root(rootDir)
{
    while (m_root.endsWith(QLatin1Char('/')))
        m_root.chop(1);
#ifdef Q_OS_UNIX
    m_uid = ::getuid();
    m_groups.append(::getgid());
    const int count = ::getgroups(0, nullptr);
    if (count > 0) {
        QVector<gid_t> groups(count);
        const int got = ::getgroups(count, groups.data());
        for (int i = 0; i < got; ++i)
            m_groups.append(groups.at(i));
    }
    if (const passwd *user = ::getpwuid(m_uid))
        m_userName = QString::fromLocal8Bit(user->pw_name);
#endif
}

void PortDiagnosis::setIdentity(uint uid, const QVector<uint> &groups, const QString &userName)
{
    m_uid = uid;
    m_groups = groups;
    m_userName = userName;
}

QString PortDiagnosis::devicePath(const QString &portName)
{
#ifdef Q_OS_UNIX
    if (portName.startsWith(QLatin1Char('/')))
        return portName;
    return QStringLiteral("/dev/") + portName;
#else
    return portName;
#endif
}

QString PortDiagnosis::hostPath(const QString &path) const
{
    return m_root + path;
}

QString PortDiagnosis::canonicalDevicePath(const QString &portName) const
{
    const QString canonical = QFileInfo(hostPath(devicePath(portName))).canonicalFilePath();
    if (canonical.isEmpty())
        return devicePath(portName);
    return m_root.isEmpty() ? canonical
                            : canonical.mid(QFileInfo(m_root).canonicalFilePath().size());
}

bool PortDiagnosis::exists(const QString &portName) const
{
#ifdef Q_OS_UNIX
    return !portName.isEmpty() && QFileInfo::exists(hostPath(devicePath(portName)));
#else
    return !portName.isEmpty();
#endif
}

bool PortDiagnosis::mayOpen(const QString &portName) const
{
#ifdef Q_OS_UNIX
    if (m_uid == 0)
        return true;
    const QFileInfo device(hostPath(devicePath(portName)));
    const QFile::Permissions mode = device.permissions();
    if (device.ownerId() == m_uid)
        return mode.testFlag(QFile::ReadOwner) && mode.testFlag(QFile::WriteOwner);
    if (m_groups.contains(device.groupId()))
        return mode.testFlag(QFile::ReadGroup) && mode.testFlag(QFile::WriteGroup);
    return mode.testFlag(QFile::ReadOther) && mode.testFlag(QFile::WriteOther);
#else
    Q_UNUSED(portName)
    return true;
#endif
}

bool PortDiagnosis::groupEntry(uint gid, QString *name, QStringList *members) const
{
    QFile file(hostPath(QStringLiteral("/etc/group")));
    if (file.open(QIODevice::ReadOnly)) {
        while (!file.atEnd()) {
            const QStringList fields =
                    QString::fromLocal8Bit(file.readLine()).trimmed().split(QLatin1Char(':'));
            bool ok = false;
            if (fields.size() >= 4 && fields.at(2).toUInt(&ok) == gid && ok) {
                *name = fields.at(0);
                *members = fields.at(3).split(QLatin1Char(','), Qt::SkipEmptyParts);
                return true;
            }
        }
    }
#ifdef Q_OS_UNIX
    // Groups kept elsewhere than in the file (a directory service).
    if (m_root.isEmpty()) {
        if (const group *entry = ::getgrgid(gid)) {
            *name = QString::fromLocal8Bit(entry->gr_name);
            members->clear();
            for (char **member = entry->gr_mem; member && *member; ++member)
                members->append(QString::fromLocal8Bit(*member));
            return true;
        }
    }
#endif
    return false;
}

QString PortDiagnosis::accessGroup(const QString &portName) const
{
    const QFileInfo device(hostPath(devicePath(portName)));
    const QFile::Permissions mode = device.permissions();
    QString name;
    QStringList members;
    // A device only its owner or root may use has no group to join; the
    // serial group is what a udev rule gives an adapter.
    if (mode.testFlag(QFile::ReadGroup) && mode.testFlag(QFile::WriteGroup)
        && groupEntry(device.groupId(), &name, &members) && name != QLatin1String("root"))
        return name;
    return QLatin1String(serialGroup);
}

QList<qint64> PortDiagnosis::processIds() const
{
    QList<qint64> pids;
    const QStringList entries =
            QDir(hostPath(QStringLiteral("/proc"))).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        bool ok = false;
        const qint64 pid = entry.toLongLong(&ok);
        if (ok && pid > 0)
            pids.append(pid);
    }
    return pids;
}

bool PortDiagnosis::processAlive(qint64 pid) const
{
    return pid > 0 && QFileInfo(hostPath(QStringLiteral("/proc/%1").arg(pid))).isDir();
}

QString PortDiagnosis::programOf(qint64 pid) const
{
    // The program as started (the short name the system keeps besides is
    // cut at 15 characters).
    QFile commandLine(hostPath(QStringLiteral("/proc/%1/cmdline").arg(pid)));
    if (commandLine.open(QIODevice::ReadOnly)) {
        const QByteArray first = commandLine.read(4096).split('\0').value(0);
        if (!first.isEmpty())
            return QFileInfo(QString::fromLocal8Bit(first)).fileName();
    }
    QFile shortName(hostPath(QStringLiteral("/proc/%1/comm").arg(pid)));
    if (shortName.open(QIODevice::ReadOnly))
        return QString::fromLocal8Bit(shortName.readAll()).trimmed();
    return QString();
}

QVector<PortDiagnosis::Holder> PortDiagnosis::lockFileHolders(const QString &portName) const
{
    const QSet<QString> names{ lockFileName(devicePath(portName)),
                               lockFileName(canonicalDevicePath(portName)) };
    QVector<Holder> found;
    for (const char *folder : lockFolders) {
        for (const QString &name : names) {
            QFile lock(hostPath(QLatin1String(folder) + QLatin1Char('/') + name));
            if (!lock.open(QIODevice::ReadOnly))
                continue;
            // The holder's process id in text as the first line (padded
            // with spaces by some programs), then perhaps its name.
            const QList<QByteArray> lines = lock.read(1024).split('\n');
            bool ok = false;
            Holder holder;
            holder.pid = lines.value(0).trimmed().toLongLong(&ok);
            // A lock whose process is gone is stale; the next open removes it.
            if (!ok || !processAlive(holder.pid))
                continue;
            holder.program = programOf(holder.pid);
            if (holder.program.isEmpty())
                holder.program = QString::fromLocal8Bit(lines.value(1).trimmed());
            found.append(holder);
        }
    }
    return found;
}

QVector<PortDiagnosis::Holder> PortDiagnosis::openFileHolders(const QString &portName) const
{
    QVector<Holder> found;
#ifdef Q_OS_UNIX
    const QSet<QString> paths{ devicePath(portName), canonicalDevicePath(portName) };
    for (const qint64 pid : processIds()) {
        const QDir fds(hostPath(QStringLiteral("/proc/%1/fd").arg(pid)));
        // Another user's processes cannot be looked into.
        const QStringList entries = fds.entryList(QDir::AllEntries | QDir::System);
        for (const QString &fd : entries) {
            const QByteArray link = QFile::encodeName(fds.filePath(fd));
            char target[4096];
            const ssize_t size = ::readlink(link.constData(), target, sizeof target - 1);
            if (size <= 0)
                continue;
            if (paths.contains(QFile::decodeName(QByteArray(target, int(size))))) {
                found.append(Holder{ pid, programOf(pid) });
                break;
            }
        }
    }
#else
    Q_UNUSED(portName)
#endif
    return found;
}

QVector<PortDiagnosis::Holder> PortDiagnosis::holders(const QString &portName) const
{
    QVector<Holder> all;
    QSet<qint64> seen;
    for (const Holder &holder : lockFileHolders(portName) + openFileHolders(portName)) {
        if (seen.contains(holder.pid))
            continue;
        seen.insert(holder.pid);
        all.append(holder);
    }
    return all;
}

QString PortDiagnosis::describeHolder(const Holder &holder)
{
    if (holder.program.isEmpty())
        return QStringLiteral("einem unbekannten Programm (Prozess %1)").arg(holder.pid);
    return QStringLiteral("%1 (Prozess %2)").arg(holder.program).arg(holder.pid);
}

QString PortDiagnosis::notSelectedText()
{
    return QStringLiteral("Keine Schnittstelle gewählt: bitte die Schnittstelle des Adapters in "
                          "der Liste wählen.");
}

QString PortDiagnosis::noPortFoundText()
{
    return QStringLiteral(
            "Keine serielle Schnittstelle gefunden. Den USB-Seriell-Adapter einstecken und die "
            "Liste neu aufklappen. Eine Schnittstelle, die das System nicht meldet, lässt sich mit "
            "der Umgebungsvariablen LUM_EXTRA_PORTS angeben (siehe docs/terminal.md).");
}

QString PortDiagnosis::permissionText(const QString &portName) const
{
    const QString group = accessGroup(portName);
    QString name;
    QStringList members;
    bool listed = false;
    // The group file names the members; the running session only knows the
    // groups it was started with.
    const QFileInfo device(hostPath(devicePath(portName)));
    if (groupEntry(device.groupId(), &name, &members) && name == group)
        listed = members.contains(m_userName);
    if (listed)
        return QStringLiteral("Keine Berechtigung für die Schnittstelle %1: Sie sind schon in der "
                              "Gruppe \"%2\", aber noch nicht neu angemeldet. Abhilfe: ab- und "
                              "wieder anmelden.")
                .arg(portName, group);
    return QStringLiteral("Keine Berechtigung für die Schnittstelle %1: nur Mitglieder der Gruppe "
                          "\"%2\" dürfen sie öffnen. Abhilfe: im Terminal \"sudo usermod -aG %2 "
                          "$USER\" eingeben, danach ab- und wieder anmelden.")
            .arg(portName, group);
}

QString PortDiagnosis::inUseText(const QString &portName, const QVector<Holder> &holders) const
{
    QStringList named;
    bool anotherLum = false;
    for (const Holder &holder : holders) {
        named << describeHolder(holder);
        anotherLum = anotherLum || isProgramOfLum(holder.program);
    }
    if (anotherLum)
        return QStringLiteral("Die Schnittstelle %1 ist schon von einem anderen LUM belegt: %2. "
                              "Dort die Verbindung trennen oder das Programm beenden, dann erneut "
                              "verbinden.")
                .arg(portName, named.join(QStringLiteral(", ")));
    return QStringLiteral("Die Schnittstelle %1 ist belegt von %2. Das Programm beenden oder dort "
                          "die Verbindung trennen, dann erneut verbinden.")
            .arg(portName, named.join(QStringLiteral(", ")));
}

PortDiagnosis::Finding PortDiagnosis::examine(const QString &portName, int portError) const
{
    Finding finding;
    if (portName.isEmpty()) {
        finding.problem = NotSelected;
        finding.text = notSelectedText();
        return finding;
    }
    if (!exists(portName) || portError == QSerialPort::DeviceNotFoundError) {
        finding.problem = Missing;
        finding.text = QStringLiteral("Die Schnittstelle %1 gibt es nicht (mehr): der Adapter ist "
                                      "nicht eingesteckt oder wurde abgezogen. Adapter einstecken "
                                      "und die Schnittstelle neu wählen.")
                               .arg(portName);
        return finding;
    }
    if (!mayOpen(portName)) {
        finding.problem = NoPermission;
        finding.text = permissionText(portName);
        return finding;
    }
    if (portError == QSerialPort::UnsupportedOperationError) {
        finding.problem = NotSerial;
        finding.text = QStringLiteral("%1 ist keine serielle Schnittstelle: sie nimmt die "
                                      "Leitungseinstellungen (9600 Baud, 8 Datenbits, keine "
                                      "Parität, 1 Stoppbit) nicht an. Die Schnittstelle des "
                                      "USB-Seriell-Adapters wählen.")
                               .arg(portName);
        return finding;
    }
    finding.holders = holders(portName);
    if (!finding.holders.isEmpty()) {
        finding.problem = InUse;
        finding.text = inUseText(portName, finding.holders);
        return finding;
    }
    switch (portError) {
    case QSerialPort::NoError:
        finding.problem = Usable;
        finding.text = QStringLiteral("Die Schnittstelle %1 ist frei und darf geöffnet werden.")
                               .arg(portName);
        break;
    case QSerialPort::PermissionError:
        // Allowed by its permissions, yet refused: held exclusively by a
        // program this user cannot look into (another user's, or a service).
        finding.problem = InUseUnknown;
        finding.text =
                QStringLiteral("Die Schnittstelle %1 ist von einem anderen Programm belegt "
                               "(etwa einem Terminalprogramm oder ModemManager). Das Programm "
                               "beenden oder den Adapter neu einstecken, dann erneut verbinden; "
                               "\"lumctl doctor\" zeigt mehr.")
                        .arg(portName);
        break;
    default:
        finding.problem = OpenFailed;
        finding.text = QStringLiteral("Die Schnittstelle %1 lässt sich nicht öffnen (Fehlercode "
                                      "%2). Adapter neu einstecken und erneut verbinden; "
                                      "\"lumctl doctor\" prüft die Schnittstellen.")
                               .arg(portName)
                               .arg(portError);
        break;
    }
    return finding;
}

QVector<PortDiagnosis::Grabber> PortDiagnosis::adapterGrabbers() const
{
    QVector<Grabber> grabbers{
        { QStringLiteral("brltty"), false, false,
          QStringLiteral("brltty hält USB-Seriell-Adapter für Braillezeilen fest. Wird keine "
                         "Braillezeile benutzt: \"sudo apt-get remove brltty\", dann den Adapter "
                         "neu einstecken.") },
        { QStringLiteral("ModemManager"), false, false,
          QStringLiteral("ModemManager prüft jeden neuen Adapter als Modem und belegt ihn dabei. "
                         "Abhilfe: \"sudo systemctl stop ModemManager\" und \"sudo systemctl "
                         "disable ModemManager\", dann den Adapter neu einstecken.") },
    };
    QSet<QString> running;
    for (const qint64 pid : processIds())
        running.insert(programOf(pid));
    for (Grabber &grabber : grabbers) {
        for (const char *folder : programFolders) {
            if (QFileInfo(hostPath(QLatin1String(folder) + QLatin1Char('/') + grabber.program))
                        .isFile())
                grabber.installed = true;
        }
        grabber.running = running.contains(grabber.program);
        grabber.installed = grabber.installed || grabber.running;
    }
    return grabbers;
}
