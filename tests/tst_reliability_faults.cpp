// Faults of the line and of the device, injected through the device
// simulator over a real pseudo-terminal: an adapter pulled out, a device that
// falls silent, answers late, talks by itself or in dribbles.
// Whatever happens, LUM ends in a state it can explain: a German message or a
// quiet close, a closed port, no busy loop, a profile that is either complete
// or untouched, and a transfer never reported done that the device did not take.

#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <ctime>

#include "confitem.h"
#include "readoutoracle.h"
#include "robotharness.h"
#include "scripteddevice.h"
#include "simmenu.h"
#include "treetext.h"

namespace {

// Small on purpose: with late answers every key costs about a second.
const char smallMenu[] = R"(device ORV-TEST V1.0

section Einstellungen
    selection Sprache = Deutsch
        options: Deutsch | English | Français
    input Rufnummer = 0815
    time Timerzeit Test = 08:00
section Kommunikation
    input Server-Port = 5000
    readonly IMEI = 12345
)";
const QStringList rufnummer = { "Einstellungen", "Rufnummer" };
const QStringList serverPort = { "Kommunikation", "Server-Port" };

// What the window shows after a failed read-out: only the hint to read or open.
bool holdsOnlyHint(const DeviceProfile &profile)
{
    return profile.items().size() == 1
            && profile.items().first()->menuName()
            == QString::fromUtf8("Bitte Konfiguration öffnen oder auslesen...")
            && TreeText::ofDocument(profile.document()) == QStringLiteral("menuTree");
}

// After a fault the same window must be able to identify the device.
bool identifies(RobotHarness &harness)
{
    QSignalSpy errors(&harness.bot(), &LumBot::transmissionError);
    harness.bot().startInit();
    return harness.waitUntilIdle(60000) && errors.isEmpty()
            && harness.bot().deviceIdentifier() == QLatin1String("ORV-TEST V1.0");
}

} // namespace

class tst_ReliabilityFaults : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void lineLostOrSilent_endsJobWithMessage_data();
    void lineLostOrSilent_endsJobWithMessage();
    void troubledLine_readOutStillGivesSameTree_data();
    void troubledLine_readOutStillGivesSameTree();
    void silentDevice_linkSaysTheKeyWentUnanswered();

private:
    QTemporaryDir m_dir;
    QString m_referenceFile;
    QString m_referenceTree;
};

// The tree a read-out of the small menu gives, as the menu's own
// description says; the robot's own read-outs below are held to it.
void tst_ReliabilityFaults::initTestCase()
{
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    SimMenu menu;
    QVERIFY(menu.parse(QString::fromUtf8(smallMenu)));
    m_referenceFile = m_dir.filePath(QStringLiteral("small.lumc"));
    QVERIFY(ReadOutOracle::writeReadOut(menu, m_referenceFile));
    m_referenceTree = TreeText::ofDocument(ReadOutOracle::expect(menu).document);
}

void tst_ReliabilityFaults::lineLostOrSilent_endsJobWithMessage_data()
{
    QTest::addColumn<bool>("dropped"); // the line is hung up; otherwise the device falls silent
    QTest::addColumn<QString>("job");
    QTest::addColumn<int>("keys"); // answered before, counted from the start of the job
    QTest::addColumn<QString>("expectedError"); // its beginning; empty: a quiet close
    const QString lost = QString::fromUtf8("!\nVerbindung zum Gerät wurde getrennt!");
    const QString transferFailed = QString::fromUtf8("Fehler beim Übertragen");
    QTest::newRow("line dropped while idle") << true << "idle" << 0 << QString();
    QTest::newRow("line dropped while identifying") << true << "identify" << 2 << QString();
    QTest::newRow("line dropped during the read-out")
            << true << "read" << 12 << "Fehler beim Auslesen" + lost;
    QTest::newRow("line dropped during the transfer")
            << true << "transfer" << 9 << transferFailed + lost;
    QTest::newRow("silent from the first key of a read-out") << false << "read" << 0 << "Fehler b";
    // Silent while the walk stands on the configuration menu's own level:
    // the same screen again is no end of the menu.
    QTest::newRow("silent on the top level") << false << "read" << 16 << "Fehler b";
    QTest::newRow("silent on the way to the settings")
            << false << "transfer" << 8 << transferFailed;
}

