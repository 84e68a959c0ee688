// The window's side of the service record: the "Verlauf" list of history
// copies (filtered to the device at hand, newest first), and the protocol of
// a transfer that had no read-out before it, on the simulated device. Runs
// as a GUI application: the PDF protocol needs its fonts.

#include <QtTest>

#include "csvexport.h"
#include "historylist.h"
#include "lumsession.h"
#include "readouthistory.h"
#include "pdftext.h"
#include "readoutoracle.h"
#include "robotharness.h"
#include "servicerecord.h"
#include "treetext.h"

namespace {

const QString kMenu = ReadOutOracle::scenarioMenuText();
const QString kType = QStringLiteral("ORV-NR4000 V2.31");

QDateTime at(int day, int hour, int minute)
{
    return QDateTime(QDate(2026, 12, day), QTime(hour, minute));
}

// The names of the list's rows, top to bottom.
QStringList rowsOf(const HistoryList &list)
{
    QStringList names;
    for (int row = 0; row < list.rowCount(); ++row)
        names << list.data(list.index(row), HistoryList::FileNameRole).toString();
    return names;
}

bool touch(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly);
}

bool mark(RobotHarness &harness, const QStringList &changes)
{
    for (ConfItem *item : harness.profile().items())
        item->setActive(false);
    for (const QString &change : changes) {
        ConfItem *item = harness.item(change.section('=', 0, 0).split('/'));
        if (!item)
            return false;
        item->setValue(change.section('=', 1));
        item->setActive(true);
    }
    return true;
}

} // namespace

class TestHistoryProtocol : public QObject
{
    Q_OBJECT

private slots:
    void historyListsTheDeviceNewestFirst_data();
    void historyListsTheDeviceNewestFirst();
    void transferProtocolNamesTheCheckedDevice_data();
    void transferProtocolNamesTheCheckedDevice();
    void windowTransferReadsTheSerialNumberFirst_data();
    void windowTransferReadsTheSerialNumberFirst();
    void exportGoesWhereTheDialogSays_data();
    void exportGoesWhereTheDialogSays();
    void siteAndTechnicianAreRemembered();
};

void TestHistoryProtocol::historyListsTheDeviceNewestFirst_data()
{
    QTest::addColumn<QString>("identifier");
    QTest::addColumn<QString>("serialNumber");
    QTest::addColumn<bool>("showAll");
    QTest::addColumn<QStringList>("rows");

    const QString a1 = "ORV-NR4000 V2.31 SN 4711-0815 2026-12-01 09-12.lumc";
    const QString a2 = "ORV-NR4000 V2.31 SN 4711-0815 2026-12-07 15-55.lumc";
    const QString a3 = "ORV-NR4000 V2.31 SN 4711-0815 2026-12-07 15-55 (2).lumc";
    const QString b1 = "ORV-NR4000 V2.31 SN 4711-0977 2026-12-03 10-05.lumc";
    const QString n1 = "ORV-NR4000 V2.31 2026-11-30 08-00.lumc";
    const QString o1 = "ORV-NR2000 V1.10 SN 4711-0815 2026-12-05 12-00.lumc";
    QTest::newRow("device with its serial number: its own copies only")
            << kType << "4711-0815" << false << QStringList{ a3, a2, a1 };
    QTest::newRow("serial number not read yet: every copy of the type")
            << kType << "" << false << QStringList{ a3, a2, b1, a1, n1 };
    QTest::newRow("no device at hand: every copy")
            << "" << "" << false << QStringList{ a3, a2, o1, b1, a1, n1 };
    QTest::newRow("all shown though a device is at hand")
            << kType << "4711-0815" << true << QStringList{ a3, a2, o1, b1, a1, n1 };
}

