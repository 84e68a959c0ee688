// Read-outs as a technician's click on ">> Auslesen >>" runs them: robot,
// terminal link and simulated device over a pseudo-terminal. The demo
// device's tree is worked out from its menu file; a small menu of the
// device's odd screens and awkward names has its read-out written out here
// by hand, which checks the robot and, as much, the expected tree the other
// scenarios take from the menu. Then every way a read-out (and the
// base-menu search before any job) can end, each brought about by the
// device situation that causes it, with the state the robot must be left in:
// idle, the partial read-out discarded, the device no longer identified.

#include <QMutex>
#include <QRegularExpression>
#include <QThread>
#include <QtTest>

#include "generatedscenario.h"
#include "readoutoracle.h"
#include "robotharness.h"
#include "robotjob.h"
#include "simmenu.h"
#include "treetext.h"

namespace {

const QString kOddMenu = QStringLiteral(R"(device SPEZ-1 V0.9
section Notruf
    selection Notruf = Ein
        options: Aus | Ein
    section Optionen
        selection Uhrzeit Sommer = Ja
            options: Nein | Ja | Auto
        time Timerzeit 2 = 07:45
        clock Uhrzeit = 10:00
        date Datum = 02.03.26
        info Status / Bereit
    section Reset-Optionen
        blocked: setzt die Optionen zurück
        info Werk / laden
    input SIM-Entsperren
        line1: SIM-Entsperren?
section Optionen
    readonly ALARM 1 LSP = VERWENDET LSP1
        line1: ALARM 1:
    readonly ALARM 1 MIC = VERWENDET MIC1
        line1: ALARM 1:
    readonly ALARM 2 = AUS
    input Rufnummer
info Status / Bereit
    reads: Status
)");

// Worked out by hand from the screens the device shows for kOddMenu. A
// setting of its section's own name ends the search for the way back after
// leaving it. Deeper sections are named by their question on the second
// line. "Uhrzeit Sommer" is opened like any selection, its options begin
// with the current value; only "Uhrzeit" itself is the clock. Deeper, an
// info screen is named by both lines. "SIM-Entsperren?" is read as a setting
// despite its question mark; its empty value shows as "<KEIN EINTRAG!>".
// The alarm lines are told apart by their channel. On the configuration
// menu's level only the first line names an info screen. The base menu's
// exit follows the last entry and is never entered.
const QString kExpectedTree = QStringLiteral(R"(menuTree
  section text="Notruf"
    setting active="0" text="Notruf" value="Ein" valuetype="selection"
      option text="Ein"
      option text="Aus"
    section text="Optionen"
      setting active="0" text="Uhrzeit Sommer" value="Ja" valuetype="selection"
        option text="Ja"
        option text="Auto"
        option text="Nein"
      setting active="0" text="Timerzeit 2" value="07:45" valuetype="inputtime_hhmm"
      setting active="0" text="Uhrzeit" value="10:00" valuetype="inputsystemtime"
      setting active="0" text="Datum" value="02.03.26" valuetype="inputsystemdate"
      info text="Status Bereit" value="Bereit"
    section sectiontype="blocked" text="Reset-Optionen"
    setting active="0" text="SIM-Entsperren" value="" valuetype="inputnum"
  section text="Optionen"
    setting active="0" text="ALARM 1 LSP" value="VERWENDET LSP1" valuetype="readonly"
    setting active="0" text="ALARM 1 MIC" value="VERWENDET MIC1" valuetype="readonly"
    setting active="0" text="ALARM 2" value="AUS" valuetype="readonly"
    setting active="0" text="Rufnummer" value="" valuetype="inputnum"
  info text="Status" value="Bereit"
  section sectiontype="blocked" text="Programmierung")");

// Sections nested `depth` deep, with an info screen in the innermost.
QString nestedMenu(int depth)
{
    QString text = QStringLiteral("device TIEF-1\n");
    for (int level = 0; level < depth; ++level)
        text += QString(level * 4, QLatin1Char(' '))
                + QStringLiteral("section Ebene %1\n").arg(level + 1);
    return text + QString(depth * 4, QLatin1Char(' ')) + QStringLiteral("info Ende / erreicht\n");
}

const QString kReadError = QStringLiteral("Fehler beim Auslesen!\n");

} // namespace

