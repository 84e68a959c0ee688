// Writing a read-out back into a simulated device, as "<< Konfiguration
// übertragen <<" does: every value type of the demo device, checked in the
// device's own menu state, and every way a transfer can fail, each brought
// about by its real situation (a configuration that does not fit the device,
// a device that alters a value, a line that is lost). After a failure the
// robot is idle, the device stays identified and the profile is as it was.

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "generatedscenario.h"
#include "readoutoracle.h"
#include "robotharness.h"
#include "simmenu.h"
#include "treetext.h"

namespace {

// Paths written with " > " between the names: a name may hold a slash.
QStringList pathOf(const QString &joined)
{
    return joined.split(QStringLiteral(" > "));
}

const QString kMenu = QStringLiteral("device TST-9 V2.0\n"
                                     "section Anlage\n"
                                     "    selection Modus = Auto\n"
                                     "        options: Auto | Hand | Aus\n"
                                     "    input Rufnummer = 12\n"
                                     "    section Tiefer\n"
                                     "        input Haltezeit = 10\n"
                                     "        selection Relais = Ein\n"
                                     "            options: Ein | Aus\n"
                                     "selection Sprache = Deutsch\n"
                                     "    options: Deutsch | English\n");

enum class Fault {
    ValueNotOffered,
    OptionHiddenByDevice,
    SettingMissing,
    SectionMissing,
    ValueAltered,
    LineDropped
};

} // namespace

Q_DECLARE_METATYPE(Fault)

