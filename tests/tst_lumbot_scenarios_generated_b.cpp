// Read-outs and transfers of generated device menus (seeds 11 to 20; the
// other half runs in its own executable, so that both halves run in
// parallel). A robot that is right on the demo menu but wrong in general
// shows itself here: every menu is compared with the tree its menu file
// calls for, then a few settings are written and checked in the device.

#include <QtTest>

#include "generatedscenario.h"
#include "robotharness.h"

class TestLumBotScenariosGenerated : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void generatedMenu_readsOutAndTakesMarkedValues_data();
    void generatedMenu_readsOutAndTakesMarkedValues();
};

void TestLumBotScenariosGenerated::initTestCase()
{
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
}

void TestLumBotScenariosGenerated::generatedMenu_readsOutAndTakesMarkedValues_data()
{
    QTest::addColumn<quint32>("seed");
    for (quint32 seed = 11; seed <= 20; ++seed)
        QTest::newRow(qPrintable(QStringLiteral("seed %1").arg(seed))) << seed;
}

void TestLumBotScenariosGenerated::generatedMenu_readsOutAndTakesMarkedValues()
{
    QFETCH(quint32, seed);
    GeneratedScenario scenario(seed);
    QString problem = scenario.prepare();
    QVERIFY2(problem.isEmpty(), qPrintable(problem));

    RobotHarness harness;
    QString error;
    QVERIFY2(harness.startWithMenuText(scenario.menuText(), &error), qPrintable(error));
    problem = scenario.runReadOut(harness);
    QVERIFY2(problem.isEmpty(), qPrintable(QLatin1Char('\n') + problem + QLatin1String("\nmenu:\n") + scenario.menuText()));

    const QVector<GeneratedScenario::Mark> marks = scenario.markSettings(harness.profile(), 3);
    QVERIFY2(!marks.isEmpty(), "the generated menu offers no setting to write");
    problem = scenario.runTransfer(harness, marks);
    QVERIFY2(problem.isEmpty(), qPrintable(QLatin1Char('\n') + problem + QLatin1String("\nmenu:\n") + scenario.menuText()));
}

QTEST_GUILESS_MAIN(TestLumBotScenariosGenerated)
#include "tst_lumbot_scenarios_generated_b.moc"
