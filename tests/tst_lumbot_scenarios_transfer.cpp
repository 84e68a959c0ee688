// Writing a read-out back into the demo device, as "<< Konfiguration
// übertragen <<" does: every value type, at different depths and in
// different sections, checked in the simulated device's own menu state.

#include <QDate>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTime>
#include <QtTest>

#include "readoutoracle.h"
#include "robotharness.h"
#include "simmenu.h"

namespace {

struct PlannedValue {
    QStringList path;
    QString valueType;
    QString newValue; // empty: keep the value, only mark it (clock and date)
};

// Paths written with " > " between the names: a name may hold a slash.
QStringList pathOf(const QString &joined)
{
    return joined.split(QStringLiteral(" > "));
}

} // namespace

class TestLumBotScenariosTransfer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void transfer_writesEveryValueTypeIntoTheDevice();

private:
    RobotHarness m_harness;
    SimMenu m_menu;
    QTemporaryDir m_dir;
    QString m_readOutFile;
};

void TestLumBotScenariosTransfer::initTestCase()
{
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    QVERIFY(m_dir.isValid());
    QString error;
    QVERIFY2(m_menu.load(QStringLiteral(LUM_DEMO_MENU), &error), qPrintable(error));
    QVERIFY2(m_harness.startWithMenuFile(QStringLiteral(LUM_DEMO_MENU), &error), qPrintable(error));
    // The configuration a read-out of the demo gives (the demo read-out test
    // holds the robot to the same tree).
    m_readOutFile = m_dir.filePath(QStringLiteral("demo.lumc"));
    QFile out(m_readOutFile);
    QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Text));
    out.write(ReadOutOracle::expect(m_menu).document.toByteArray(1));
}

void TestLumBotScenariosTransfer::init()
{
    m_harness.profile().loadFromFile(m_readOutFile);
    QVERIFY(m_harness.item(pathOf(QStringLiteral("Betriebsart"))));
}

void TestLumBotScenariosTransfer::transfer_writesEveryValueTypeIntoTheDevice()
{
    // In menu order, so that the walk climbs one and two levels between
    // settings, changes section, and ends on the configuration menu's level.
    const QVector<PlannedValue> plan = {
        {pathOf(QStringLiteral("Einstellungen > Notruf > Sprachansage > Ansagetext")), QStringLiteral("selection"), QStringLiteral("Individuell")},
        {pathOf(QStringLiteral("Einstellungen > Rufnummern > Rufnummer 3")), QStringLiteral("inputnum"), QStringLiteral("0401112233")},
        {pathOf(QStringLiteral("Einstellungen > Timer > Timerzeit Stoerung")), QStringLiteral("inputtime_hhmm"), QStringLiteral("01:15")},
        {pathOf(QStringLiteral("Einstellungen > Uhrzeit")), QStringLiteral("inputsystemtime"), QString()},
        {pathOf(QStringLiteral("Einstellungen > Datum")), QStringLiteral("inputsystemdate"), QString()},
        {pathOf(QStringLiteral("Kommunikation > GPRS > Server-Port")), QStringLiteral("inputnum"), QStringLiteral("6001")},
        {pathOf(QStringLiteral("Ein-/Ausgänge > Relais > Relais 2")), QStringLiteral("selection"), QStringLiteral("Notruf aktiv")},
        {pathOf(QStringLiteral("Betriebsart")), QStringLiteral("selection"), QStringLiteral("Service")},
    };
    for (const PlannedValue &planned : plan) {
        ConfItem *item = m_harness.item(planned.path);
        QVERIFY2(item, qPrintable(planned.path.join(QLatin1Char('/'))));
        QCOMPARE(item->type(), planned.valueType);
        if (!planned.newValue.isEmpty()) {
            QVERIFY2(item->value() != planned.newValue, "the plan must change the value");
            if (planned.valueType == QLatin1String("selection")) {
                QVERIFY(item->options().contains(planned.newValue));
                QVERIFY2(item->options().first() != planned.newValue, "must not be the option shown first");
            }
            item->setValue(planned.newValue);
        }
        item->setActive(true);
    }

    QObject listening; // the recording connections end with this test
    QVector<int> modesAtEnabledChange;
    connect(&m_harness.bot(), &LumBot::enabledChanged, &listening,
            [&] { modesAtEnabledChange.append(m_harness.bot().mode()); });
    QStringList identifiers;
    connect(&m_harness.bot(), &LumBot::deviceIdentifierChanged, &listening,
            [&] { identifiers.append(m_harness.bot().deviceIdentifier()); });
    QSignalSpy errors(&m_harness.bot(), &LumBot::transmissionError);

    const QTime timeBefore = QTime::currentTime();
    const QDate dateBefore = QDate::currentDate();
    m_harness.bot().startUpload();
    QVERIFY(RobotHarness::waitFor(&m_harness.bot(), &LumBot::enabledChanged,
                                  [&] { return m_harness.isIdle() && modesAtEnabledChange.size() >= 3; }, 240000));
    const QTime timeAfter = QTime::currentTime();
    const QDate dateAfter = QDate::currentDate();
    QVERIFY2(errors.isEmpty(), qPrintable(m_harness.bot().lastErrorString()));

    const DeviceSimulator &device = m_harness.device();
    for (const PlannedValue &planned : plan) {
        const QString where = planned.path.join(QLatin1Char('/'));
        const QString stored = device.value(planned.path);
        if (planned.valueType == QLatin1String("inputsystemtime")) {
            const QStringList accepted{timeBefore.toString(QStringLiteral("hh:mm")),
                                       timeAfter.toString(QStringLiteral("hh:mm"))};
            QVERIFY2(accepted.contains(stored), qPrintable(where + QLatin1String(": ") + stored));
        } else if (planned.valueType == QLatin1String("inputsystemdate")) {
            const QStringList accepted{dateBefore.toString(QStringLiteral("dd.MM.yy")),
                                       dateAfter.toString(QStringLiteral("dd.MM.yy"))};
            QVERIFY2(accepted.contains(stored), qPrintable(where + QLatin1String(": ") + stored));
        } else {
            QVERIFY2(stored == planned.newValue, qPrintable(where + QLatin1String(": ") + stored));
        }
    }

    // Nothing else was changed on the way.
    for (const ConfItem *item : m_harness.profile().items()) {
        const bool planned = std::any_of(plan.cbegin(), plan.cend(),
                                         [item](const PlannedValue &p) { return p.path == item->menuPath(); });
        if (planned || item->element().tagName() != QLatin1String("setting"))
            continue;
        QVERIFY2(device.value(item->menuPath()) == item->value(),
                 qPrintable(item->menuPath().join(QLatin1Char('/'))));
    }

    // The device is identified once more, from its base menu.
    QVERIFY(modesAtEnabledChange.size() >= 3);
    QCOMPARE(modesAtEnabledChange.mid(modesAtEnabledChange.size() - 3),
             (QVector<int>{LumBot::Idle, LumBot::Init, LumBot::Idle}));
    QVERIFY(identifiers.size() >= 2);
    QCOMPARE(identifiers.mid(identifiers.size() - 2), (QStringList{QString(), m_menu.identifier}));
    QCOMPARE(m_harness.bot().deviceIdentifier(), m_menu.identifier);
    const QStringList screen = m_harness.device().screen();
    QCOMPARE(screen.value(0).trimmed(), m_menu.identifier);
    QCOMPARE(screen.value(1).trimmed(), QStringLiteral("konfigurieren?"));
}

QTEST_GUILESS_MAIN(TestLumBotScenariosTransfer)
#include "tst_lumbot_scenarios_transfer.moc"