// The copies are listed by what their names say; files of other names are
// no copies.
void TestHistoryProtocol::historyListsTheDeviceNewestFirst()
{
    QFETCH(QString, identifier);
    QFETCH(QString, serialNumber);
    QFETCH(bool, showAll);
    QFETCH(QStringList, rows);

    QTemporaryDir folder;
    const QDir dir(folder.path());
    QVERIFY(touch(dir.filePath(ReadoutHistory::entryName(kType, at(1, 9, 12), "4711-0815") + ".lumc")));
    QVERIFY(touch(dir.filePath(ReadoutHistory::entryName(kType, at(7, 15, 55), "4711-0815") + ".lumc")));
    QVERIFY(touch(ReadoutHistory::freePath(
            folder.path(), ReadoutHistory::entryName(kType, at(7, 15, 55), "4711-0815"), ".lumc")));
    QVERIFY(touch(dir.filePath(ReadoutHistory::entryName(kType, at(3, 10, 5), "4711-0977") + ".lumc")));
    QVERIFY(touch(dir.filePath(QStringLiteral("ORV-NR4000 V2.31 2026-11-30 08-00.lumc"))));
    QVERIFY(touch(dir.filePath(
            ReadoutHistory::entryName("ORV-NR2000 V1.10", at(5, 12, 0), "4711-0815") + ".lumc")));
    QVERIFY(touch(dir.filePath("Vorlage Haus Süd.lumc")));
    QVERIFY(touch(dir.filePath(ReadoutHistory::entryName(kType, at(7, 16, 0), "4711-0815") + ".txt")));

    HistoryList list;
    list.setFolder(folder.path());
    list.setDevice(identifier, serialNumber);
    list.setShowAll(showAll);
    QCOMPARE(rowsOf(list), rows);
    QCOMPARE(list.count(), rows.size());
    QCOMPARE(list.path(0), dir.filePath(rows.first()));
    const QModelIndex top = list.index(0);
    QCOMPARE(list.data(top, HistoryList::DateRole).toString(), "07.12.2026");
    QCOMPARE(list.data(top, HistoryList::TimeRole).toString(), "15:55");
    QCOMPARE(list.data(top, HistoryList::SerialNumberRole).toString(), "4711-0815");
    QCOMPARE(list.data(top, HistoryList::DeviceRole).toString(), kType);
}

void TestHistoryProtocol::transferProtocolNamesTheCheckedDevice_data()
{
    QTest::addColumn<bool>("checkFirst");
    QTest::addColumn<bool>("serialOnly");
    QTest::addColumn<bool>("cableMoved");
    QTest::addColumn<bool>("serialKnown");

    QTest::newRow("checked before the transfer") << true << false << false << true;
    QTest::newRow("checked, then the cable moved to the next lift") << true << false << true << false;
    QTest::newRow("neither read out nor checked") << false << false << false << false;
    // The window's transfer of a file of one lift reads the serial number
    // first: no values to disagree, the lift is named all the same.
    QTest::newRow("its serial number checked alone") << true << true << false << true;
}

// A transfer with no read-out of the device in this session: a check of the
// device before it (the comparison) saw its serial number, so the protocol
// names the lift and takes "vorher" from its own copy in the history. What
// the transfer sees of another lift (a setting showing another value than
// the check saw) names no serial number at all.
void TestHistoryProtocol::transferProtocolNamesTheCheckedDevice()
{
    QFETCH(bool, checkFirst);
    QFETCH(bool, serialOnly);
    QFETCH(bool, cableMoved);
    QFETCH(bool, serialKnown);

    QTemporaryDir documents;
    RobotHarness harness;
    QString error;
    QVERIFY2(harness.startWithMenuText(kMenu, &error), qPrintable(error));
    {
        // An earlier session's read-out of lift 4711: its copy in the history.
        ServiceRecord earlier;
        earlier.setDocumentsFolder(documents.path());
        earlier.setBot(&harness.bot());
        harness.bot().startDownload();
        QVERIFY(harness.waitUntilIdle(RobotHarness::readOutTimeoutMs()));
        QCOMPARE(earlier.history()->serialNumber(), "4711");
        QCOMPARE(earlier.history()->count(), 1);
    }

    ServiceRecord record;
    record.setDocumentsFolder(documents.path());
    record.setBot(&harness.bot());
    record.setSite("Haus Süd, Aufzug 2");
    if (checkFirst) {
        if (serialOnly)
            harness.bot().startSerialCheck();
        else
            harness.bot().startCheck(true);
        QVERIFY(harness.waitUntilIdle(RobotHarness::readOutTimeoutMs()));
        QCOMPARE(harness.bot().lastResult().deviceSerialNumber, "4711");
        QCOMPARE(harness.bot().lastResult().checked.size() == 1, serialOnly);
    }
    if (cableMoved) {
        QVERIFY2(harness.device().loadMenuText(QString(kMenu)
                                                       .replace("Seriennummer = 4711",
                                                                "Seriennummer = 4712")
                                                       .replace("Haltezeit = 10", "Haltezeit = 20"),
                                               &error),
                 qPrintable(error));
    }
    QVERIFY(mark(harness, { "Anlage/Modus=Hand", "Anlage/Tiefer/Haltezeit=30" }));
    QSignalSpy reports(&record, &ServiceRecord::reportWritten);
    harness.bot().startUpload();
    QVERIFY(reports.wait(RobotHarness::readOutTimeoutMs()));
    QVERIFY(harness.waitUntilIdle(RobotHarness::readOutTimeoutMs()));

    QVERIFY2(!record.lastProtocolFile().isEmpty(), qPrintable(record.lastError()));
    const QString text = PdfText::of(record.lastProtocolFile());
    QVERIFY2(PdfText::hasRow(text, { "Gerät", "TST-R V1.0" }) && PdfText::hasRow(text, { "Anlage", "Haus Süd, Aufzug 2" }),
             qPrintable(text));
    QCOMPARE(PdfText::hasRow(text, { "Seriennummer", "4711" }), serialKnown);
    QCOMPARE(record.lastProtocolFile().contains("SN 4711"), serialKnown);
    QVERIFY2(!text.contains("4711") || serialKnown, qPrintable(text));
    const QString haltezeitBefore = cableMoved ? "20" : "10";
    QVERIFY2(PdfText::hasRow(text, { "Anlage/Tiefer/Haltezeit", haltezeitBefore, "30", "übernommen" }),
             qPrintable(text));
    // What was found of the settings not written: from the lift's own copy
    // when it is known.
    QCOMPARE(record.lastReport().contains("Verlauf, "), serialKnown);
    // The window's list follows the device the check saw.
    QCOMPARE(record.history()->serialNumber(), checkFirst ? "4711" : "");
}