class TestLumBotScenariosTransfer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
        QVERIFY(m_dir.isValid());
        QString error;
        QVERIFY2(m_menu.load(QStringLiteral(LUM_DEMO_MENU), &error), qPrintable(error));
        QVERIFY2(m_harness.startWithMenuFile(QStringLiteral(LUM_DEMO_MENU), &error),
                 qPrintable(error));
        QVERIFY(ReadOutOracle::writeReadOut(m_menu, m_dir.filePath(QStringLiteral("demo.lumc"))));
        QVERIFY2(m_smallMenu.parse(kMenu, &error), qPrintable(error));
        QVERIFY(ReadOutOracle::writeReadOut(m_smallMenu,
                                            m_dir.filePath(QStringLiteral("tst9.lumc"))));
    }

    void transfer_writesEveryValueTypeIntoTheDevice()
    {
        m_harness.profile().loadFromFile(m_dir.filePath(QStringLiteral("demo.lumc")));
        // In menu order, so that the walk climbs one and two levels between
        // settings, changes section, and ends on the configuration menu's level.
        const QVector<GeneratedScenario::Mark> plan = {
            { pathOf(QStringLiteral("Einstellungen > Notruf > Sprachansage > Ansagetext")),
              QStringLiteral("selection"), QStringLiteral("Individuell") },
            { pathOf(QStringLiteral("Einstellungen > Rufnummern > Rufnummer 3")),
              QStringLiteral("inputnum"), QStringLiteral("0401112233") },
            { pathOf(QStringLiteral("Einstellungen > Timer > Timerzeit Stoerung")),
              QStringLiteral("inputtime_hhmm"), QStringLiteral("01:15") },
            { pathOf(QStringLiteral("Einstellungen > Uhrzeit")), QStringLiteral("inputsystemtime"),
              QString() },
            { pathOf(QStringLiteral("Einstellungen > Datum")), QStringLiteral("inputsystemdate"),
              QString() },
            { pathOf(QStringLiteral("Kommunikation > GPRS > Server-Port")),
              QStringLiteral("inputnum"), QStringLiteral("6001") },
            { pathOf(QStringLiteral("Ein-/Ausgänge > Relais > Relais 2")),
              QStringLiteral("selection"), QStringLiteral("Notruf aktiv") },
            { pathOf(QStringLiteral("Betriebsart")), QStringLiteral("selection"),
              QStringLiteral("Service") },
        };
        for (const GeneratedScenario::Mark &planned : plan) {
            ConfItem *item = m_harness.item(planned.path);
            QVERIFY2(item, qPrintable(planned.path.join(QLatin1Char('/'))));
            QCOMPARE(item->type(), planned.valueType);
            if (!planned.newValue.isEmpty()) {
                QVERIFY2(item->value() != planned.newValue, "the plan must change the value");
                if (planned.valueType == QLatin1String("selection")) {
                    QVERIFY(item->options().contains(planned.newValue));
                    QVERIFY2(item->options().first() != planned.newValue,
                             "must not be the option shown first");
                }
                item->setValue(planned.newValue);
            }
            item->setActive(true);
        }

        // Ends with the device identified again from its base menu, and
        // changes nothing else on the way.
        const QString problem = GeneratedScenario::runTransfer(m_harness, plan, m_menu.identifier);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    void transfer_failsWithTheSituationsText_data()
    {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<QString>("expectedError");

        QTest::newRow("selection value the device does not offer")
                << Fault::ValueNotOffered
                << QStringLiteral("Fehler beim Übertragen von: Anlage/Modus\nWert \"Automatik\" "
                                  "konnte auf dem Gerät leider nicht gefunden werden!");
        QTest::newRow("device no longer offers the stored option")
                << Fault::OptionHiddenByDevice
                << QStringLiteral("Fehler beim Übertragen von: Anlage/Modus\nWert \"Hand\" konnte "
                                  "auf dem Gerät leider nicht gefunden werden!");
        QTest::newRow("setting the device does not have")
                << Fault::SettingMissing
                << QStringLiteral(
                           "Fehler beim Übertragen von: Anlage/Tiefer/Nachlaufzeit\nMenüpunkt "
                           "konnte auf dem Gerät leider nicht gefunden werden!");
        QTest::newRow("section the device does not have")
                << Fault::SectionMissing
                << QStringLiteral("Fehler beim Übertragen von: Service/Tiefer/Haltezeit\nMenüpunkt "
                                  "konnte auf dem Gerät leider nicht gefunden werden!");
        QTest::newRow("device shows '5' for '05'")
                << Fault::ValueAltered
                << QStringLiteral(
                           "Fehler beim Übertragen von: Anlage/Tiefer/Haltezeit\nÜbernommener "
                           "Wert: 5\nErwarteter Wert: 05");
        QTest::newRow("line dropped during the transfer")
                << Fault::LineDropped
                << QStringLiteral("Fehler beim Übertragen!\nVerbindung zum Gerät wurde getrennt!");
    }

    void transfer_failsWithTheSituationsText()
    {
        QFETCH(Fault, fault);
        QFETCH(QString, expectedError);

        RobotHarness harness;
        QString error;
        QVERIFY2(harness.startWithMenuText(kMenu, &error), qPrintable(error));
        DeviceProfile &profile = harness.profile();
        profile.loadFromFile(m_dir.filePath(QStringLiteral("tst9.lumc")));
        ConfItem *modus = harness.item({ QStringLiteral("Anlage"), QStringLiteral("Modus") });
        ConfItem *haltezeit = harness.item({ QStringLiteral("Anlage"), QStringLiteral("Tiefer"),
                                             QStringLiteral("Haltezeit") });
        ConfItem *sprache = harness.item({ QStringLiteral("Sprache") });
        QVERIFY(modus && haltezeit && sprache);
        // Every fault sits before a further marked setting, which must then not
        // be written.
        sprache->setValue(QStringLiteral("English"));
        sprache->setActive(true);

        DeviceSimulator &device = harness.device();
        switch (fault) {
        case Fault::ValueNotOffered:
            modus->setValue(QStringLiteral("Automatik"));
            modus->setActive(true);
            break;
        case Fault::OptionHiddenByDevice:
            modus->setValue(QStringLiteral("Hand"));
            modus->setActive(true);
            device.hideOption({ QStringLiteral("Anlage"), QStringLiteral("Modus") },
                              QStringLiteral("Hand"));
            break;
        case Fault::SettingMissing:
            haltezeit->element().setAttribute(QStringLiteral("text"),
                                              QStringLiteral("Nachlaufzeit"));
            haltezeit->setActive(true);
            break;
        case Fault::SectionMissing:
            haltezeit->element().parentNode().parentNode().toElement().setAttribute(
                    QStringLiteral("text"), QStringLiteral("Service"));
            haltezeit->setActive(true);
            break;
        case Fault::ValueAltered:
            haltezeit->setValue(QStringLiteral("05"));
            haltezeit->setActive(true);
            device.setValueAlteration({ QStringLiteral("Anlage"), QStringLiteral("Tiefer"),
                                        QStringLiteral("Haltezeit") },
                                      QStringLiteral("05"), QStringLiteral("5"));
            break;
        case Fault::LineDropped:
            haltezeit->setValue(QStringLiteral("30"));
            haltezeit->setActive(true);
            // Base menu (three keys), then down to Haltezeit: the line goes
            // while the robot walks.
            device.clearRecords();
            device.setDropAfterKeys(6);
            break;
        }
        const QString treeBefore = TreeText::canonical(TreeText::menuTreeOf(profile.document()));

        QSignalSpy errors(&harness.bot(), &LumBot::transmissionError);
        LumBot &bot = harness.bot();
        bot.startUpload();
        QVERIFY2(harness.waitUntilIdle(RobotHarness::readOutTimeoutMs()),
                 "the transfer did not end");

        QCOMPARE(errors.count(), 1);
        QCOMPARE(bot.lastErrorString(), expectedError);
        QCOMPARE(bot.mode(), int(LumBot::Idle));
        QVERIFY(!bot.isEnabled());
        // A failed transfer is not an abort: the identification stays.
        QCOMPARE(bot.deviceIdentifier(), m_smallMenu.identifier);
        QCOMPARE(TreeText::canonical(TreeText::menuTreeOf(profile.document())), treeBefore);
        // The marked setting after the failing one was not written.
        QCOMPARE(device.value({ QStringLiteral("Sprache") }), QStringLiteral("Deutsch"));
        if (fault == Fault::LineDropped)
            QVERIFY(!harness.link().terminalIsReady());
        if (fault == Fault::ValueAltered)
            QCOMPARE(device.value({ QStringLiteral("Anlage"), QStringLiteral("Tiefer"),
                                    QStringLiteral("Haltezeit") }),
                     QStringLiteral("5"));
    }

private:
    RobotHarness m_harness;
    SimMenu m_menu;
    SimMenu m_smallMenu;
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestLumBotScenariosTransfer)
#include "tst_lumbot_scenarios_transfer.moc"
