#include "generatedscenariotest.h"

#include <QtTest>

#include "generatedscenario.h"
#include "robotharness.h"

GeneratedScenarioTest::GeneratedScenarioTest(quint32 firstSeed, quint32 lastSeed, QObject *parent)
    : QObject(parent)
    , m_firstSeed(firstSeed)
    , m_lastSeed(lastSeed)
{
}

void GeneratedScenarioTest::initTestCase()
{
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
}

void GeneratedScenarioTest::generatedMenu_readsOutAndTakesMarkedValues_data()
{
    QTest::addColumn<quint32>("seed");
    for (quint32 seed = m_firstSeed; seed <= m_lastSeed; ++seed)
        QTest::newRow(qPrintable(QStringLiteral("seed %1").arg(seed))) << seed;
}

void GeneratedScenarioTest::generatedMenu_readsOutAndTakesMarkedValues()
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
