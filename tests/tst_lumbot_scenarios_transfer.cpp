// Writing a read-out back into a simulated device, as "<< Konfiguration
// übertragen <<" does: every value type of the demo device, checked in the
// device's own menu state, and every way a transfer can fail, each brought
// about by its real situation (a configuration that does not fit the device,
// a device that alters a value, a line that is lost). After a failure the
// robot is idle, the device stays identified and the profile is as it was.
// Then an abort while the device has a setting open, and the lines that tell
// the technician how a job ended.

#include <QRegularExpression>
#include <QtTest>

#include "generatedscenario.h"
#include "readoutoracle.h"
#include "robotharness.h"
#include "simmenu.h"
#include "treetext.h"

namespace {

// A device with a setting of every kind the robot keys in.
const QString kAbortMenu = QStringLiteral(R"(device ORV-TEST V1.00
section Einstellungen
    selection Lautstärke LSP = 5
        options: 1 | 2 | 3 | 4 | 5 | 6 | 7 | 8
    input Rufversuche = 5
    time Timerzeit Testalarm = 08:00
    clock Uhrzeit = 12:00
    date Datum = 01.01.26
)");

const int jobTimeoutMs = RobotHarness::readOutTimeoutMs(200);

} // namespace

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
        // level. Clock and date take the PC's; a new option is never the one
        // shown first.
        // clang-format off
        const QVector<GeneratedScenario::Mark> marks{
            { { "Einstellungen", "Notruf", "Sprachansage", "Ansagetext" }, "selection", "Individuell" },
            { { "Einstellungen", "Rufnummern", "Rufnummer 3" }, "inputnum", "0401112233" },
            { { "Einstellungen", "Timer", "Timerzeit Stoerung" }, "inputtime_hhmm", "01:15" },
            { { "Einstellungen", "Uhrzeit" }, "inputsystemtime", "" },
            { { "Einstellungen", "Datum" }, "inputsystemdate", "" },
            { { "Kommunikation", "GPRS", "Server-Port" }, "inputnum", "6001" },
            { { "Ein-/Ausgänge", "Relais", "Relais 2" }, "selection", "Notruf aktiv" },
            { { "Betriebsart" }, "selection", "Service" },
        };
        // clang-format on
        for (const GeneratedScenario::Mark &mark : marks) {
            const ConfItem *item = harness.item(mark.path);
            QVERIFY2(item && item->type() == mark.valueType, qPrintable(mark.path.join('/')));
            QVERIFY(mark.newValue.isEmpty()
                    || (item->value() != mark.newValue
                        && item->options().value(0) != mark.newValue));
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
        const QString treeBefore = TreeText::ofDocument(profile.document());

        QSignalSpy errors(&harness.bot(), &LumBot::transmissionError);
        LumBot &bot = harness.bot();
        // After the message the robot stays busy until it has climbed back to
        // the base menu (over a line that still works).
        bool enabledAtError = false;
        bool idleAtBaseMenu = false;
        connect(&bot, &LumBot::transmissionError, &bot, [&] { enabledAtError = bot.isEnabled(); });
        connect(&bot, &LumBot::enabledChanged, &bot, [&] {
            if (!bot.isEnabled())
                idleAtBaseMenu = harness.deviceAtBaseMenu();
        });
        const QString deviceBefore = harness.deviceState();
        bot.startUpload();
        QVERIFY2(harness.waitUntilIdle(RobotHarness::readOutTimeoutMs()),
                 "the transfer did not end");

        // A lost line adds the link's reason on a line of its own.
        if (situation == QLatin1String("drop"))
            QVERIFY2(bot.lastErrorString().startsWith(expectedError + QLatin1Char('\n')),
                     qPrintable(bot.lastErrorString()));
        else
            QCOMPARE(bot.lastErrorString(), expectedError);
        QCOMPARE(errors.count(), 1);
        QVERIFY(!bot.isEnabled());
        // A failed transfer is not an abort: the identification stays.
        QCOMPARE(bot.deviceIdentifier(), QStringLiteral("TST-R V1.0"));
        QCOMPARE(TreeText::ofDocument(profile.document()), treeBefore);
        // The marked setting after the failing one was not written.
        QCOMPARE(device.value({ QStringLiteral("Sprache") }), QStringLiteral("Deutsch"));
        const bool lost = situation == QLatin1String("drop");
        QCOMPARE(harness.link().terminalIsReady(), !lost);
        QVERIFY(enabledAtError);
        QCOMPARE(bot.jobOutcome(),
                 lost ? QStringLiteral("Übertragung fehlgeschlagen. Verbindung getrennt, Gerät "
                                       "steht möglicherweise nicht im Basismenü.")
                      : QStringLiteral("Übertragung fehlgeschlagen. Gerät im Basismenü."));
        QCOMPARE(idleAtBaseMenu, !lost);
        QCOMPARE(harness.deviceAtBaseMenu(), !lost);
        if (altered)
            QCOMPARE(device.value(path), situation);
        else
            QCOMPARE(harness.deviceState(), deviceBefore);
    }

    // The abort comes at the moment the device has the setting open: either
    // when the OK that opens it arrives (so the robot has just sent it), or when
    // the robot steps on from an option that is not the stored one. The stored
    // value stays, no field is left open, and no OK follows the abort.
    void abortClosesTheOpenSettingWithoutStoringIt_data()
    {
        QTest::addColumn<bool>("transfer");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("wanted"); // transfer only
        // Abort on a '+' past another option, else on the opening OK.
        QTest::addColumn<bool>("stepped");
        // clang-format off
        QTest::newRow("read-out, selection showing another option") << false << "Lautstärke LSP" << "" << true;
        QTest::newRow("read-out, number field just opened") << false << "Rufversuche" << "" << false;
        QTest::newRow("transfer, selection stepping to the wanted option") << true << "Lautstärke LSP" << "8" << true;
        QTest::newRow("transfer, number field just opened") << true << "Rufversuche" << "7" << false;
        QTest::newRow("transfer, time field just opened") << true << "Timerzeit Testalarm" << "09:15" << false;
        QTest::newRow("transfer, clock just opened") << true << "Uhrzeit" << "12:00" << false;
        QTest::newRow("transfer, date just opened") << true << "Datum" << "01.01.26" << false;
        // clang-format on
    }

    void abortClosesTheOpenSettingWithoutStoringIt()
    {
        QFETCH(bool, transfer);
        QFETCH(QString, name);
        QFETCH(QString, wanted);
        QFETCH(bool, stepped);

        RobotHarness harness;
        QString error;
        QVERIFY2(harness.startWithMenuText(kAbortMenu, &error) && harness.loadReadOut(),
                 qPrintable(error));
        DeviceSimulator &device = harness.device();
        LumBot &bot = harness.bot();
        const QStringList path{ "Einstellungen", name };
        const QString stored = device.value(path);
        QVERIFY(!stored.isNull());
        if (transfer)
            QVERIFY(mark(harness, name, wanted));

        // OK reaches the device as carriage return, ESC as escape.
        bool aborted = false;
        QByteArray keysAfterAbort; // the keys that reach the device after the abort
        connect(&device, &DeviceSimulator::keyReceived, &device, [&](char key) {
            if (aborted) {
                keysAfterAbort.append(key);
                return;
            }
            // Called before the device handles the key.
            const bool atSetting = device.currentPath() == path;
            const bool open = device.cursorOnSecondRow();
            const bool trigger = stepped ? key == '+' && atSetting && open
                            && device.screen().value(1).trimmed() != stored
                                         : key == '\r' && atSetting && !open;
            if (trigger) {
                aborted = true;
                bot.abort();
            }
        });

        transfer ? bot.startUpload() : bot.startDownload();
        QSignalSpy keys(&device, &DeviceSimulator::keyReceived);
        while (!aborted)
            QVERIFY2(keys.wait(jobTimeoutMs), "the setting was never open");
        // Busy until the device is back at its base menu.
        QVERIFY(bot.isEnabled());
        bool idleAtBaseMenu = false;
        connect(&bot, &LumBot::enabledChanged, &bot, [&] {
            if (!bot.isEnabled())
                idleAtBaseMenu = harness.deviceAtBaseMenu();
        });
        QVERIFY(harness.waitUntilIdle(jobTimeoutMs));
        QVERIFY(idleAtBaseMenu);
        QVERIFY(harness.deviceAtBaseMenu());
        QVERIFY2(keysAfterAbort.startsWith('\x1b'), keysAfterAbort.toHex().constData());
        QVERIFY2(!keysAfterAbort.contains('\r'), keysAfterAbort.toHex().constData());
        QVERIFY2(!device.cursorOnSecondRow(), qPrintable(device.screen().join(" | ")));
        QCOMPARE(device.value(path), stored);
        QCOMPARE(bot.jobOutcome(),
                 transfer ? QStringLiteral("Übertragung abgebrochen. Gerät im Basismenü.")
                          : QStringLiteral("Auslesen abgebrochen. Gerät im Basismenü."));
    }

    void finishedJobsSayWhatTheyDid()
    {
        RobotHarness harness;
        QString error;
        QVERIFY2(harness.startWithMenuText(kAbortMenu, &error) && harness.loadReadOut(),
                 qPrintable(error));
        LumBot &bot = harness.bot();
        const auto saysWithClock = [&](const QString &text) {
            return QRegularExpression(QLatin1Char('^') + text
                                      + QStringLiteral(" \\(\\d\\d:\\d\\d\\)$"))
                    .match(bot.jobOutcome())
                    .hasMatch();
        };
        // An identification that finds no device says so, the next one empties it.
        harness.device().setSilentAfterKeys(0);
        bot.startInit();
        QVERIFY(harness.waitUntilIdle(jobTimeoutMs));
        QVERIFY(bot.deviceIdentifier().isEmpty());
        QCOMPARE(bot.identificationError(),
                 QStringLiteral("Kein Gerät erkannt: keine Antwort auf der Schnittstelle."));
        harness.device().setSilentAfterKeys(-1);
        harness.device().clearRecords();
        QSignalSpy errorChanged(&bot, &LumBot::identificationErrorChanged);
        bot.startInit();
        QCOMPARE(errorChanged.count(), 1);
        QVERIFY(harness.waitUntilIdle(jobTimeoutMs));
        QCOMPARE(bot.deviceIdentifier(), QStringLiteral("ORV-TEST V1.00"));
        QVERIFY(bot.identificationError().isEmpty());

        QVERIFY(mark(harness, QStringLiteral("Rufversuche"), QStringLiteral("3")));
        bot.startUpload();
        QVERIFY(harness.waitUntilIdle(jobTimeoutMs));
        QVERIFY2(saysWithClock(QStringLiteral("1 Einstellung übertragen")),
                 qPrintable(bot.jobOutcome() + bot.lastErrorString()));
        QCOMPARE(harness.device().value({ "Einstellungen", "Rufversuche" }), QStringLiteral("3"));

        // The next job empties the line at once.
        QSignalSpy outcome(&bot, &LumBot::jobOutcomeChanged);
        harness.profile().setAllMarked(false);
        bot.startUpload();
        QCOMPARE(outcome.count(), 1);
        QVERIFY(bot.jobOutcome().isEmpty());
        QVERIFY(harness.waitUntilIdle(jobTimeoutMs));
        QCOMPARE(bot.jobOutcome(), QStringLiteral("Keine Einstellung zur Übertragung markiert."));
    }

private:
    static bool mark(RobotHarness &harness, const QString &name, const QString &value)
    {
        ConfItem *item = harness.item({ QStringLiteral("Einstellungen"), name });
        if (item) {
            item->setValue(value);
            item->setActive(true);
        }
        return item;
    }
};

QTEST_GUILESS_MAIN(TestLumBotScenariosTransfer)
#include "tst_lumbot_scenarios_transfer.moc"