class TestLumBotScenariosReadOut : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Every byte and screen is logged; a failure's own message says enough.
        QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
        QString error;
        QVERIFY2(m_harness.startWithMenuFile(QStringLiteral(LUM_DEMO_MENU), &error),
                 qPrintable(error));
        QVERIFY2(m_odd.startWithMenuText(kOddMenu, &error), qPrintable(error));
    }

    // Entries as the technician counts them: sections, settings and
    // information lines, the options being part of their setting. The item
    // list holds one item per entry, rebuilt once at the end.
    void readOut_buildsTreeTheMenuCallsFor()
    {
        const ReadOutOracle::Expectation expected =
                ReadOutOracle::expect(m_harness.device().menu());
        QSignalSpy errors(&m_harness.bot(), &LumBot::transmissionError);
        m_harness.bot().startDownload();
        // The reset at the start announces the emptied list; only the end counts.
        QSignalSpy itemListChanges(&m_harness.profile(), &DeviceProfile::confItemListChanged);
        QVERIFY2(m_harness.waitUntilIdle(RobotHarness::readOutTimeoutMs(expected.screens)),
                 "the read-out of the demo menu did not end");
        QVERIFY2(errors.isEmpty(), qPrintable(m_harness.bot().lastErrorString()));
        const QString tree = TreeText::ofDocument(expected.document);
        const QString difference =
                TreeText::diffTrees(tree, TreeText::ofDocument(m_harness.profile().document()));
        QVERIFY2(difference.isEmpty(), qPrintable(QLatin1Char('\n') + difference));

        const int entries = tree.count(QLatin1Char('\n')) - tree.count(QStringLiteral(" option "));
        QCOMPARE(itemListChanges.count(), 1);
        QCOMPARE(m_harness.profile().items().size(), entries);
        QCOMPARE(m_harness.bot().itemsDone(), entries);
        QVERIFY2(QRegularExpression(
                         QStringLiteral("^%1 Einträge gelesen \\(\\d\\d:\\d\\d\\)$").arg(entries))
                         .match(m_harness.bot().jobOutcome())
                         .hasMatch(),
                 qPrintable(m_harness.bot().jobOutcome()));
        QCOMPARE(m_harness.bot().itemsTotal(), 0);
        // The window's label under the abort button still says how far it got.
        QCOMPARE(m_harness.bot().progressText(), QStringLiteral("%1 Einträge gelesen").arg(entries));
        QCOMPARE(m_harness.bot().deviceIdentifier(), m_harness.device().menu().identifier);
        QCOMPARE(m_harness.bot().deviceWarning(),
                 QStringLiteral("Hinweis: Bitte zum Abschluss \"Programmierung beenden\" wählen "
                                "und den Jumper zurücksetzen!"));
        QVERIFY(!m_harness.bot().isEnabled());
    }

    void readOut_buildsTheHandWrittenTree()
    {
        const QString oracleTree =
                TreeText::ofDocument(ReadOutOracle::expect(m_odd.device().menu()).document);
        QString difference = TreeText::diffTrees(kExpectedTree, oracleTree);
        QVERIFY2(difference.isEmpty(), qPrintable("oracle:\n" + difference));

        QSignalSpy errors(&m_odd.bot(), &LumBot::transmissionError);
        m_odd.bot().startDownload();
        QVERIFY2(m_odd.waitUntilIdle(RobotHarness::readOutTimeoutMs()), "the read-out did not end");
        QVERIFY2(errors.isEmpty(), qPrintable(m_odd.bot().lastErrorString()));
        difference = TreeText::diffTrees(kExpectedTree,
                                         TreeText::ofDocument(m_odd.profile().document()));
        QVERIFY2(difference.isEmpty(), qPrintable("robot:\n" + difference));
        QCOMPARE(m_odd.bot().deviceIdentifier(), QStringLiteral("SPEZ-1 V0.9"));
    }

    // Sections and settings of one name on the way: the transfer ends with a
    // new identification, the device back on it, nothing else changed.
    void transfer_findsSettingsAlongRepeatedNames()
    {
        const QVector<GeneratedScenario::Mark> marks{
            { { "Notruf", "Notruf" }, "selection", "Aus" },
            { { "Notruf", "Optionen", "Uhrzeit Sommer" }, "selection", "Nein" },
            { { "Optionen", "Rufnummer" }, "inputnum", "0511" }
        };
        const QString problem = GeneratedScenario::runTransfer(m_odd, marks, "SPEZ-1 V0.9");
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    // Every way a job ends on a device that does not behave, and the 19
    // nested sections that may still be walked. The port and the reconnect
    // after a lost line are among the faults of the line
    // (tst_reliability_faults).
    void job_endsAsTheDeviceCallsFor_data()
    {
        QTest::addColumn<int>("job");
        QTest::addColumn<QString>("menuText");
        QTest::addColumn<QString>("situation");
        QTest::addColumn<QString>("expectedError");
        // The outcome line, a pattern: what ended and where the device was left.
        QTest::addColumn<QString>("outcome");
        const int read = LumBot::DownloadInit;
        const QString readFailed = "^Auslesen fehlgeschlagen\\. ";
        const QString atBase = "Gerät im Basismenü\\.$";
        const QString maybeElsewhere =
                "Gerät steht möglicherweise nicht im Basismenü, bitte am Gerät prüfen\\.$";
        const QString baseMenu =
                "Fehler bei Initialisierung!\nBasismenü kann nicht gefunden werden!";
        // clang-format off
        QTest::newRow("empty screen on the configuration menu's level") << read << "device TST-8\nsection Anlage\n    input Rufnummer = 12\ninfo\nselection Sprache = Deutsch\n    options: Deutsch | English\n" << "" << kReadError + "Keine Verbindung zum Gerät!" << readFailed + atBase;
        QTest::newRow("device falls silent inside a section: a name seen a fourth time") << read << ReadOutOracle::scenarioMenuText() << "silent" << kReadError + "Verbindung zum Gerät wurde getrennt oder Menüstruktur ist inkonsistent!" << readFailed + maybeElsewhere;
        QTest::newRow("line dropped during the walk") << read << ReadOutOracle::scenarioMenuText() << "drop" << kReadError + "Verbindung zum Gerät wurde getrennt!" << readFailed + "Verbindung getrennt, Gerät steht möglicherweise nicht im Basismenü\\.$";
        QTest::newRow("21 nested sections") << read << nestedMenu(21) << "" << kReadError + "Mehr als 20 Untermenü-Ebenen gefunden oder Menüstruktur ist inkonsistent!" << readFailed + maybeElsewhere;
        // On level 19, the deepest one that may be walked.
        QTest::newRow("19 nested sections are walked completely") << read << nestedMenu(19) << "" << "" << "^\\d+ Einträge gelesen \\(\\d\\d:\\d\\d\\)$";
        // The base menu never settles: one ESC from the start and ten more from
        // the search, nothing else. Only the read-out empties the profile.
        QTest::newRow("base menu never settling: identification ends silently") << int(LumBot::Init) << ReadOutOracle::scenarioMenuText() << "restless" << "" << "^$";
        QTest::newRow("base menu never settling: read-out reports and empties the profile") << read << ReadOutOracle::scenarioMenuText() << "restless" << baseMenu << readFailed + maybeElsewhere;
        QTest::newRow("base menu never settling: transfer reports and keeps the profile") << int(LumBot::UploadInit) << ReadOutOracle::scenarioMenuText() << "restless" << baseMenu << "^Übertragung fehlgeschlagen\\. " + maybeElsewhere;
        // clang-format on
    }

    void job_endsAsTheDeviceCallsFor()
    {
        QFETCH(int, job);
        QFETCH(QString, menuText);
        QFETCH(QString, situation);
        QFETCH(QString, expectedError);
        QFETCH(QString, outcome);

        RobotHarness harness;
        QString error;
        QVERIFY2(harness.startWithMenuText(menuText, &error), qPrintable(error));
        DeviceSimulator &device = harness.device();
        LumBot &bot = harness.bot();
        const QString expectedTree =
                TreeText::ofDocument(ReadOutOracle::expect(device.menu()).document);
        QVERIFY(job == LumBot::DownloadInit || harness.loadReadOut());
        harness.device().setRestlessBaseMenu(situation == QLatin1String("restless"));
        int okKeys = 0;
        // Once the robot has entered the first section (the second OK, after
        // the one on "konfigurieren?"), the device answers one more key and
        // then no more: the same screen keeps coming back.
        connect(&device, &DeviceSimulator::keyReceived, &device, [&](char key) {
            if (situation == QLatin1String("silent") && key == 13 && ++okKeys == 2)
                device.setSilentAfterKeys(device.keyCount() + 1);
        });
        if (situation == QLatin1String("drop"))
            device.setDropAfterKeys(6); // inside the first section
        QSignalSpy errors(&bot, &LumBot::transmissionError);
        job == LumBot::Init                   ? bot.startInit()
                : job == LumBot::DownloadInit ? bot.startDownload()
                                              : bot.startUpload();
        QVERIFY2(harness.waitUntilIdle(RobotHarness::readOutTimeoutMs(400)), "the job did not end");

        // A lost line adds the link's reason on a line of its own.
        QCOMPARE(bot.lastErrorString().section(QLatin1Char('\n'), 0, 1), expectedError);
        QCOMPARE(errors.count(), expectedError.isEmpty() ? 0 : 1);
        QVERIFY(!bot.isEnabled());
        QVERIFY2(QRegularExpression(outcome).match(bot.jobOutcome()).hasMatch(),
                 qPrintable(bot.jobOutcome()));
        if (outcome.endsWith(QLatin1String("Basismenü\\.$")))
            QVERIFY(harness.deviceAtBaseMenu());
        QCOMPARE(bot.deviceIdentifier().isEmpty(),
                 !expectedError.isEmpty() || !situation.isEmpty());
        QCOMPARE(bot.deviceWarning().isEmpty(), bot.deviceIdentifier().isEmpty());
        if (situation == QLatin1String("restless"))
            QCOMPARE(device.receivedKeys(), QByteArray(11, char(27)));
        if (job != LumBot::DownloadInit || expectedError.isEmpty()) {
            const QString difference = TreeText::diffTrees(
                    expectedTree, TreeText::ofDocument(harness.profile().document()));
            QVERIFY2(difference.isEmpty(), qPrintable(QLatin1Char('\n') + difference));
            return;
        }
        // Nothing of a partial read-out remains: the empty tree and the hint.
        QCOMPARE(TreeText::ofDocument(harness.profile().document()), QStringLiteral("menuTree"));
        QCOMPARE(harness.profile().items().size(), 1);
        QCOMPARE(harness.profile().items().first()->type(), QStringLiteral("info"));
        QCOMPARE(harness.profile().items().first()->menuPath(),
                 QStringList{ QStringLiteral("Bitte Konfiguration öffnen oder auslesen...") });
    }

    // Stopped at any moment (the technician's "Abbrechen", lumctl's
    // time-out), a job closes what it opened with ESC and climbs back to the
    // base menu: the robot stays busy until the device shows its base menu,
    // then says so; no field is left open, no OK follows the abort, and a
    // read-out changes no value.
    // (Read-outs and transfers apart, so that CTest runs them at the same time.)
    void abortedReadOut_leavesDeviceAtBaseMenu_data()
    {
        QTest::addColumn<int>("screens");
        for (int n : { 1, 2, 3, 5, 7, 9, 12, 15, 19, 24, 28, 31, 34 })
            QTest::addRow("read-out, after screen %d", n) << n;
    }

    void abortedReadOut_leavesDeviceAtBaseMenu()
    {
        QFETCH(int, screens);
        abortedJob_leavesDeviceAtBaseMenu(false, screens);
    }

    void abortedTransfer_leavesDeviceAtBaseMenu_data()
    {
        QTest::addColumn<int>("screens");
        for (int n : { 4, 6, 8, 10, 13, 16, 17, 19 })
            QTest::addRow("transfer, after screen %d", n) << n;
    }

    void abortedTransfer_leavesDeviceAtBaseMenu()
    {
        QFETCH(int, screens);
        abortedJob_leavesDeviceAtBaseMenu(true, screens);
    }

private:
    void abortedJob_leavesDeviceAtBaseMenu(bool transfer, int screens)
    {
        RobotHarness harness;
        QString error;
        QVERIFY2(harness.startWithMenuText(ReadOutOracle::scenarioMenuText(), &error),
                 qPrintable(error));
        DeviceSimulator &device = harness.device();
        LumBot &bot = harness.bot();
        // Marked: a selection and a number two levels down, a selection on top.
        const QVector<QPair<QStringList, QString>> marks{
            { { "Anlage", "Tiefer", "Relais" }, "Aus" },
            { { "Anlage", "Tiefer", "Haltezeit" }, "42" },
            { { "Sprache" }, "English" },
        };
        if (transfer) {
            QVERIFY(harness.loadReadOut());
            for (const auto &mark : marks) {
                ConfItem *item = harness.item(mark.first);
                QVERIFY(item);
                item->setValue(mark.second);
                item->setActive(true);
            }
        }
        const QString before = harness.deviceState();
        QStringList valuesBefore;
        for (const auto &mark : marks)
            valuesBefore.append(device.value(mark.first));

        int completed = 0;
        bool aborted = false;
        QByteArray keysAfterAbort;
        int enabledChanges = 0;
        bool idleAtBaseMenu = false;
        connect(&harness.link(), &KelHandler::displayCompleted, &bot, [&] {
            if (++completed == screens) {
                aborted = true;
                bot.abort();
            }
        });
        // Given the link again, the robot hears of each screen after the
        // counter: the abort comes when the screen is complete, before the
        // robot answers it, so every key after it is the robot's climb.
        bot.setKelHandler(&harness.link());
        connect(&device, &DeviceSimulator::keyReceived, &device, [&](char key) {
            if (aborted)
                keysAfterAbort.append(key);
        });
        connect(&bot, &LumBot::enabledChanged, &bot, [&] {
            if (!aborted)
                return;
            ++enabledChanges;
            if (!bot.isEnabled())
                idleAtBaseMenu = harness.deviceAtBaseMenu();
        });
        transfer ? bot.startUpload() : bot.startDownload();
        QVERIFY2(harness.waitUntilIdle(RobotHarness::readOutTimeoutMs(400)), "the job did not end");

        QVERIFY2(aborted, "the job ended before the abort");
        // Busy throughout the climb, idle once at the base menu.
        QCOMPARE(enabledChanges, 1);
        QVERIFY2(idleAtBaseMenu, qPrintable(device.screen().join(QLatin1String(" | "))));
        QVERIFY(harness.deviceAtBaseMenu());
        QVERIFY2(!keysAfterAbort.isEmpty() && keysAfterAbort.count('\x1b') == keysAfterAbort.size(),
                 keysAfterAbort.toHex().constData());
        QCOMPARE(bot.lastErrorString(), QString());
        QCOMPARE(bot.jobOutcome(),
                 transfer ? QStringLiteral("Übertragung abgebrochen. Gerät im Basismenü.")
                          : QStringLiteral("Auslesen abgebrochen. Gerät im Basismenü."));
        QVERIFY(bot.deviceIdentifier().isEmpty());
        if (!transfer) {
            QCOMPARE(harness.deviceState(), before);
            QCOMPARE(TreeText::ofDocument(harness.profile().document()), QStringLiteral("menuTree"));
            return;
        }
        // A transfer stopped midway has written some marked settings, not
        // the others, and no value half-way.
        for (int i = 0; i < marks.size(); ++i) {
            const QString value = device.value(marks.at(i).first);
            QVERIFY2(value == marks.at(i).second || value == valuesBefore.at(i),
                     qPrintable(marks.at(i).first.join('/') + ": " + value));
        }
    }

private slots:
    // Read-outs and transfers of generated device menus. A robot that is
    // right on the demo menu but wrong in general shows itself here: every
    // menu is compared with the tree its menu file describes, then a few
    // settings are written and checked in the device. Each seed runs its own
    // simulator, link and robot in a thread of its own, so the seeds wait on
    // their devices at the same time.
    // lumctl's read with a time-out shorter than the read-out: the job gives
    // up, waits until the robot has climbed back, and says so.
    void timedOutReadOut_endsAtBaseMenu()
    {
        RobotHarness harness;
        QString error;
        QVERIFY2(harness.startWithMenuFile(QStringLiteral(LUM_DEMO_MENU), &error),
                 qPrintable(error));
        harness.device().setAnswerDelay(40);
        const QString before = harness.deviceState();
        DeviceProfile profile;
        RobotJob job(RobotJob::ReadOut, &harness.link(), &profile);
        job.setTimeoutSeconds(1);
        QVERIFY(!job.run());
        QVERIFY(job.timedOut());
        QVERIFY(!job.bot()->isEnabled());
        QVERIFY2(harness.deviceAtBaseMenu(), qPrintable(harness.device().screen().join(" | ")));
        QCOMPARE(harness.deviceState(), before);
        QCOMPARE(job.errorText(),
                 QStringLiteral("Zeitüberschreitung: Das Gerät hat den Auftrag nicht innerhalb von "
                                "1 s beendet.\nAuslesen abgebrochen. Gerät im Basismenü."));
    }

    void generatedMenus_readOutAndTakeMarkedValues()
    {
        QMutex mutex;
        QStringList problems;
        QVector<QThread *> threads;
        for (quint32 seed = 1; seed <= 20; ++seed) {
            threads.append(QThread::create([&problems, &mutex, seed] {
                const QString problem = GeneratedScenario::run(seed);
                QMutexLocker lock(&mutex);
                if (!problem.isEmpty())
                    problems.append(QStringLiteral("seed %1: %2").arg(seed).arg(problem));
            }));
            threads.last()->start();
        }
        for (QThread *thread : threads) {
            thread->wait();
            delete thread;
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
    }

private:
    RobotHarness m_harness;
    RobotHarness m_odd;
};

QTEST_GUILESS_MAIN(TestLumBotScenariosReadOut)
#include "tst_lumbot_scenarios_readout.moc"
