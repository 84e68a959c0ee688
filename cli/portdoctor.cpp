#include "portdoctor.h"

#include "kelhandler.h"

#include <QHash>
#include <QSerialPort>
#include <QSerialPortInfo>

namespace {

QString orUnknown(const QString &text)
{
    return text.isEmpty() ? QStringLiteral("unbekannt") : text;
}

} // namespace

PortDoctor::PortDoctor(const PortDiagnosis &diagnosis) : m_diagnosis(diagnosis) { }

QVector<PortDoctor::PortReport> PortDoctor::examinePorts(const QString &namedPort) const
{
    QVector<KelHandler::PortEntry> entries;
    QHash<QString, QString> serialNumbers;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        entries.append(KelHandler::PortEntry(info.portName(), info.manufacturer()));
        serialNumbers.insert(info.portName(), info.serialNumber());
    }
    const QStringList extraPorts =
            qEnvironmentVariable("LUM_EXTRA_PORTS").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    const KelHandler::PortChoice choice = KelHandler::buildPortChoice(entries, extraPorts);
    QStringList names = choice.names;
    if (!namedPort.isEmpty() && !names.contains(namedPort))
        names.append(namedPort);

    QVector<PortReport> reports;
    for (int i = 0; i < names.size(); ++i) {
        PortReport report = examinePort(names.at(i));
        report.manufacturer = choice.manufacturers.value(i);
        report.serialNumber = serialNumbers.value(names.at(i));
        reports.append(report);
    }
    return reports;
}

PortDoctor::PortReport PortDoctor::examinePort(const QString &name) const
{
    PortReport report;
    report.name = name;
    report.exists = m_diagnosis.exists(name);
    if (report.exists) {
        report.mayOpen = m_diagnosis.mayOpen(name);
        report.holders = m_diagnosis.holders(name);
    }
    report.finding = m_diagnosis.examine(name);
    // Nothing in the way that can be seen: the proof is an open.
    int error = 0;
    if (report.finding.problem == PortDiagnosis::Usable && !opens(name, &error))
        report.finding = m_diagnosis.examine(name, error);
    return report;
}

bool PortDoctor::opens(const QString &name, int *error)
{
    QSerialPort port;
    port.setPortName(name);
    if (port.open(QIODevice::ReadWrite)) {
        port.close();
        return true;
    }
    *error = port.error() == QSerialPort::NoError ? int(QSerialPort::UnknownError)
                                                  : int(port.error());
    return false;
}

QStringList PortDoctor::describe(const QVector<PortReport> &ports) const
{
    QStringList lines;
    for (const PortReport &port : ports) {
        lines << QStringLiteral("%1 (Hersteller: %2, Seriennummer: %3)")
                         .arg(port.name, orUnknown(port.manufacturer),
                              orUnknown(port.serialNumber));
        if (port.exists) {
            lines << (port.mayOpen ? QStringLiteral("  Zugriff: erlaubt")
                                   : QStringLiteral("  Zugriff: nicht erlaubt"));
            QStringList holders;
            for (const PortDiagnosis::Holder &holder : port.holders)
                holders << PortDiagnosis::describeHolder(holder);
            lines << (holders.isEmpty() ? QStringLiteral("  Belegt: nein")
                                        : QStringLiteral("  Belegt von: ")
                                      + holders.join(QStringLiteral(", ")));
        }
        if (port.finding.problem == PortDiagnosis::Usable)
            lines << QStringLiteral("  Nutzbar: ja");
        else
            lines << QStringLiteral("  Nutzbar: nein. ") + port.finding.text;
    }
    return lines;
}

QStringList PortDoctor::describeGrabbers() const
{
    QStringList lines{ QStringLiteral("Programme, die USB-Seriell-Adapter an sich nehmen:") };
    for (const PortDiagnosis::Grabber &grabber : m_diagnosis.adapterGrabbers()) {
        if (!grabber.installed) {
            lines << QStringLiteral("  %1: nicht installiert").arg(grabber.program);
            continue;
        }
        lines << QStringLiteral("  %1: installiert, %2. %3")
                         .arg(grabber.program,
                              grabber.running ? QStringLiteral("läuft")
                                              : QStringLiteral("läuft nicht"),
                              grabber.fix);
    }
    return lines;
}
