// Read-outs as a technician's click on ">> Auslesen >>" runs them: robot,
// terminal link and simulated device over a pseudo-terminal. The demo
// device's tree is worked out from its menu file; a small menu of the
// device's odd screens and awkward names has its read-out written out here
// by hand, which checks the robot and, as much, the expected tree the other
// scenarios take from the menu. Then every way a read-out (and the
// base-menu search before any job) can end, each brought about by the
// device situation that causes it, with the state the robot must be left in:
// idle, the partial read-out discarded, the device no longer identified.

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "readoutoracle.h"
#include "robotharness.h"
#include "simmenu.h"
#include "treetext.h"

namespace {

QString treeOf(const QDomDocument &document)
{
    return TreeText::canonical(TreeText::menuTreeOf(document));
}

// The differences between the menu trees of two documents; empty when equal.
QString treeDiff(const QString &expected, const QDomDocument &actual)
{
    return TreeText::diff(expected.split(QLatin1Char('\n')),
                          treeOf(actual).split(QLatin1Char('\n')));
}

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
    readonly ALARM 1 = VERWENDET LSP1
    readonly ALARM 1 = VERWENDET MIC1
    readonly ALARM 2 = AUS
    input Rufnummer
info Status / Bereit
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
      info text="Status Bereit"
    section sectiontype="blocked" text="Reset-Optionen"
    setting active="0" text="SIM-Entsperren" value="" valuetype="inputnum"
  section text="Optionen"
    setting active="0" text="ALARM 1 LSP" value="VERWENDET LSP1" valuetype="readonly"
    setting active="0" text="ALARM 1 MIC" value="VERWENDET MIC1" valuetype="readonly"
    setting active="0" text="ALARM 2" value="AUS" valuetype="readonly"
    setting active="0" text="Rufnummer" value="" valuetype="inputnum"
  info text="Status"
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
        QVERIFY2(m_menu.load(QStringLiteral(LUM_DEMO_MENU), &error), qPrintable(error));
        QVERIFY2(m_harness.startWithMenuFile(QStringLiteral(LUM_DEMO_MENU), &error),
                 qPrintable(error));
        QVERIFY2(m_odd.startWithMenuText(kOddMenu, &error), qPrintable(error));
    }

    // Entries as the technician counts them: sections, settings and
    // information lines, the options being part of their setting. The item
    // list holds one item per entry, rebuilt once at the end; saved, the
    // read-out loads back as it was, every value unchanged.
    void readOut_buildsTreeTheMenuCallsFor()
    {
        const ReadOutOracle::Expectation expected = ReadOutOracle::expect(m_menu);
        QSignalSpy errors(&m_harness.bot(), &LumBot::transmissionError);
        m_harness.bot().startDownload();
        // The reset at the start announces the emptied list; only the end counts.
        QSignalSpy itemListChanges(&m_harness.profile(), &DeviceProfile::confItemListChanged);
        QVERIFY2(m_harness.waitUntilIdle(RobotHarness::readOutTimeoutMs(expected.screens)),
                 "the read-out of the demo menu did not end");
        QVERIFY2(errors.isEmpty(), qPrintable(m_harness.bot().lastErrorString()));
        const QString tree = treeOf(expected.document);
        const QString difference = treeDiff(tree, m_harness.profile().document());
        QVERIFY2(difference.isEmpty(), qPrintable(QLatin1Char('\n') + difference));

        const int entries = tree.count(QLatin1Char('\n')) - tree.count(QStringLiteral(" option "));
        QCOMPARE(itemListChanges.count(), 1);
        QCOMPARE(m_harness.profile().items().size(), entries);
        QCOMPARE(m_harness.bot().itemsDone(), entries);
        QVERIFY2(m_harness.bot().jobOutcome().startsWith(
                         QStringLiteral("%1 Einträge gelesen (").arg(entries)),
                 qPrintable(m_harness.bot().jobOutcome()));
        QCOMPARE(m_harness.bot().itemsTotal(), 0);
        QCOMPARE(m_harness.bot().deviceIdentifier(), m_menu.identifier);
        QCOMPARE(m_harness.bot().deviceWarning(),
                 QStringLiteral("Hinweis: Bitte zum Abschluss \"Programmierung beenden\" wählen "
                                "und den Jumper zurücksetzen!"));
        QVERIFY(!m_harness.bot().isEnabled());

        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("demo.lumc"));
        m_harness.profile().saveToFile(name);
        DeviceProfile loaded;
        loaded.loadFromFile(name);
        QCOMPARE(loaded.items().size(), entries);
        for (const ConfItem *item : loaded.items())
            QVERIFY2(item->initValue() == item->value(),
                     qPrintable(item->menuPath().join(QLatin1Char('/'))));
        QCOMPARE(treeOf(loaded.document()), tree);
    }

    void readOut_buildsTheHandWrittenTree()
    {
        SimMenu menu;
        QVERIFY(menu.parse(kOddMenu));
        QString difference = TreeText::diff(kExpectedTree.split(QLatin1Char('\n')),
                                            TreeText::canonicalLines(TreeText::menuTreeOf(
                                                    ReadOutOracle::expect(menu).document)));
        QVERIFY2(difference.isEmpty(), qPrintable("oracle:\n" + difference));

        QSignalSpy errors(&m_odd.bot(), &LumBot::transmissionError);
        m_odd.bot().startDownload();
        QVERIFY2(m_odd.waitUntilIdle(RobotHarness::readOutTimeoutMs()), "the read-out did not end");
        QVERIFY2(errors.isEmpty(), qPrintable(m_odd.bot().lastErrorString()));
        difference = treeDiff(kExpectedTree, m_odd.profile().document());
        QVERIFY2(difference.isEmpty(), qPrintable("robot:\n" + difference));
        QCOMPARE(m_odd.bot().deviceIdentifier(), QStringLiteral("SPEZ-1 V0.9"));
    }

    void transfer_findsSettingsAlongRepeatedNames()
    {
        const QList<QStringList> paths{ { "Notruf", "Notruf" },
                                        { "Notruf", "Optionen", "Uhrzeit Sommer" },
                                        { "Optionen", "Rufnummer" } };
        const QStringList values{ "Aus", "Nein", "0511" };
        for (int i = 0; i < paths.size(); ++i) {
            ConfItem *item = m_odd.item(paths.at(i));
            QVERIFY2(item, qPrintable(paths.at(i).join('/')));
            item->setValue(values.at(i));
            item->setActive(true);
        }
        QSignalSpy errors(&m_odd.bot(), &LumBot::transmissionError);
        m_odd.bot().startUpload();
        // The transfer ends with a new identification, the device back on it.
        QVERIFY(RobotHarness::waitFor(
                &m_odd.bot(), &LumBot::enabledChanged,
                [&] {
                    return !errors.isEmpty()
                            || (m_odd.isIdle() && !m_odd.bot().deviceIdentifier().isEmpty()
                                && m_odd.device().screen().value(1).trimmed()
                                        == QLatin1String("konfigurieren?"));
                },
                RobotHarness::readOutTimeoutMs()));
        QVERIFY2(errors.isEmpty(), qPrintable(m_odd.bot().lastErrorString()));
        for (int i = 0; i < paths.size(); ++i)
            QCOMPARE(m_odd.device().value(paths.at(i)), values.at(i));
    }

    // A line lost during the walk is among the faults of the line
    // (tst_reliability_faults), with the port and the reconnect checked too.
    void readOut_endsAsTheMenuCallsFor_data()
    {
        QTest::addColumn<QString>("menuText");
        QTest::addColumn<bool>("fallsSilent");
        QTest::addColumn<QString>("expectedError");

        QTest::newRow("empty screen on the configuration menu's level")
                << QStringLiteral("device TST-8\nsection Anlage\n    input Rufnummer = 12\ninfo\n"
                                  "selection Sprache = Deutsch\n    options: Deutsch | English\n")
                << false << kReadError + QStringLiteral("Keine Verbindung zum Gerät!");
        QTest::newRow("device falls silent inside a section: a name seen a fourth time")
                << ReadOutOracle::scenarioMenuText() << true
                << kReadError
                        + QStringLiteral("Verbindung zum Gerät wurde getrennt oder Menüstruktur "
                                         "ist inkonsistent!");
        QTest::newRow("21 nested sections") << nestedMenu(21) << false
                                            << kReadError
                        + QStringLiteral("Mehr als 20 Untermenü-Ebenen gefunden oder "
                                         "Menüstruktur ist inkonsistent!");
        // Nineteen nested sections put their innermost list on level 19, the
        // deepest one that may be walked.
        QTest::newRow("19 nested sections are walked completely")
                << nestedMenu(19) << false << QString();
    }

    void readOut_endsAsTheMenuCallsFor()
    {
        QFETCH(QString, menuText);
        QFETCH(bool, fallsSilent);
        QFETCH(QString, expectedError);

        RobotHarness harness;
        QString error;
        QVERIFY2(harness.startWithMenuText(menuText, &error), qPrintable(error));
        DeviceSimulator &device = harness.device();
        LumBot &bot = harness.bot();
        int okKeys = 0;
        // Once the robot has entered the first section (the second OK, after
        // the one on "konfigurieren?"), the device answers one more key and
        // then no more: the same screen keeps coming back.
        connect(&device, &DeviceSimulator::keyReceived, &device, [&](char key) {
            if (fallsSilent && key == 13 && ++okKeys == 2)
                device.setSilentAfterKeys(device.keyCount() + 1);
        });
        QSignalSpy errors(&bot, &LumBot::transmissionError);
        bot.startDownload();
        QVERIFY2(harness.waitUntilIdle(RobotHarness::readOutTimeoutMs(400)),
                 "the read-out did not end");

        QCOMPARE(bot.lastErrorString(), expectedError);
        QCOMPARE(errors.count(), expectedError.isEmpty() ? 0 : 1);
        QVERIFY(!bot.isEnabled());
        if (expectedError.isEmpty()) {
            SimMenu menu;
            QVERIFY(menu.parse(menuText));
            const QString difference = treeDiff(treeOf(ReadOutOracle::expect(menu).document),
                                                harness.profile().document());
            QVERIFY2(difference.isEmpty(), qPrintable(QLatin1Char('\n') + difference));
            QVERIFY(treeOf(harness.profile().document()).contains("info text=\"Ende erreicht\""));
            return;
        }
        QCOMPARE(bot.deviceIdentifier(), QString());
        QCOMPARE(bot.deviceWarning(), QString());
        // Nothing of a partial read-out remains: the empty tree and the hint.
        QCOMPARE(treeOf(harness.profile().document()), QStringLiteral("menuTree"));
        QCOMPARE(harness.profile().items().size(), 1);
        QCOMPARE(harness.profile().items().first()->type(), QStringLiteral("info"));
        QCOMPARE(harness.profile().items().first()->menuPath(),
                 QStringList{ QStringLiteral("Bitte Konfiguration öffnen oder auslesen...") });
    }

    void baseMenuNeverSettling_endsEachJobAsDocumented_data()
    {
        QTest::addColumn<int>("job");
        QTest::addColumn<bool>("reported");
        QTest::addColumn<bool>("profileKept");
        QTest::newRow("identification ends silently") << int(LumBot::Init) << false << true;
        QTest::newRow("read-out reports and empties the profile")
                << int(LumBot::DownloadInit) << true << false;
        QTest::newRow("transfer reports and keeps the profile")
                << int(LumBot::UploadInit) << true << true;
    }

    void baseMenuNeverSettling_endsEachJobAsDocumented()
    {
        QFETCH(int, job);
        QFETCH(bool, reported);
        QFETCH(bool, profileKept);

        SimMenu menu;
        QVERIFY(menu.parse(ReadOutOracle::scenarioMenuText()));
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("small.lumc"));
        QVERIFY(ReadOutOracle::writeReadOut(menu, file));
        RobotHarness harness;
        QString error;
        QVERIFY2(harness.startWithMenuText(ReadOutOracle::scenarioMenuText(), &error),
                 qPrintable(error));
        harness.profile().loadFromFile(file);
        const QString treeBefore = treeOf(harness.profile().document());
        QVERIFY(treeBefore.contains(QLatin1String("Haltezeit")));
        harness.device().setRestlessBaseMenu(true);
        harness.device().clearRecords();

        QSignalSpy errors(&harness.bot(), &LumBot::transmissionError);
        LumBot &bot = harness.bot();
        if (job == LumBot::Init)
            bot.startInit();
        else if (job == LumBot::DownloadInit)
            bot.startDownload();
        else
            bot.startUpload();
        QVERIFY2(harness.waitUntilIdle(60000), "the search did not end");

        QCOMPARE(errors.count(), reported ? 1 : 0);
        QCOMPARE(bot.lastErrorString(),
                 reported ? QStringLiteral("Fehler bei Initialisierung!\nBasismenü kann nicht "
                                           "gefunden werden!")
                          : QString());
        // One ESC from the start and ten more from the search, nothing else.
        QCOMPARE(harness.device().receivedKeys(), QByteArray(11, char(27)));
        QCOMPARE(bot.deviceIdentifier(), QString());
        QCOMPARE(treeOf(harness.profile().document()),
                 profileKept ? treeBefore : QStringLiteral("menuTree"));
    }

private:
    RobotHarness m_harness;
    SimMenu m_menu;
    RobotHarness m_odd;
};

QTEST_GUILESS_MAIN(TestLumBotScenariosReadOut)
#include "tst_lumbot_scenarios_readout.moc"
