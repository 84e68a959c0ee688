// Every way a read-out (and the base-menu search before any job) can fail,
// each brought about by the device situation that causes it, with the state
// the robot must be left in: idle, the partial read-out discarded, the
// device no longer identified.

#include <QSignalSpy>
#include <QtTest>

#include "readoutoracle.h"
#include "robotharness.h"
#include "simmenu.h"
#include "treetext.h"

namespace {

const QString kSmallMenu = QStringLiteral(
        "device TST-7 V1.0\n"
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
        text += QString(level * 4, QLatin1Char(' ')) + QStringLiteral("section Ebene %1\n").arg(level + 1);
    text += QString(depth * 4, QLatin1Char(' ')) + QStringLiteral("info Ende / erreicht\n");
    return text;
}

// A line lost during the walk is among the faults of the line
// (tst_reliability_faults), with the port and the reconnect checked too.
enum class Fault { EmptyScreenAtTop, DeviceFallsSilent, TooDeep };

} // namespace

Q_DECLARE_METATYPE(Fault)

class TestLumBotScenariosReadOutErrors : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void readOut_failsWithTheSituationsText_data();
    void readOut_failsWithTheSituationsText();
    void baseMenuNeverSettling_endsEachJobAsDocumented_data();
    void baseMenuNeverSettling_endsEachJobAsDocumented();
    void twentyLevels_areWalkedCompletely();
};

void TestLumBotScenariosReadOutErrors::initTestCase()
{
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
}

void TestLumBotScenariosReadOutErrors::readOut_failsWithTheSituationsText_data()
{
    QTest::addColumn<QString>("menuText");
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QString>("expectedError");

    QTest::newRow("empty screen on the configuration menu's level")
            << QStringLiteral("device TST-8\nsection Anlage\n    input Rufnummer = 12\ninfo\nselection Sprache = Deutsch\n    options: Deutsch | English\n")
            << Fault::EmptyScreenAtTop << ReadOutOracle::noConnectionError();
    QTest::newRow("device falls silent inside a section: a name seen a fourth time")
            << kSmallMenu << Fault::DeviceFallsSilent << ReadOutOracle::inconsistentError();
    QTest::newRow("21 nested sections") << nestedMenu(21) << Fault::TooDeep << ReadOutOracle::tooDeepError();
}

void TestLumBotScenariosReadOutErrors::readOut_failsWithTheSituationsText()
{
    QFETCH(QString, menuText);
    QFETCH(Fault, fault);
    QFETCH(QString, expectedError);

    SimMenu menu;
    QString error;
    QVERIFY2(menu.parse(menuText, &error), qPrintable(error));

    RobotHarness harness;
    QVERIFY2(harness.startWithMenuText(menuText, &error), qPrintable(error));
    DeviceSimulator &device = harness.device();
    LumBot &bot = harness.bot();

    QObject listening;
    int okKeys = 0;
    switch (fault) {
    case Fault::DeviceFallsSilent:
        // Once the robot has entered the first section (the second OK, after
        // the one on "konfigurieren?"), the device answers one more key and
        // then no more: the same screen keeps coming back.
        connect(&device, &DeviceSimulator::keyReceived, &listening, [&](char key) {
            if (key == 13 && ++okKeys == 2)
                device.setSilentAfterKeys(device.keyCount() + 1);
        });
        break;
    case Fault::EmptyScreenAtTop:
    case Fault::TooDeep:
        break;
    }

    QSignalSpy errors(&bot, &LumBot::transmissionError);
    bot.startDownload();
    QVERIFY2(harness.waitUntilIdle(RobotHarness::readOutTimeoutMs()), "the read-out did not end");

    QCOMPARE(errors.count(), 1);
    QCOMPARE(bot.lastErrorString(), expectedError);
    QCOMPARE(bot.mode(), int(LumBot::Idle));
    QVERIFY(!bot.isEnabled());
    QCOMPARE(bot.deviceIdentifier(), QString());
    QCOMPARE(bot.deviceWarning(), QString());
    // Nothing of a partial read-out remains: the empty tree and the hint.
    QCOMPARE(TreeText::canonical(TreeText::menuTreeOf(harness.profile().document())), QStringLiteral("menuTree"));
    QCOMPARE(harness.profile().items().size(), 1);
    QCOMPARE(harness.profile().items().first()->type(), QStringLiteral("info"));
    QCOMPARE(harness.profile().items().first()->menuPath(),
             QStringList{QStringLiteral("Bitte Konfiguration öffnen oder auslesen...")});
}

void TestLumBotScenariosReadOutErrors::baseMenuNeverSettling_endsEachJobAsDocumented_data()
{
    QTest::addColumn<int>("job");
    QTest::addColumn<bool>("reported");
    QTest::addColumn<bool>("profileKept");
    QTest::newRow("identification ends silently") << int(LumBot::Init) << false << true;
    QTest::newRow("read-out reports and empties the profile") << int(LumBot::DownloadInit) << true << false;
    QTest::newRow("transfer reports and keeps the profile") << int(LumBot::UploadInit) << true << true;
}

void TestLumBotScenariosReadOutErrors::baseMenuNeverSettling_endsEachJobAsDocumented()
{
    QFETCH(int, job);
    QFETCH(bool, reported);
    QFETCH(bool, profileKept);

    SimMenu menu;
    QVERIFY(menu.parse(kSmallMenu));
    const ReadOutOracle::Expectation expected = ReadOutOracle::expect(menu);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("small.lumc"));
    {
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Text));
        out.write(expected.document.toByteArray(1));
    }

    RobotHarness harness;
    QString error;
    QVERIFY2(harness.startWithMenuText(kSmallMenu, &error), qPrintable(error));
    harness.profile().loadFromFile(file);
    const QString treeBefore = TreeText::canonical(TreeText::menuTreeOf(harness.profile().document()));
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
        QCOMPARE(bot.lastErrorString(), QStringLiteral("Fehler bei Initialisierung!\nBasismenü kann nicht gefunden werden!"));
    // One ESC from the start and ten more from the search, nothing else.
    QCOMPARE(harness.device().receivedKeys(), QByteArray(11, char(27)));
    QCOMPARE(bot.deviceIdentifier(), QString());
    const QString treeAfter = TreeText::canonical(TreeText::menuTreeOf(harness.profile().document()));
    QCOMPARE(treeAfter, profileKept ? treeBefore : QStringLiteral("menuTree"));
}

void TestLumBotScenariosReadOutErrors::twentyLevels_areWalkedCompletely()
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
    QVERIFY2(harness.waitUntilIdle(RobotHarness::readOutTimeoutMs(expected.screens)), "the read-out did not end");
    QVERIFY2(errors.isEmpty(), qPrintable(harness.bot().lastErrorString()));
    const QString difference = TreeText::diff(
            TreeText::canonicalLines(TreeText::menuTreeOf(expected.document)),
            TreeText::canonicalLines(TreeText::menuTreeOf(harness.profile().document())));
    QVERIFY2(difference.isEmpty(), qPrintable(QLatin1Char('\n') + difference));
    QVERIFY(TreeText::canonical(TreeText::menuTreeOf(harness.profile().document()))
            .contains(QLatin1String("info text=\"Ende erreicht\"")));
}

QTEST_GUILESS_MAIN(TestLumBotScenariosReadOutErrors)
#include "tst_lumbot_scenarios_readout_errors.moc"
