// Read-outs and transfers of generated device menus, seeds 11 to 20; seeds
// 1 to 10 run in their own executable, in parallel with this one.

#include <QtTest>

#include "generatedscenariotest.h"

class TestLumBotScenariosGenerated : public GeneratedScenarioTest
{
    Q_OBJECT

public:
    TestLumBotScenariosGenerated() : GeneratedScenarioTest(11, 20) {}
};

QTEST_GUILESS_MAIN(TestLumBotScenariosGenerated)
#include "tst_lumbot_scenarios_generated_b.moc"
