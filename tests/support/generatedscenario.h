#ifndef GENERATEDSCENARIO_H
#define GENERATEDSCENARIO_H

#include <QString>
#include <QStringList>
#include <QVector>

#include "readoutoracle.h"
#include "simmenu.h"

class DeviceProfile;
class RobotHarness;

// One generated device menu, read out and written to by the robot: the
// menu comes from the simulator's seeded generator, the expected read-out
// from the oracle, and the settings to write are chosen with the same seed.
// Each step answers with a description of what went wrong, or an empty
// text.
class GeneratedScenario
{
public:
    struct Mark
    {
        QStringList path;
        QString valueType;
        QString newValue; // empty for clock and date, which take the PC's
    };

    explicit GeneratedScenario(quint32 seed) : m_seed(seed) { }

    const SimMenu &menu() const { return m_menu; }
    QString menuText() const { return m_menuText; }

    QString prepare();
    // Starts the read-out, waits for its end and compares.
    QString runReadOut(RobotHarness &harness) const;
    // Marks up to `count` settings of the profile with new values.
    QVector<Mark> markSettings(DeviceProfile &profile, int count) const;
    // Starts the transfer of the marked settings, waits for its end and the
    // device identified as `identifier` again, and checks the device's
    // values: the marked ones as marked, all others as in the profile.
    static QString runTransfer(RobotHarness &harness, const QVector<Mark> &marks,
                               const QString &identifier);

private:
    quint32 m_seed;
    QString m_menuText;
    SimMenu m_menu;
    ReadOutOracle::Expectation m_expected;
};

#endif // GENERATEDSCENARIO_H
