#ifndef GENERATEDSCENARIOTEST_H
#define GENERATEDSCENARIOTEST_H

#include <QObject>

// Read-outs and transfers of generated device menus, one row per seed of a
// range. A robot that is right on the demo menu but wrong in general shows
// itself here: every menu is compared with the tree its menu file calls for,
// then a few settings are written and checked in the device. The seeds are
// split over several executables, each a small subclass naming its range,
// so that the halves run in parallel.
class GeneratedScenarioTest : public QObject
{
    Q_OBJECT

public:
    GeneratedScenarioTest(quint32 firstSeed, quint32 lastSeed, QObject *parent = nullptr);

private slots:
    void initTestCase();
    void generatedMenu_readsOutAndTakesMarkedValues_data();
    void generatedMenu_readsOutAndTakesMarkedValues();

private:
    quint32 m_firstSeed;
    quint32 m_lastSeed;
};

#endif // GENERATEDSCENARIOTEST_H
