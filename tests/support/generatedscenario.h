#ifndef GENERATEDSCENARIO_H
#define GENERATEDSCENARIO_H

#include <QStringList>
#include <QVector>

class RobotHarness;

// Generated device menus, read out and written to by the robot: the menu
// comes from the simulator's seeded generator, the expected read-out from
// the oracle, and the settings to write are chosen with the same seed. Each
// step answers with a description of what went wrong, or an empty text.
namespace GeneratedScenario {

struct Mark
{
    QStringList path;
    QString valueType;
    QString newValue; // empty for clock and date, which take the PC's
};

// Reads out the menu generated from `seed` on a simulator of its own,
// compares the tree with the oracle's, then writes a few settings.
QString run(quint32 seed);

// Marks the settings with their new values, transfers them, waits for the
// end and the device identified as `identifier` again, and checks the
// device's values: the marked ones as marked, all others as in the profile.
QString runTransfer(RobotHarness &harness, const QVector<Mark> &marks, const QString &identifier);

} // namespace GeneratedScenario

#endif // GENERATEDSCENARIO_H
