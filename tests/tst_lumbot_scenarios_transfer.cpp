// Writing a read-out back into a simulated device, as "<< Konfiguration
// übertragen <<" does: every value type of the demo device, checked in the
// device's own menu state, and every way a transfer can fail, each brought
// about by its real situation (a configuration that does not fit the device,
// a device that alters a value, a line that is lost). After a failure the
// robot is idle, the device stays identified and the profile is as it was.

#include <QSignalSpy>
#include <QtTest>

#include "generatedscenario.h"
#include "readoutoracle.h"
#include "robotharness.h"
#include "simmenu.h"
#include "treetext.h"

class TestLumBotScenariosTransfer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false")); }

    void transfer_writesEveryValueTypeIntoTheDevice()
    {
        RobotHarness harness;
        QString error;
        QVERIFY2(harness.startWithMenuFile(QStringLiteral(LUM_DEMO_MENU), &error),
                 qPrintable(error));
        QVERIFY(harness.loadReadOut());
        // In menu order, so that the walk climbs one and two levels between
        // settings, changes section, and ends on the configuration menu's
        // level. Path (a name may hold a slash) | value type | new value (none for clock and date);
        // a new option is never the one shown first.
        const QStringList plan{
            "Einstellungen > Notruf > Sprachansage > Ansagetext|selection|Individuell",
            "Einstellungen > Rufnummern > Rufnummer 3|inputnum|0401112233",
            "Einstellungen > Timer > Timerzeit Stoerung|inputtime_hhmm|01:15",
            "Einstellungen > Uhrzeit|inputsystemtime|",
            "Einstellungen > Datum|inputsystemdate|",
            "Kommunikation > GPRS > Server-Port|inputnum|6001",
            "Ein-/Ausgänge > Relais > Relais 2|selection|Notruf aktiv",
            "Betriebsart|selection|Service",
        };
        QVector<GeneratedScenario::Mark> marks;
        for (const QString &line : plan) {
            const QStringList parts = line.split(QLatin1Char('|'));
            const QStringList path = parts.at(0).split(QStringLiteral(" > "));
            marks.append({ path, parts.at(1), parts.at(2) });
            ConfItem *item = harness.item(path);
            QVERIFY2(item, qPrintable(parts.at(0)));
            QCOMPARE(item->type(), parts.at(1));
            QVERIFY(parts.at(2).isEmpty()
                    || (item->value() != parts.at(2) && item->options().value(0) != parts.at(2)));
            if (!parts.at(2).isEmpty())
                item->setValue(parts.at(2));
            item->setActive(true);
        }
        // Ends with the device identified again from its base menu, and
        // changes nothing else on the way.
        const QString problem =
                GeneratedScenario::runTransfer(harness, marks, harness.device().menu().identifier);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    void transfer_failsWithTheSituationsText_data()
    {
        // What is marked, how the device or the file is made not to fit.
        QTest::addColumn<QString>("setting"); // path below "Anlage"
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("situation");
        QTest::addColumn<QString>("expectedError");

        const QString failed = "Fehler beim Übertragen von: ";
        const QString notFound = "konnte auf dem Gerät leider nicht gefunden werden!";
        // clang-format off
        QTest::newRow("selection value the device does not offer") << "Modus" << "Automatik" << "" << failed + "Anlage/Modus\nWert \"Automatik\" " + notFound;
        QTest::newRow("device no longer offers the stored option") << "Modus" << "Hand" << "hide" << failed + "Anlage/Modus\nWert \"Hand\" " + notFound;
        QTest::newRow("setting the device does not have") << "Tiefer/Haltezeit" << "10" << "rename setting" << failed + "Anlage/Tiefer/Nachlaufzeit\nMenüpunkt " + notFound;
        QTest::newRow("section the device does not have") << "Tiefer/Haltezeit" << "10" << "rename section" << failed + "Service/Tiefer/Haltezeit\nMenüpunkt " + notFound;
        QTest::newRow("device shows '5' for '05'") << "Tiefer/Haltezeit" << "05" << "5" << failed + "Anlage/Tiefer/Haltezeit\nÜbernommener Wert: 5\nErwarteter Wert: 05";
        QTest::newRow("device shows '051' for '05'") << "Tiefer/Haltezeit" << "05" << "051" << failed + "Anlage/Tiefer/Haltezeit\nÜbernommener Wert: 051\nErwarteter Wert: 05";
        QTest::newRow("line dropped during the transfer") << "Tiefer/Haltezeit" << "30" << "drop" << "Fehler beim Übertragen!\nVerbindung zum Gerät wurde getrennt!";
        // clang-format on
    }

    void transfer_failsWithTheSituationsText()
    {
        QFETCH(QString, setting);
        QFETCH(QString, value);
        QFETCH(QString, situation);
        QFETCH(QString, expectedError);

        RobotHarness harness;
        QString error;
        QVERIFY2(harness.startWithMenuText(ReadOutOracle::scenarioMenuText(), &error),
                 qPrintable(error));
        DeviceProfile &profile = harness.profile();
        QVERIFY(harness.loadReadOut());
        const QStringList path = QStringList{ "Anlage" } + setting.split(QLatin1Char('/'));
        ConfItem *item = harness.item(path);
        ConfItem *sprache = harness.item({ QStringLiteral("Sprache") });
        QVERIFY(item && sprache);
        // Every fault sits before a further marked setting, which must then not
        // be written.
        sprache->setValue(QStringLiteral("English"));
        sprache->setActive(true);
        item->setValue(value);
        item->setActive(true);

        DeviceSimulator &device = harness.device();
        const bool altered = !situation.isEmpty() && situation.at(0).isDigit();
        if (situation == QLatin1String("hide"))
            device.hideOption(path, value);
        else if (situation == QLatin1String("rename setting"))
            item->element().setAttribute(QStringLiteral("text"), QStringLiteral("Nachlaufzeit"));
        else if (situation == QLatin1String("rename section"))
            item->element().parentNode().parentNode().toElement().setAttribute(
                    QStringLiteral("text"), QStringLiteral("Service"));
        else if (situation == QLatin1String("drop")) {
            // Base menu (three keys), then down to Haltezeit: the line goes
            // while the robot walks.
            device.clearRecords();
            device.setDropAfterKeys(6);
        } else if (altered)
            device.setValueAlteration(path, value, situation);
        const QString treeBefore = TreeText::canonical(TreeText::menuTreeOf(profile.document()));

        QSignalSpy errors(&harness.bot(), &LumBot::transmissionError);
        LumBot &bot = harness.bot();
        bot.startUpload();
        QVERIFY2(harness.waitUntilIdle(RobotHarness::readOutTimeoutMs()),
                 "the transfer did not end");

        QCOMPARE(bot.lastErrorString(), expectedError);
        QCOMPARE(errors.count(), 1);
        QVERIFY(!bot.isEnabled());
        // A failed transfer is not an abort: the identification stays.
        QCOMPARE(bot.deviceIdentifier(), QStringLiteral("TST-R V1.0"));
        QCOMPARE(TreeText::canonical(TreeText::menuTreeOf(profile.document())), treeBefore);
        // The marked setting after the failing one was not written.
        QCOMPARE(device.value({ QStringLiteral("Sprache") }), QStringLiteral("Deutsch"));
        QCOMPARE(harness.link().terminalIsReady(), situation != QLatin1String("drop"));
        if (altered)
            QCOMPARE(device.value(path), situation);
    }
};

QTEST_GUILESS_MAIN(TestLumBotScenariosTransfer)
#include "tst_lumbot_scenarios_transfer.moc"