// Whatever happens, the job ends with a message (a lost line while idle or
// identifying closes quietly), no busy loop, a profile that holds either
// nothing read or what it held, a transfer not reported done, and the same
// window identifies a healthy device afterwards.
void tst_ReliabilityFaults::lineLostOrSilent_endsJobWithMessage()
{
    QFETCH(bool, dropped);
    QFETCH(QString, job);
    QFETCH(int, keys);
    QFETCH(QString, expectedError);
    RobotHarness harness;
    QString error;
    QVERIFY2(harness.startWithMenuText(QString::fromUtf8(smallMenu), &error), qPrintable(error));
    // The read-out is loaded from the reference file rather than read again.
    harness.profile().loadFromFile(m_referenceFile);
    QCOMPARE(TreeText::ofDocument(harness.profile().document()), m_referenceTree);
    if (job == "transfer") {
        for (const QStringList &path : { rufnummer, serverPort }) {
            harness.item(path)->setValue(path == rufnummer ? "4711" : "6000");
            harness.item(path)->setActive(true);
        }
    }
    const QString treeBefore = TreeText::ofDocument(harness.profile().document());
    DeviceSimulator &device = harness.device();
    QSignalSpy errors(&harness.bot(), &LumBot::transmissionError);
    if (job == "idle")
        device.stop();
    else if (dropped)
        device.setDropAfterKeys(keys);
    else
        device.setSilentAfterKeys(keys);
    if (job == "identify")
        harness.bot().startInit();
    else if (job == "read")
        harness.bot().startDownload();
    else if (job == "transfer")
        harness.bot().startUpload();

    // An unanswered key is completed after about a second with the old
    // screen; the repetition limits end the job after a few of them.
    if (dropped)
        QVERIFY(RobotHarness::waitFor(
                &harness.link(), &KelHandler::terminalIsReadyChanged,
                [&] { return !harness.link().terminalIsReady(); }, 20000));
    QVERIFY(harness.waitUntilIdle(30000));
    QCOMPARE(errors.count(), expectedError.isEmpty() ? 0 : 1);
    QVERIFY2(harness.bot().lastErrorString().startsWith(expectedError),
             qPrintable(harness.bot().lastErrorString() + "\n"
                        + TreeText::ofDocument(harness.profile().document())));
    QCOMPARE(harness.link().terminalIsReady(), !dropped);
    QVERIFY(!harness.bot().isEnabled());
    if (job == "read") {
        QVERIFY(harness.bot().deviceIdentifier().isEmpty());
        QVERIFY2(holdsOnlyHint(harness.profile()),
                 qPrintable(TreeText::ofDocument(harness.profile().document())));
    } else {
        // Nothing was read, so nothing may be lost: the configuration on
        // screen stays as it was (the transfer wrote nothing back into it).
        QCOMPARE(TreeText::ofDocument(harness.profile().document()), treeBefore);
    }
    if (job == "transfer") {
        // The device holds for each setting either its old value or the
        // wanted one, and the last setting was not reached.
        QVERIFY2(QStringList({ "0815", "4711" }).contains(device.value(rufnummer)),
                 qPrintable(device.value(rufnummer)));
        QCOMPARE(device.value(serverPort), QStringLiteral("5000"));
    }

    // Keys into a closed port go nowhere; a port or timer gone wild would
    // spin while the event loop runs with nothing to do.
    const int errorsSoFar = errors.count();
    if (dropped)
        harness.link().sendChar('+');
    const std::clock_t before = std::clock();
    QTest::qWait(1000);
    const double cpu = double(std::clock() - before) / CLOCKS_PER_SEC;
    QVERIFY2(cpu < 0.5, qPrintable(QStringLiteral("%1 s of CPU time in 1 s of waiting").arg(cpu)));
    QVERIFY(harness.isIdle());
    QCOMPARE(errors.count(), errorsSoFar);

    // A healthy device: a new one on a new line, or the same one speaking again.
    DeviceSimulator fresh;
    if (dropped) {
        QVERIFY2(fresh.loadMenuText(QString::fromUtf8(smallMenu), &error) && fresh.start(&error),
                 qPrintable(error));
        QVERIFY(harness.link().openSerialPortByName(fresh.portPath()));
    } else {
        device.setSilentAfterKeys(-1);
    }
    QVERIFY(identifies(harness));
}

