#ifndef PORTDOCTOR_H
#define PORTDOCTOR_H

#include "portdiagnosis.h"

#include <QString>
#include <QStringList>
#include <QVector>

// "lumctl doctor": looks at every serial port of the machine (and the one
// named) and says whether this user can use it for LUM, who holds it, and
// which programs that take USB-serial adapters for themselves are about.
class PortDoctor
{
public:
    struct PortReport
    {
        QString name;
        QString manufacturer;
        QString serialNumber;
        bool exists = false;
        bool mayOpen = false;
        QVector<PortDiagnosis::Holder> holders;
        PortDiagnosis::Finding finding; // Usable only when it was opened and closed again
    };

    explicit PortDoctor(const PortDiagnosis &diagnosis = PortDiagnosis());

    // The machine's ports and LUM_EXTRA_PORTS as the window lists them, and
    // namedPort (if given) when it is not among them.
    QVector<PortReport> examinePorts(const QString &namedPort) const;
    PortReport examinePort(const QString &name) const;

    // The report as lines for standard output.
    QStringList describe(const QVector<PortReport> &ports) const;
    QStringList describeGrabbers() const;

private:
    // Opens the port and closes it again; false with the port's error code.
    static bool opens(const QString &name, int *error);

    PortDiagnosis m_diagnosis;
};

#endif // PORTDOCTOR_H
