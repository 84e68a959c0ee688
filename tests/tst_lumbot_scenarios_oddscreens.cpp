// The device's odd screens and awkward names, in one small menu whose
// read-out is written out here by hand: it checks the robot and, as much,
// the expected tree that the other scenarios take from the menu.

#include <QSignalSpy>
#include <QtTest>

#include "readoutoracle.h"
#include "robotharness.h"
#include "simmenu.h"
#include "treetext.h"

namespace {

const QString kMenu = QStringLiteral(
        "device SPEZ-1 V0.9\n"
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

// Worked out by hand from the screens the device shows for kMenu.
const QStringList kExpectedTree = {
    QStringLiteral("menuTree"),
    QStringLiteral("  section text=\"Notruf\""),
    // A setting of its section's own name: after leaving it, its own screen
    // (a setting) ends the search for the way back.
    QStringLiteral("    setting active=\"0\" text=\"Notruf\" value=\"Ein\" valuetype=\"selection\""),
    QStringLiteral("      option text=\"Ein\""),
    QStringLiteral("      option text=\"Aus\""),
    // Deeper sections are named by their question on the second line.
    QStringLiteral("    section text=\"Optionen\""),
    // Opened like any selection: only "Uhrzeit" itself is the clock. The
    // options begin with the current value.
    QStringLiteral("      setting active=\"0\" text=\"Uhrzeit Sommer\" value=\"Ja\" valuetype=\"selection\""),
    QStringLiteral("        option text=\"Ja\""),
    QStringLiteral("        option text=\"Auto\""),
    QStringLiteral("        option text=\"Nein\""),
    QStringLiteral("      setting active=\"0\" text=\"Timerzeit 2\" value=\"07:45\" valuetype=\"inputtime_hhmm\""),
    QStringLiteral("      setting active=\"0\" text=\"Uhrzeit\" value=\"10:00\" valuetype=\"inputsystemtime\""),
    QStringLiteral("      setting active=\"0\" text=\"Datum\" value=\"02.03.26\" valuetype=\"inputsystemdate\""),
    // Deeper, an info screen is named by both lines.
    QStringLiteral("      info text=\"Status Bereit\""),
    QStringLiteral("    section sectiontype=\"blocked\" text=\"Reset-Optionen\""),
    // Read as a setting despite its question mark; its empty value shows
    // as "<KEIN EINTRAG!>".
    QStringLiteral("    setting active=\"0\" text=\"SIM-Entsperren\" value=\"\" valuetype=\"inputnum\""),
    QStringLiteral("  section text=\"Optionen\""),
    QStringLiteral("    setting active=\"0\" text=\"ALARM 1 LSP\" value=\"VERWENDET LSP1\" valuetype=\"readonly\""),
    QStringLiteral("    setting active=\"0\" text=\"ALARM 1 MIC\" value=\"VERWENDET MIC1\" valuetype=\"readonly\""),
    QStringLiteral("    setting active=\"0\" text=\"ALARM 2\" value=\"AUS\" valuetype=\"readonly\""),
    QStringLiteral("    setting active=\"0\" text=\"Rufnummer\" value=\"\" valuetype=\"inputnum\""),
    // On the configuration menu's level only the first line names it.
    QStringLiteral("  info text=\"Status\""),
    // The base menu's exit follows the last entry; it is never entered.
    QStringLiteral("  section sectiontype=\"blocked\" text=\"Programmierung\""),
};

} // namespace

class TestLumBotScenariosOddScreens : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void oracle_predictsTheHandWrittenTree();
    void readOut_buildsTheHandWrittenTree();
    void transfer_findsSettingsAlongRepeatedNames();

private:
    SimMenu m_menu;
    RobotHarness m_harness;
};

void TestLumBotScenariosOddScreens::initTestCase()
{
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    QString error;
    QVERIFY2(m_menu.parse(kMenu, &error), qPrintable(error));
    QVERIFY2(m_harness.startWithMenuText(kMenu, &error), qPrintable(error));
}

void TestLumBotScenariosOddScreens::oracle_predictsTheHandWrittenTree()
{
    const ReadOutOracle::Expectation expected = ReadOutOracle::expect(m_menu);
    const QString difference = TreeText::diff(kExpectedTree,
                                              TreeText::canonicalLines(TreeText::menuTreeOf(expected.document)));
    QVERIFY2(difference.isEmpty(), qPrintable(QLatin1Char('\n') + difference));
}

void TestLumBotScenariosOddScreens::readOut_buildsTheHandWrittenTree()
{
    QSignalSpy errors(&m_harness.bot(), &LumBot::transmissionError);
    m_harness.bot().startDownload();
    QVERIFY2(m_harness.waitUntilIdle(RobotHarness::readOutTimeoutMs()), "the read-out did not end");
    QVERIFY2(errors.isEmpty(), qPrintable(m_harness.bot().lastErrorString()));
    const QString difference = TreeText::diff(
            kExpectedTree, TreeText::canonicalLines(TreeText::menuTreeOf(m_harness.profile().document())));
    QVERIFY2(difference.isEmpty(), qPrintable(QLatin1Char('\n') + difference));
    QCOMPARE(m_harness.bot().deviceIdentifier(), QStringLiteral("SPEZ-1 V0.9"));
}

void TestLumBotScenariosOddScreens::transfer_findsSettingsAlongRepeatedNames()
{
    const QStringList notruf{QStringLiteral("Notruf"), QStringLiteral("Notruf")};
    const QStringList sommer{QStringLiteral("Notruf"), QStringLiteral("Optionen"), QStringLiteral("Uhrzeit Sommer")};
    const QStringList rufnummer{QStringLiteral("Optionen"), QStringLiteral("Rufnummer")};
    ConfItem *notrufItem = m_harness.item(notruf);
    ConfItem *sommerItem = m_harness.item(sommer);
    ConfItem *rufnummerItem = m_harness.item(rufnummer);
    QVERIFY(notrufItem && sommerItem && rufnummerItem);
    notrufItem->setValue(QStringLiteral("Aus"));
    notrufItem->setActive(true);
    sommerItem->setValue(QStringLiteral("Nein"));
    sommerItem->setActive(true);
    rufnummerItem->setValue(QStringLiteral("0511"));
    rufnummerItem->setActive(true);

    QSignalSpy errors(&m_harness.bot(), &LumBot::transmissionError);
    m_harness.bot().startUpload();
    // The transfer ends with a new identification, the device back on it.
    QVERIFY(RobotHarness::waitFor(&m_harness.bot(), &LumBot::enabledChanged, [&] {
        return !errors.isEmpty()
                || (m_harness.isIdle() && !m_harness.bot().deviceIdentifier().isEmpty()
                    && m_harness.device().screen().value(1).trimmed() == QLatin1String("konfigurieren?"));
    }, 120000));
    QVERIFY2(errors.isEmpty(), qPrintable(m_harness.bot().lastErrorString()));
    QCOMPARE(m_harness.device().value(notruf), QStringLiteral("Aus"));
    QCOMPARE(m_harness.device().value(sommer), QStringLiteral("Nein"));
    QCOMPARE(m_harness.device().value(rufnummer), QStringLiteral("0511"));
}

QTEST_GUILESS_MAIN(TestLumBotScenariosOddScreens)
#include "tst_lumbot_scenarios_oddscreens.moc"
