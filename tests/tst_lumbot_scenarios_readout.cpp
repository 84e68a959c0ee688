// Read-outs as a technician's click on ">> Auslesen >>" runs them: robot,
// terminal link and simulated device over a pseudo-terminal. The demo
// device's tree is worked out from its menu file; a small menu of the
// device's odd screens and awkward names has its read-out written out here
// by hand, which checks the robot and, as much, the expected tree the other
// scenarios take from the menu. Then every way a read-out (and the
// base-menu search before any job) can fail, each brought about by the
// device situation that causes it, with the state the robot must be left in:
// idle, the partial read-out discarded, the device no longer identified.

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "readoutoracle.h"
#include "robotharness.h"
#include "simmenu.h"
#include "treetext.h"

namespace {

// The differences between two documents' menu trees; empty when equal.
QString treeDiff(const QDomDocument &expected, const QDomDocument &actual)
{
    return TreeText::diff(TreeText::canonicalLines(TreeText::menuTreeOf(expected)),
                          TreeText::canonicalLines(TreeText::menuTreeOf(actual)));
}

int countElements(const QDomElement &parent, const QString &tagName = QString())
{
    int count = 0;
    for (QDomElement child = parent.firstChildElement(); !child.isNull();
         child = child.nextSiblingElement()) {
        if (tagName.isEmpty() || child.tagName() == tagName)
            ++count;
        count += countElements(child, tagName);
    }
    return count;
}

const QString kOddMenu = QStringLiteral("device SPEZ-1 V0.9\n"
                                        "section Notruf\n"
                                        "    selection Notruf = Ein\n"
                                        "        options: Aus | Ein\n"
                                        "    section Optionen\n"
                                        "        selection Uhrzeit Sommer = Ja\n"
                                        "            options: Nein | Ja | Auto\n"
                                        "        time Timerzeit 2 = 07:45\n"
                                        "        clock Uhrzeit = 10:00\n"
                                        "        date Datum = 02.03.26\n"
                                        "        info Status / Bereit\n"
                                        "    section Reset-Optionen\n"
                                        "        blocked: setzt die Optionen zurück\n"
                                        "        info Werk / laden\n"
                                        "    input SIM-Entsperren\n"
                                        "        line1: SIM-Entsperren?\n"
                                        "section Optionen\n"
                                        "    readonly ALARM 1 = VERWENDET LSP1\n"
                                        "    readonly ALARM 1 = VERWENDET MIC1\n"
                                        "    readonly ALARM 2 = AUS\n"
                                        "    input Rufnummer\n"
                                        "info Status / Bereit\n");

// Worked out by hand from the screens the device shows for kOddMenu.
const QStringList kExpectedTree = {
    QStringLiteral("menuTree"),
    QStringLiteral("  section text=\"Notruf\""),
    // A setting of its section's own name: after leaving it, its own screen
    // (a setting) ends the search for the way back.
    QStringLiteral(
            "    setting active=\"0\" text=\"Notruf\" value=\"Ein\" valuetype=\"selection\""),
    QStringLiteral("      option text=\"Ein\""),
    QStringLiteral("      option text=\"Aus\""),
    // Deeper sections are named by their question on the second line.
    QStringLiteral("    section text=\"Optionen\""),
    // Opened like any selection: only "Uhrzeit" itself is the clock. The
    // options begin with the current value.
    QStringLiteral("      setting active=\"0\" text=\"Uhrzeit Sommer\" value=\"Ja\" "
                   "valuetype=\"selection\""),
    QStringLiteral("        option text=\"Ja\""),
    QStringLiteral("        option text=\"Auto\""),
    QStringLiteral("        option text=\"Nein\""),
    QStringLiteral("      setting active=\"0\" text=\"Timerzeit 2\" value=\"07:45\" "
                   "valuetype=\"inputtime_hhmm\""),
    QStringLiteral("      setting active=\"0\" text=\"Uhrzeit\" value=\"10:00\" "
                   "valuetype=\"inputsystemtime\""),
    QStringLiteral("      setting active=\"0\" text=\"Datum\" value=\"02.03.26\" "
                   "valuetype=\"inputsystemdate\""),
    // Deeper, an info screen is named by both lines.
    QStringLiteral("      info text=\"Status Bereit\""),
    QStringLiteral("    section sectiontype=\"blocked\" text=\"Reset-Optionen\""),
    // Read as a setting despite its question mark; its empty value shows
    // as "<KEIN EINTRAG!>".
    QStringLiteral(
            "    setting active=\"0\" text=\"SIM-Entsperren\" value=\"\" valuetype=\"inputnum\""),
    QStringLiteral("  section text=\"Optionen\""),
    QStringLiteral("    setting active=\"0\" text=\"ALARM 1 LSP\" value=\"VERWENDET LSP1\" "
                   "valuetype=\"readonly\""),
    QStringLiteral("    setting active=\"0\" text=\"ALARM 1 MIC\" value=\"VERWENDET MIC1\" "
                   "valuetype=\"readonly\""),
    QStringLiteral(
            "    setting active=\"0\" text=\"ALARM 2\" value=\"AUS\" valuetype=\"readonly\""),
    QStringLiteral("    setting active=\"0\" text=\"Rufnummer\" value=\"\" valuetype=\"inputnum\""),
    // On the configuration menu's level only the first line names it.
    QStringLiteral("  info text=\"Status\""),
    // The base menu's exit follows the last entry; it is never entered.
    QStringLiteral("  section sectiontype=\"blocked\" text=\"Programmierung\""),
};

const QString kSmallMenu = QStringLiteral("device TST-7 V1.0\n"
                                          "section Anlage\n"
                                          "    selection Modus = Auto\n"
                                          "        options: Auto | Hand | Aus\n"
                                          "    input Rufnummer = 12\n"
                                          "    info Status / Bereit\n"
                                          "    input Haltezeit = 10\n"
                                          "selection Sprache = Deutsch\n"
                                          "    options: Deutsch | English\n");

// Sections nested `depth` deep, with an info screen in the innermost.
QString nestedMenu(int depth)
{
    QString text = QStringLiteral("device TIEF-1\n");
    for (int level = 0; level < depth; ++level)
        text += QString(level * 4, QLatin1Char(' '))
                + QStringLiteral("section Ebene %1\n").arg(level + 1);
    text += QString(depth * 4, QLatin1Char(' ')) + QStringLiteral("info Ende / erreicht\n");
    return text;
}

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
        m_expected = ReadOutOracle::expect(m_menu);