void tst_ReliabilityFaults::troubledLine_readOutStillGivesSameTree_data()
{
    QTest::addColumn<QStringList>("trouble"); // options of lum-devsim
    QTest::addColumn<bool>("mayFail"); // with a message, and nothing read
    QTest::addColumn<bool>("screenKept"); // the trouble leaves the screens' text as it was
    QTest::newRow("every answer 300 ms late") << QStringList{ "--delay", "300" } << false << true;
    // Well below the link's quiet gap of 50 ms, so that a busy machine
    // holding up the device for a moment does not end a screen early.
    QTest::newRow("answers byte by byte, 10 ms apart")
            << QStringList{ "--byte-gap", "10" } << false << true;
    // Noise that leaves the screen's text as it was, and a screen of its own
    // drawn in the middle of the walk, which looks like any menu entry: no
    // program can tell it from one, but LUM must end in order.
    QTest::newRow("carriage return every 700 ms")
            << QStringList{ "--noise", "700", "--noise-bytes", "\\x0d" } << true << true;
    QTest::newRow("status screen every 1500 ms")
            << QStringList{ "--noise", "1500", "--noise-bytes",
                            "\\x0cGSM-Netz: gut\\x0d\\x0aSignal 18" }
            << true << false;
}

// The device runs in a process of its own, as a real one keeps its own time.
// Should a busy machine hold it up for longer than the link's quiet gap
// inside an answer (it says so when it ends), the line really was quiet and
// the run proves nothing: it is repeated.
void tst_ReliabilityFaults::troubledLine_readOutStillGivesSameTree()
{
    QFETCH(QStringList, trouble);
    QFETCH(bool, mayFail);
    QFETCH(bool, screenKept);
    QFile menuFile(m_dir.filePath(QStringLiteral("small.menu")));
    QVERIFY(menuFile.open(QIODevice::WriteOnly) && menuFile.write(smallMenu) > 0);
    menuFile.close();
    for (int attempt = 1;; ++attempt) {
        QProcess device;
        device.start(LUM_DEVSIM_PATH,
                     QStringList{ "--menu", menuFile.fileName(), "--link",
                                  m_dir.filePath("ttyTroubled") }
                             + trouble);
        QVERIFY(device.waitForReadyRead(30000));
        RobotHarness harness;
        QVERIFY(harness.link().openSerialPortByName(
                QString::fromLocal8Bit(device.readLine()).trimmed()));
        QSignalSpy errors(&harness.bot(), &LumBot::transmissionError);
        harness.bot().startDownload();
        const bool ended = harness.waitUntilIdle(240000);
        if (!ended && mayFail)
            harness.bot().abort();
        QVERIFY(harness.isIdle() && harness.link().terminalIsReady());
        harness.link().closeSerialPort();
        device.terminate();
        QVERIFY(device.waitForFinished(10000));
        static const QRegularExpression gapLine("longest gap inside an answer (\\d+) ms");
        const int longestGap = gapLine.match(QString::fromLocal8Bit(device.readAllStandardError()))
                                       .captured(1)
                                       .toInt();
        if (longestGap >= 50 && attempt < 3)
            continue;
        if (longestGap >= 50)
            QSKIP(qPrintable(QStringLiteral("the machine held the device up for %1 ms, three times")
                                     .arg(longestGap)));
        const QString tree = TreeText::ofDocument(harness.profile().document());
        if (mayFail && (!ended || !errors.isEmpty()))
            QVERIFY2(holdsOnlyHint(harness.profile()), qPrintable(tree));
        else if (screenKept) // finished without complaint: then what it read must be the menu
            QVERIFY2(errors.isEmpty() && tree == m_referenceTree,
                     qPrintable(harness.bot().lastErrorString()
                                + TreeText::diffTrees(m_referenceTree, tree)));
        else
            QVERIFY(!harness.profile().items().isEmpty());
        return;
    }
}

// The robot tells a silent device from the end of a list by the link's
// word that the last key went unanswered: the screen completed after the
// extra wait repeats the old one. Each key starts that question anew.
void tst_ReliabilityFaults::silentDevice_linkSaysTheKeyWentUnanswered()
{
    ScriptedDevice device;
    KelHandler link;
    QVERIFY(device.isOpen() && link.openSerialPortByName(device.slavePath()));
    QSignalSpy completed(&link, &KelHandler::displayCompleted);
    device.queue(QStringLiteral("Notruf"), QStringLiteral("Einstellungen?"));
    link.sendChar('+');
    QVERIFY(completed.wait(5000));
    QVERIFY(link.lastKeyAnswered());
    // The queue is empty: the device stays silent.
    link.sendChar('+');
    QVERIFY(completed.wait(5000));
    QVERIFY(!link.lastKeyAnswered());
    QCOMPARE(link.displayLines().section(QLatin1Char('\n'), 0, 0).trimmed(),
             QStringLiteral("Notruf"));
}

QTEST_GUILESS_MAIN(tst_ReliabilityFaults)
#include "tst_reliability_faults.moc"