void TestHistoryProtocol::windowTransferReadsTheSerialNumberFirst_data()
{
    QTest::addColumn<QString>("fileSerial");
    QTest::addColumn<QString>("event"); // during the check: "abort", "line lost" or none
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("transferred");

    QTest::newRow("the lift's own file") << "4711" << "" << false << true;
    QTest::newRow("another lift's file") << "4712" << "" << true << false;
    QTest::newRow("check cancelled") << "4711" << "abort" << false << false;
    QTest::newRow("line lost in the check") << "4712" << "line lost" << false << false;
}

// The window's "übertragen" with a file saved from one lift, right after
// connecting: the robot reads the serial number (and only it), then the
// transfer runs or the technician is asked, naming both lifts. A check that
// did not end leaves it at that. The transfer's protocol names the lift.
void TestHistoryProtocol::windowTransferReadsTheSerialNumberFirst()
{
    QFETCH(QString, fileSerial);
    QFETCH(QString, event);
    QFETCH(bool, asked);
    QFETCH(bool, transferred);

    QTemporaryDir folder;
    DeviceSimulator device;
    QString error;
    QVERIFY2(device.loadMenuText(kMenu, &error) && device.start(&error), qPrintable(error));
    LumSession session;
    session.record()->setDocumentsFolder(folder.path());
    LumBot &bot = *session.bot();
    QVERIFY2(session.link()->openSerialPortByName(device.portPath()),
             qPrintable(session.link()->lastErrorString()));
    bot.startInit();
    QVERIFY(RobotHarness::waitUntilIdle(bot, RobotHarness::readOutTimeoutMs()));
    const QString type = bot.deviceIdentifier().trimmed();
    QCOMPARE(type, "TST-R V1.0");

    // A file saved from lift `fileSerial` of this type, one setting marked.
    const QString file = folder.filePath("aufzug.lumc");
    QVERIFY(ReadOutOracle::writeReadOut(device.menu(), file));
    DeviceProfile &profile = *session.profile();
    QVERIFY(profile.load(file));
    DeviceOrigin origin;
    origin.identifier = type;
    origin.serialNumber = fileSerial;
    profile.setOrigin(origin);
    for (ConfItem *item : profile.items()) {
        if (item->menuPath() == QStringList{ "Anlage", "Modus" }) {
            item->setValue("Hand");
            item->setActive(true);
        }
    }
    QCOMPARE(profile.markedCount(), 1);
    const QString treeBefore = TreeText::compact(TreeText::menuTreeOf(profile.document()));
    const QString stateBefore = RobotHarness::deviceState(device);

    QSignalSpy questions(&session, &LumSession::otherDeviceQuestionAsked);
    QSignalSpy started(&bot, &LumBot::transferStarted);
    device.clearRecords();
    if (event == "line lost")
        device.setDropAfterKeys(4);
    session.transfer();
    QVERIFY(bot.isEnabled() && session.transferPending());
    QVERIFY(bot.lastResult().serialNumberOnly);
    if (event == "abort")
        bot.abort();
    QVERIFY(RobotHarness::waitFor(
            &session, &LumSession::transferPendingChanged,
            [&] { return !session.transferPending(); }, RobotHarness::readOutTimeoutMs()));
    QVERIFY(RobotHarness::waitUntilIdle(bot, RobotHarness::readOutTimeoutMs()));

    QCOMPARE(questions.count(), asked ? 1 : 0);
    QCOMPARE(started.count(), transferred ? 1 : 0);
    if (asked) {
        QCOMPARE(questions.first().first().toString(),
                 "Die Konfiguration gehört zu einem anderen Gerät:\n"
                 "Datei von TST-R V1.0, Nr. 4712; angeschlossen: TST-R V1.0, Nr. 4711\n"
                 "Trotzdem übertragen?");
    }
    if (!transferred) {
        // Along the lists and into the serial number's section only: the
        // device and the editor as they were.
        const QString keys = QString::fromLatin1(device.receivedKeys());
        QVERIFY2(QRegularExpression(QStringLiteral("^[+\\r\\x1b]*$")).match(keys).hasMatch(),
                 qPrintable(keys));
        // OK into "Anlage", the serial number's section, once the walk got there.
        QVERIFY2(asked ? keys.count('\r') == 1 : keys.count('\r') <= 1, qPrintable(keys));
        QCOMPARE(RobotHarness::deviceState(device), stateBefore);
        QCOMPARE(TreeText::compact(TreeText::menuTreeOf(profile.document())), treeBefore);
        QVERIFY(!profile.hasComparison());
        return;
    }
    QCOMPARE(device.value({ "Anlage", "Modus" }), "Hand");
    QCOMPARE(session.connectedSerialNumber(), "4711");
    QVERIFY2(!session.record()->lastProtocolFile().isEmpty(), qPrintable(session.record()->lastError()));
    const QString text = PdfText::of(session.record()->lastProtocolFile());
    QVERIFY2(PdfText::hasRow(text, { "Seriennummer", "4711" }), qPrintable(text));
    QVERIFY2(PdfText::hasRow(text, { "Anlage/Modus", "Auto", "Hand", "übernommen" }), qPrintable(text));
}