        QVERIFY2(m_harness.startWithMenuFile(QStringLiteral(LUM_DEMO_MENU), &error),
                 qPrintable(error));
        QSignalSpy errors(&m_harness.bot(), &LumBot::transmissionError);
        QElapsedTimer clock;
        clock.start();
        m_harness.bot().startDownload();
        // The reset at the start announces the emptied list; only the end counts.
        QSignalSpy itemListChanges(&m_harness.profile(), &DeviceProfile::confItemListChanged);
        QVERIFY(!m_harness.isIdle());
        QVERIFY2(m_harness.waitUntilIdle(RobotHarness::readOutTimeoutMs(m_expected.screens)),
                 "the read-out of the demo menu did not end");
        qInfo("demo read-out: %lld ms, %d keys answered by the device (%d screens of the walk "
              "expected)",
              clock.elapsed(), m_harness.device().keyCount(), m_expected.screens);
        m_itemListChanges = itemListChanges.count();
        QVERIFY2(errors.isEmpty(), qPrintable(m_harness.bot().lastErrorString()));

        QVERIFY2(m_oddMenu.parse(kOddMenu, &error), qPrintable(error));
        QVERIFY2(m_odd.startWithMenuText(kOddMenu, &error), qPrintable(error));
    }

    void readOut_buildsTreeTheMenuCallsFor()
    {
        const QString difference = treeDiff(m_expected.document, m_harness.profile().document());
        QVERIFY2(difference.isEmpty(), qPrintable(QLatin1Char('\n') + difference));
        // The base menu's exit is listed, never entered.
        QVERIFY(TreeText::canonicalLines(TreeText::menuTreeOf(m_expected.document))
                        .contains(QStringLiteral(
                                "  section sectiontype=\"blocked\" text=\"Programmierung\"")));
    }

    // Entries as the technician counts them: sections, settings and
    // information lines, the options being part of their setting. The item
    // list holds one item per entry, rebuilt once at the end.
    void readOut_identifiesDeviceCountsEntriesAndWarnsOfJumper()
    {
        const QDomElement tree = TreeText::menuTreeOf(m_expected.document);
        const int entries = countElements(tree) - countElements(tree, QStringLiteral("option"));
        QCOMPARE(m_itemListChanges, 1);
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
        QCOMPARE(m_harness.bot().mode(), int(LumBot::Idle));
        QVERIFY(!m_harness.bot().isEnabled());
    }

    void savedReadOut_loadsBackWithTheSameItems()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString name = dir.filePath(QStringLiteral("demo.lumc"));
        m_harness.profile().saveToFile(name);

        DeviceProfile loaded;
        loaded.loadFromFile(name);
        // Items are built from the tree compared below; what the tree does not
        // show is the loaded value taken as the unchanged one.
        QCOMPARE(loaded.items().size(), m_harness.profile().items().size());
        for (const ConfItem *item : loaded.items())
            QVERIFY2(item->initValue() == item->value(),
                     qPrintable(item->menuPath().join(QLatin1Char('/'))));
        const QString difference = treeDiff(m_harness.profile().document(), loaded.document());
        QVERIFY2(difference.isEmpty(), qPrintable(QLatin1Char('\n') + difference));
    }

    void oracle_predictsTheHandWrittenTree()
    {
        const ReadOutOracle::Expectation expected = ReadOutOracle::expect(m_oddMenu);
        const QString difference = TreeText::diff(
                kExpectedTree, TreeText::canonicalLines(TreeText::menuTreeOf(expected.document)));
        QVERIFY2(difference.isEmpty(), qPrintable(QLatin1Char('\n') + difference));
    }

    void readOut_buildsTheHandWrittenTree()
    {
        QSignalSpy errors(&m_odd.bot(), &LumBot::transmissionError);
        m_odd.bot().startDownload();
        QVERIFY2(m_odd.waitUntilIdle(RobotHarness::readOutTimeoutMs()), "the read-out did not end");
        QVERIFY2(errors.isEmpty(), qPrintable(m_odd.bot().lastErrorString()));
        const QString difference = TreeText::diff(
                kExpectedTree,
                TreeText::canonicalLines(TreeText::menuTreeOf(m_odd.profile().document())));
        QVERIFY2(difference.isEmpty(), qPrintable(QLatin1Char('\n') + difference));
        QCOMPARE(m_odd.bot().deviceIdentifier(), QStringLiteral("SPEZ-1 V0.9"));
    }

    void transfer_findsSettingsAlongRepeatedNames()
    {
        const QStringList notruf{ QStringLiteral("Notruf"), QStringLiteral("Notruf") };
        const QStringList sommer{ QStringLiteral("Notruf"), QStringLiteral("Optionen"),
                                  QStringLiteral("Uhrzeit Sommer") };
        const QStringList rufnummer{ QStringLiteral("Optionen"), QStringLiteral("Rufnummer") };
        ConfItem *notrufItem = m_odd.item(notruf);
        ConfItem *sommerItem = m_odd.item(sommer);
        ConfItem *rufnummerItem = m_odd.item(rufnummer);
        QVERIFY(notrufItem && sommerItem && rufnummerItem);
        notrufItem->setValue(QStringLiteral("Aus"));
        notrufItem->setActive(true);
        sommerItem->setValue(QStringLiteral("Nein"));
        sommerItem->setActive(true);
        rufnummerItem->setValue(QStringLiteral("0511"));
        rufnummerItem->setActive(true);

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
                120000));
        QVERIFY2(errors.isEmpty(), qPrintable(m_odd.bot().lastErrorString()));
        QCOMPARE(m_odd.device().value(notruf), QStringLiteral("Aus"));
        QCOMPARE(m_odd.device().value(sommer), QStringLiteral("Nein"));
        QCOMPARE(m_odd.device().value(rufnummer), QStringLiteral("0511"));
    }

    // A line lost during the walk is among the faults of the line
    // (tst_reliability_faults), with the port and the reconnect checked too.
    void readOut_failsWithTheSituationsText_data()
    {
        QTest::addColumn<QString>("menuText");
        QTest::addColumn<bool>("fallsSilent");
        QTest::addColumn<QString>("expectedError");

        QTest::newRow("empty screen on the configuration menu's level")
                << QStringLiteral("device TST-8\nsection Anlage\n    input Rufnummer = "
                                  "12\ninfo\nselection Sprache = Deutsch\n    options: Deutsch | "
                                  "English\n")
                << false << ReadOutOracle::noConnectionError();
        QTest::newRow("device falls silent inside a section: a name seen a fourth time")
                << kSmallMenu << true << ReadOutOracle::inconsistentError();
        QTest::newRow("21 nested sections")
                << nestedMenu(21) << false << ReadOutOracle::tooDeepError();
    }

    void readOut_failsWithTheSituationsText()
    {
        QFETCH(QString, menuText);
        QFETCH(bool, fallsSilent);
        QFETCH(QString, expectedError);

        RobotHarness harness;
        QString error;
        QVERIFY2(harness.startWithMenuText(menuText, &error), qPrintable(error));
        DeviceSimulator &device = harness.device();
        LumBot &bot = harness.bot();

        QObject listening;
        int okKeys = 0;
        // Once the robot has entered the first section (the second OK, after
        // the one on "konfigurieren?"), the device answers one more key and
        // then no more: the same screen keeps coming back.
        connect(&device, &DeviceSimulator::keyReceived, &listening, [&](char key) {
            if (fallsSilent && key == 13 && ++okKeys == 2)
                device.setSilentAfterKeys(device.keyCount() + 1);
        });

        QSignalSpy errors(&bot, &LumBot::transmissionError);
        bot.startDownload();
        QVERIFY2(harness.waitUntilIdle(RobotHarness::readOutTimeoutMs()),
                 "the read-out did not end");

        QCOMPARE(errors.count(), 1);
        QCOMPARE(bot.lastErrorString(), expectedError);
        QCOMPARE(bot.mode(), int(LumBot::Idle));
        QVERIFY(!bot.isEnabled());
        QCOMPARE(bot.deviceIdentifier(), QString());
        QCOMPARE(bot.deviceWarning(), QString());
        // Nothing of a partial read-out remains: the empty tree and the hint.
        QCOMPARE(TreeText::canonical(TreeText::menuTreeOf(harness.profile().document())),
                 QStringLiteral("menuTree"));
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
        QVERIFY(menu.parse(kSmallMenu));
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("small.lumc"));
        QVERIFY(ReadOutOracle::writeReadOut(menu, file));

        RobotHarness harness;
        QString error;
        QVERIFY2(harness.startWithMenuText(kSmallMenu, &error), qPrintable(error));
        harness.profile().loadFromFile(file);
        const QString treeBefore =
                TreeText::canonical(TreeText::menuTreeOf(harness.profile().document()));
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
        if (reported)
            QCOMPARE(bot.lastErrorString(),
                     QStringLiteral(
                             "Fehler bei Initialisierung!\nBasismenü kann nicht gefunden werden!"));
        // One ESC from the start and ten more from the search, nothing else.
        QCOMPARE(harness.device().receivedKeys(), QByteArray(11, char(27)));
        QCOMPARE(bot.deviceIdentifier(), QString());
        const QString treeAfter =
                TreeText::canonical(TreeText::menuTreeOf(harness.profile().document()));
        QCOMPARE(treeAfter, profileKept ? treeBefore : QStringLiteral("menuTree"));
    }

    void twentyLevels_areWalkedCompletely()
    {
        // Nineteen nested sections put their innermost list on level 19, the
        // deepest one that may be walked.
        const QString menuText = nestedMenu(19);
        SimMenu menu;
        QVERIFY(menu.parse(menuText));
        const ReadOutOracle::Expectation expected = ReadOutOracle::expect(menu);

        RobotHarness harness;
        QString error;
        QVERIFY2(harness.startWithMenuText(menuText, &error), qPrintable(error));
        QSignalSpy errors(&harness.bot(), &LumBot::transmissionError);
        harness.bot().startDownload();
        QVERIFY2(harness.waitUntilIdle(RobotHarness::readOutTimeoutMs(expected.screens)),
                 "the read-out did not end");
        QVERIFY2(errors.isEmpty(), qPrintable(harness.bot().lastErrorString()));
        const QString difference = treeDiff(expected.document, harness.profile().document());
        QVERIFY2(difference.isEmpty(), qPrintable(QLatin1Char('\n') + difference));
        QVERIFY(TreeText::canonical(TreeText::menuTreeOf(harness.profile().document()))
                        .contains(QLatin1String("info text=\"Ende erreicht\"")));
    }

private:
    RobotHarness m_harness;
    SimMenu m_menu;
    ReadOutOracle::Expectation m_expected;
    int m_itemListChanges = -1;
    RobotHarness m_odd;
    SimMenu m_oddMenu;
};

QTEST_GUILESS_MAIN(TestLumBotScenariosReadOut)
#include "tst_lumbot_scenarios_readout.moc"
