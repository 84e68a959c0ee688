#ifndef LUMCTL_H
#define LUMCTL_H

#include <QString>
#include <QStringList>

class DeviceOrigin;
class DeviceProfile;
class KelHandler;
class QCommandLineParser;

// The command-line tool: picks the command from the arguments and runs it
// with the same terminal link, robot and profile that the window uses.
class Lumctl
{
public:
    enum ExitStatus { Success = 0, DeviceFailed = 1, UsageError = 2 };

    // The arguments without the program name and without "-debuglog".
    int run(const QStringList &arguments);

    static QString overviewHelp();
    static QString commandHelp(const QString &command);

private:
    int runPorts(const QStringList &arguments);
    int runMonitor(const QStringList &arguments);
    int runIdentify(const QStringList &arguments);
    int runRead(const QStringList &arguments);
    int runWrite(const QStringList &arguments);
    int runCompare(const QStringList &arguments);
    // One lift of a series: a template and a table of per-lift values.
    int runSeries(const QStringList &arguments);
    bool isOtherDevice(const QString &file, KelHandler &link, int timeout, DeviceOrigin *device,
                       int *status);
    int identifyDevice(const QString &file, KelHandler &link, int timeout, DeviceOrigin *device,
                       DeviceOrigin *fileOrigin = nullptr);
    int refuseOtherDevice(const DeviceOrigin &file, const DeviceOrigin &device);
    int runShow(const QStringList &arguments);
    int runSet(const QStringList &arguments);
    int runDiff(const QStringList &arguments);
    int runDoctor(const QStringList &arguments);
    // In lumctlservice.cpp: the customer's record.
    int runProtocol(const QStringList &arguments);
    int runExport(const QStringList &arguments);

    // False when the command must end now with *status (help shown, or a
    // usage error reported).
    bool parse(QCommandLineParser &parser, const QString &command, const QStringList &arguments,
               int minPositional, int maxPositional, int *status);
    // parse() for the commands that talk to a device: also adds --port and
    // insists on it. Takes exactly `positional` arguments.
    bool parseWithPort(QCommandLineParser &parser, const QString &command,
                       const QStringList &arguments, int positional, int *status);
    // parseWithPort() and --timeout: what compare, write and series share.
    bool parseDeviceCommand(QCommandLineParser &parser, const QString &command,
                            const QStringList &arguments, int positional, int *timeout,
                            int *status);
    // The check walk over the marked settings (every editable one with
    // `all`), and which device it found; false when it failed (said on
    // standard error).
    bool runCheck(KelHandler &link, DeviceProfile &profile, bool all, int timeout,
                  DeviceOrigin *device, QString *warning = nullptr);
    bool readTimeout(const QCommandLineParser &parser, const QString &command, int *seconds);
    int usageError(const QString &command, const QString &problem);
    int openPort(KelHandler &link, const QString &port);
    int loadConfiguration(const QString &file, DeviceProfile &profile);
    int saveConfiguration(const QString &file, DeviceProfile &profile);
    int checkWritable(const QString &file);
};

#endif // LUMCTL_H