void TestHistoryProtocol::exportGoesWhereTheDialogSays_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("written"); // in the dialog's folder

    QTest::newRow("a name without an ending gets .csv") << "Haus Süd" << "Haus Süd.csv";
    QTest::newRow("the dialog's file URL") << "@/Anlage 2.csv" << "Anlage 2.csv";
    QTest::newRow("an ending of its own stays") << "liste.txt" << "liste.txt";
    QTest::newRow("a dotted name gets no second ending") << "Aufzug 2.1.csv" << "Aufzug 2.1.csv";
}

// "CSV exportieren": the configuration on screen, the same bytes lumctl
// writes, into the file the save dialog names.
void TestHistoryProtocol::exportGoesWhereTheDialogSays()
{
    QFETCH(QString, chosen);
    QFETCH(QString, written);
    QTemporaryDir folder;
    const QString folderUrl = QUrl::fromLocalFile(folder.path()).toString();
    chosen.replace("@", folderUrl);

    LumSession session;
    QVERIFY(session.profile()->load(QStringLiteral(LUM_SOURCE_DIR "/tests/qml/data/editor.lumc")));
    const QString path = QDir(folder.path()).filePath(written);
    QCOMPARE(LumSession::csvPathFor(chosen, folderUrl), path);
    QCOMPARE(session.exportCsv(chosen, folderUrl), QString());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QCOMPARE(bytes, CsvExport::csv(*session.profile()));
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF") && bytes.count("\r\n") > 3);

    QVERIFY(!session.exportCsv(QUrl::fromLocalFile(folder.filePath("fehlt/x.csv")).toString(),
                               folderUrl)
                     .isEmpty());
}

// Given once, the site and the technician are there again in the next
// window, in the record its protocols are written by.
void TestHistoryProtocol::siteAndTechnicianAreRemembered()
{
    QStandardPaths::setTestModeEnabled(true);
    QSettings().remove("Protokoll");
    {
        LumSession first;
        QVERIFY(!first.siteAndTechnicianAsked());
        QCOMPARE(first.record()->site(), QString());
        QSignalSpy asked(&first, &LumSession::siteAndTechnicianAskedChanged);
        first.setSiteAndTechnician(" Haus Süd, Aufzug 2 ", "M. Berger");
        QCOMPARE(asked.count(), 1);
        QVERIFY(first.siteAndTechnicianAsked());
        QCOMPARE(first.record()->site(), "Haus Süd, Aufzug 2");
    }
    LumSession next;
    QVERIFY(next.siteAndTechnicianAsked());
    QCOMPARE(next.record()->site(), "Haus Süd, Aufzug 2");
    QCOMPARE(next.record()->technician(), "M. Berger");
    next.setSiteAndTechnician("", "");
    LumSession empty;
    QVERIFY2(empty.siteAndTechnicianAsked(), "left empty on purpose: not asked again");
    QCOMPARE(empty.record()->site(), QString());
    QSettings().remove("Protokoll");
}

QTEST_MAIN(TestHistoryProtocol)
#include "tst_historyprotocol.moc"
