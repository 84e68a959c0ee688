// The service record on the simulated device, as a technician meets it: a
// read-out leaves a copy in the history, a transfer a report whose columns
// say what the device held before and what became of each marked setting,
// and the copy brings the device back. Expected values come from the menu
// text below.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "lumcfile.h"
#include "readouthistory.h"
#include "robotharness.h"
#include "servicerecord.h"
#include "simmenu.h"
#include "transferreport.h"

namespace {

const QString kMenu = QStringLiteral("device TST-R V1.0\n"
                                     "section Anlage\n"
                                     "    selection Modus = Auto\n"
                                     "        options: Auto | Hand | Aus\n"
                                     "    input Rufnummer = 12\n"
                                     "    time Timerzeit Test = 08:00\n"
                                     "    readonly Seriennummer = 4711\n"
                                     "    section Tiefer\n"
                                     "        input Haltezeit = 10\n"
                                     "        selection Relais = Ein\n"
                                     "            options: Ein | Aus\n"
                                     "selection Sprache = Deutsch\n"
                                     "    options: Deutsch | English\n");

struct ReportLine
{
    QString before;
    QString value;
    QString outcome;
};

QString readText(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    return QString::fromUtf8(file.readAll());
}

// The table of a report by menu path, and its head lines.
QHash<QString, ReportLine> tableOf(const QString &text, QStringList *head = nullptr)
{
    QHash<QString, ReportLine> table;
    bool inTable = false;
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        const QStringList cells = line.split(QStringLiteral(" | "));
        if (cells.size() == 4 && inTable)
            table.insert(cells.at(0).trimmed(),
                         { cells.at(1).trimmed(), cells.at(2).trimmed(), cells.at(3).trimmed() });
        else if (cells.size() == 4)
            inTable = true; // the column heads
        else if (head && !line.isEmpty())
            head->append(line);
    }
    return table;
}

// Runs lumctl while the event loop goes on, so the simulator in this process
// answers it. Returns its standard output, or a null string on failure.
QString runLumctl(const QStringList &arguments, const QString &documents)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LUM_DOCUMENTS_DIR"), documents);
    process.setProcessEnvironment(environment);
    QSignalSpy finished(&process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished));
    process.start(QStringLiteral(LUMCTL_PATH), arguments);
    if (!finished.wait(RobotHarness::readOutTimeoutMs()) || process.exitCode() != 0) {
        qWarning().noquote() << process.readAllStandardError();
        return QString();
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

using Changes = QVector<QPair<QString, QString>>;

// Gives the settings (by menu path) their new values and marks them.
bool mark(RobotHarness &harness, const Changes &changes)
{
    for (const auto &change : changes) {
        ConfItem *item = harness.item(change.first.split(QLatin1Char('/')));
        if (!item)
            return false;
        item->setValue(change.second);
        item->setActive(true);
    }
    return true;
}

bool waitForIdle(LumBot &bot)
{
    QSignalSpy changes(&bot, &LumBot::enabledChanged);
    while (bot.isEnabled()) {
        if (!changes.wait(RobotHarness::readOutTimeoutMs()))
            return false;
    }
    return true;
}

} // namespace

class TestServiceRecord : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void historyFileNameHoldsIdentifierDateAndTime_data();
    void historyFileNameHoldsIdentifierDateAndTime();
    void newestHistoryFileOfDevice_data();
    void newestHistoryFileOfDevice();
    void recordsAreWrittenWholeOrNotAtAll_data();
    void recordsAreWrittenWholeOrNotAtAll();
    void readOutTransferAndRestoreFromHistory();
    void stoppedTransferReportNamesWrittenAndUnwritten_data();
    void stoppedTransferReportNamesWrittenAndUnwritten();
    void unwritableHistoryIsSaidButReadOutStands();
    void lumctlKeepsTheRecord_data();
    void lumctlKeepsTheRecord();

private:
    // Reads the simulated device out with a record kept in `documents`.
    bool readOut(RobotHarness &harness, ServiceRecord &record);

    SimMenu m_menu;
};

void TestServiceRecord::initTestCase()
{
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    qRegisterMetaType<QProcess::ExitStatus>(); // for the spy on lumctl's end
    QString error;
    QVERIFY2(m_menu.parse(kMenu, &error), qPrintable(error));
}

bool TestServiceRecord::readOut(RobotHarness &harness, ServiceRecord &record)
{
    QString error;
    if (!harness.startWithMenuText(kMenu, &error)) {
        qWarning() << error;
        return false;
    }
    record.setBot(&harness.bot());
    QSignalSpy errors(&harness.bot(), &LumBot::transmissionError);
    harness.bot().startDownload();
    return waitForIdle(harness.bot()) && errors.isEmpty() && harness.profile().items().size() > 1;
}

void TestServiceRecord::historyFileNameHoldsIdentifierDateAndTime_data()
{
    QTest::addColumn<QString>("identifier");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain identifier") << "ORV-NR4000 V2.31"
                                      << "ORV-NR4000 V2.31 2026-12-06 14-05";
    QTest::newRow("characters no file name holds")
            << "ORV/NR:4000 <V2> \"x\" a\\b|c?*"
            << "ORV_NR_4000 _V2_ _x_ a_b_c__ 2026-12-06 14-05";
    QTest::newRow("control character and trailing dot")
            << QStringLiteral("ORV\x01NR V2.") << "ORV_NR V2 2026-12-06 14-05";
    QTest::newRow("no identifier") << ""
                                   << "unbekanntes Gerät 2026-12-06 14-05";
}

void TestServiceRecord::historyFileNameHoldsIdentifierDateAndTime()
{
    QFETCH(QString, identifier);
    QFETCH(QString, expected);
    const QDateTime when(QDate(2026, 12, 6), QTime(14, 5, 59));
    QCOMPARE(ReadoutHistory::entryName(identifier, when), expected);
}

void TestServiceRecord::newestHistoryFileOfDevice_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("newest");
    QTest::newRow("later day") << QStringList{ "A 2026-12-07 09-00.lumc",
                                               "A 2026-12-06 14-05.lumc" }
                               << "A 2026-12-07 09-00.lumc";
    QTest::newRow("second copy of the same minute")
            << QStringList{ "A 2026-12-06 14-05.lumc", "A 2026-12-06 14-05 (2).lumc" }
            << "A 2026-12-06 14-05 (2).lumc";
    QTest::newRow("tenth copy after the ninth")
            << QStringList{ "A 2026-12-06 14-05 (9).lumc", "A 2026-12-06 14-05 (10).lumc" }
            << "A 2026-12-06 14-05 (10).lumc";
    QTest::newRow("other device whose name starts alike")
            << QStringList{ "A V2 2026-12-08 10-00.lumc", "A 2026-12-06 14-05.lumc",
                            "A 2026-12-09 10-00.txt" }
            << "A 2026-12-06 14-05.lumc";
    QTest::newRow("none of this device") << QStringList{ "B 2026-12-06 14-05.lumc" } << "";
}

void TestServiceRecord::newestHistoryFileOfDevice()
{
    QFETCH(QStringList, files);
    QFETCH(QString, newest);
    QTemporaryDir folder;
    for (const QString &name : files)
        QVERIFY(QFile(folder.filePath(name)).open(QIODevice::WriteOnly));
    QCOMPARE(QFileInfo(ReadoutHistory::newestFile(folder.path(), QStringLiteral("A"))).fileName(),
             newest);
}

void TestServiceRecord::recordsAreWrittenWholeOrNotAtAll_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::newRow("copy of the same minute") << "taken";
    QTest::newRow("folder is a file") << "file";
    QTest::newRow("folder not writable") << "readonly";
}

void TestServiceRecord::recordsAreWrittenWholeOrNotAtAll()
{
    QFETCH(QString, obstacle);
    QTemporaryDir base;
    QVERIFY(base.isValid());
    const QString folder = base.filePath(QStringLiteral("Verlauf"));
    const QDateTime when(QDate(2026, 12, 6), QTime(14, 5));
    const QString firstName = QStringLiteral("TST-R V1.0 2026-12-06 14-05.lumc");
    const QByteArray earlier("earlier copy\n");
    if (obstacle == QLatin1String("file")) {
        QFile file(folder);
        QVERIFY(file.open(QIODevice::WriteOnly));
    } else {
        QVERIFY(QDir().mkpath(folder));
        QFile file(QDir(folder).filePath(firstName));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(earlier);
    }
    if (obstacle == QLatin1String("readonly")) {
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        if (QFileInfo(folder).isWritable())
            QSKIP("running with rights that ignore the folder's permissions");
    }

    QDomDocument document;
    LumcFile::ParseError parseError;
    QVERIFY(LumcFile::parse("<deviceProfile version=\"1.0\"><menuTree><setting text=\"Modus\" "
                            "value=\"Hand\"/></menuTree></deviceProfile>",
                            &document, &parseError));
    QString error;
    const QString written =
            ReadoutHistory::save(folder, document, QStringLiteral("TST-R V1.0"), when, &error);

    TransferReport report;
    report.setDeviceIdentifier(QStringLiteral("TST-R V1.0"));
    report.setTime(when);
    QString reportError;
    const QString reportWritten = report.save(folder, &reportError);

    if (obstacle == QLatin1String("taken")) {
        QCOMPARE(QFileInfo(written).fileName(),
                 QStringLiteral("TST-R V1.0 2026-12-06 14-05 (2).lumc"));
        DeviceProfile copy;
        QVERIFY(copy.load(written));
        QCOMPARE(copy.items().value(0)->value(), QStringLiteral("Hand"));
        QCOMPARE(QFileInfo(reportWritten).fileName(),
                 QStringLiteral("TST-R V1.0 2026-12-06 14-05.txt"));
    } else {
        QVERIFY(written.isEmpty());
        QVERIFY2(error.contains(QDir::toNativeSeparators(folder)), qPrintable(error));
        QVERIFY(reportWritten.isEmpty());
        QVERIFY(!reportError.isEmpty());
    }
    if (obstacle != QLatin1String("file")) {
        // The earlier copy is untouched and nothing half-written is left.
        QFile file(QDir(folder).filePath(firstName));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), earlier);
        const QStringList left = QDir(folder).entryList(QDir::Files | QDir::Hidden);
        QCOMPARE(left.size(), obstacle == QLatin1String("taken") ? 3 : 1);
        QFile::setPermissions(
                folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
}

void TestServiceRecord::readOutTransferAndRestoreFromHistory()
{
    QTemporaryDir documents;
    QVERIFY(documents.isValid());
    RobotHarness harness;
    ServiceRecord record;
    record.setDocumentsFolder(documents.path());
    QSignalSpy histories(&record, &ServiceRecord::historyWritten);
    const QString before =
            ReadoutHistory::entryName(m_menu.identifier, QDateTime::currentDateTime());
    QVERIFY(readOut(harness, record));
    const QString after =
            ReadoutHistory::entryName(m_menu.identifier, QDateTime::currentDateTime());

    // A copy of the read-out, named after the device and the minute.
    QCOMPARE(histories.count(), 1);
    const QString history = record.lastHistoryFile();
    QCOMPARE(QFileInfo(history).absolutePath(),
             QDir(documents.path()).filePath(QStringLiteral("Kestrom LUM/Verlauf")));
    const QString name = QFileInfo(history).completeBaseName();
    QVERIFY2(name == before || name == after, qPrintable(name));
    DeviceProfile firstReadOut;
    QVERIFY(firstReadOut.load(history));
    QVector<QPair<QStringList, QString>> original;
    for (const ConfItem *item : firstReadOut.items()) {
        if (item->element().isNull())
            continue;
        QVERIFY2(!item->active(), "the copy is the read-out as it was, unmarked");
        QCOMPARE(item->value(), harness.device().value(item->menuPath()));
        original.append({ item->menuPath(), item->value() });
    }
    QCOMPARE(original.size(), 7);

    // Four settings changed, and a read-only one marked as a hand-edited
    // file may have it.
    const Changes changes{ { "Anlage/Modus", "Hand" },
                           { "Anlage/Rufnummer", "0815" },
                           { "Anlage/Timerzeit Test", "09:30" },
                           { "Anlage/Tiefer/Relais", "Aus" } };
    QVERIFY(mark(harness, changes));
    harness.item({ QStringLiteral("Anlage"), QStringLiteral("Seriennummer") })->setActive(true);

    QSignalSpy reports(&record, &ServiceRecord::reportWritten);
    harness.bot().startUpload();
    QVERIFY(reports.wait(RobotHarness::readOutTimeoutMs()));
    QVERIFY(waitForIdle(harness.bot()));
    QStringList head;
    QHash<QString, ReportLine> table = tableOf(readText(record.lastReportFile()), &head);
    QCOMPARE(QFileInfo(record.lastReportFile()).absolutePath(),
             QDir(documents.path()).filePath(QStringLiteral("Kestrom LUM/Protokolle")));
    QVERIFY2(head.contains(QStringLiteral("Gerät: TST-R V1.0")), qPrintable(head.join('\n')));
    QCOMPARE(table.size(), 5);
    const QHash<QString, QString> menuValues{ { "Anlage/Modus", "Auto" },
                                              { "Anlage/Rufnummer", "12" },
                                              { "Anlage/Timerzeit Test", "08:00" },
                                              { "Anlage/Tiefer/Relais", "Ein" } };
    for (const auto &change : changes) {
        const ReportLine line = table.value(change.first);
        QCOMPARE(line.before, menuValues.value(change.first));
        QCOMPARE(line.value, change.second);
        QCOMPARE(line.outcome, QStringLiteral("übernommen"));
        QCOMPARE(harness.device().value(change.first.split(QLatin1Char('/'))), change.second);
    }
    QCOMPARE(table.value(QStringLiteral("Anlage/Seriennummer")).outcome,
             QStringLiteral("übergangen: nur lesbar"));

    // The copy, every setting marked ("Alle"), puts the device back.
    QVERIFY(harness.profile().load(history));
    for (ConfItem *item : harness.profile().items()) {
        if (!item->element().isNull())
            item->setActive(true);
    }
    harness.bot().startUpload();
    QVERIFY(reports.wait(RobotHarness::readOutTimeoutMs()));
    QVERIFY(waitForIdle(harness.bot()));
    for (const auto &setting : original)
        QCOMPARE(harness.device().value(setting.first), setting.second);
    // This time the values before are those the first transfer wrote.
    table = tableOf(readText(record.lastReportFile()));
    for (const auto &change : changes) {
        QCOMPARE(table.value(change.first).before, change.second);
        QCOMPARE(table.value(change.first).value, menuValues.value(change.first));
    }
}

void TestServiceRecord::stoppedTransferReportNamesWrittenAndUnwritten_data()
{
    QTest::addColumn<bool>("abortByUser");
    QTest::addColumn<QString>("failedOutcome");
    QTest::newRow("device stores another value")
            << false
            << "Fehler beim Übertragen von: Anlage/Tiefer/Haltezeit Übernommener Wert: 5 "
               "Erwarteter Wert: 05";
    QTest::newRow("technician aborts after the first setting") << true << "";
}

void TestServiceRecord::stoppedTransferReportNamesWrittenAndUnwritten()
{
    QFETCH(bool, abortByUser);
    QFETCH(QString, failedOutcome);
    QTemporaryDir documents;
    QVERIFY(documents.isValid());
    RobotHarness harness;
    {
        ServiceRecord readOutRecord;
        readOutRecord.setDocumentsFolder(documents.path());
        QVERIFY(readOut(harness, readOutRecord));
        QVERIFY(!readOutRecord.lastHistoryFile().isEmpty());
    }
    // A later session: the values before come from the history.
    ServiceRecord record;
    record.setDocumentsFolder(documents.path());
    record.setBot(&harness.bot());
    QVERIFY(mark(harness,
                 { { "Anlage/Modus", "Hand" },
                   { "Anlage/Tiefer/Haltezeit", "05" },
                   { "Sprache", "English" } }));
    if (abortByUser) {
        // Queued: as the technician's click, between two screens.
        connect(&harness.bot(), &LumBot::settingTransferred, &harness.bot(), &LumBot::abort,
                Qt::QueuedConnection);
    } else {
        harness.device().setValueAlteration(
                { QStringLiteral("Anlage"), QStringLiteral("Tiefer"), QStringLiteral("Haltezeit") },
                QStringLiteral("05"), QStringLiteral("5"));
    }

    QSignalSpy reports(&record, &ServiceRecord::reportWritten);
    harness.bot().startUpload();
    QVERIFY(reports.wait(RobotHarness::readOutTimeoutMs()));
    QStringList head;
    const QHash<QString, ReportLine> table = tableOf(readText(record.lastReportFile()), &head);
    QCOMPARE(table.size(), 3);
    QCOMPARE(table.value(QStringLiteral("Anlage/Modus")).outcome, QStringLiteral("übernommen"));
    QCOMPARE(table.value(QStringLiteral("Anlage/Modus")).before, QStringLiteral("Auto"));
    QCOMPARE(table.value(QStringLiteral("Anlage/Tiefer/Haltezeit")).before, QStringLiteral("10"));
    QCOMPARE(table.value(QStringLiteral("Sprache")).before, QStringLiteral("Deutsch"));
    QCOMPARE(table.value(QStringLiteral("Sprache")).outcome, QStringLiteral("nicht übertragen"));
    QCOMPARE(table.value(QStringLiteral("Anlage/Tiefer/Haltezeit")).outcome,
             abortByUser ? QStringLiteral("nicht übertragen") : failedOutcome);
    QVERIFY2(head.contains(QStringLiteral("Geschrieben (1): Anlage/Modus")),
             qPrintable(head.join('\n')));
    QVERIFY2(head.contains(
                     QStringLiteral("Nicht geschrieben (2): Anlage/Tiefer/Haltezeit, Sprache")),
             qPrintable(head.join('\n')));
    QCOMPARE(harness.device().value({ QStringLiteral("Sprache") }), QStringLiteral("Deutsch"));
}

void TestServiceRecord::unwritableHistoryIsSaidButReadOutStands()
{
    QTemporaryDir documents;
    QVERIFY(documents.isValid());
    QVERIFY(QDir().mkpath(documents.filePath(QStringLiteral("Kestrom LUM"))));
    QFile blocker(documents.filePath(QStringLiteral("Kestrom LUM/Verlauf")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    RobotHarness harness;
    ServiceRecord record;
    record.setDocumentsFolder(documents.path());
    QSignalSpy failures(&record, &ServiceRecord::recordFailed);
    QVERIFY(readOut(harness, record));
    QCOMPARE(failures.count(), 1);
    QVERIFY2(record.lastError().contains(QStringLiteral("Verlauf")),
             qPrintable(record.lastError()));
    QVERIFY(record.lastHistoryFile().isEmpty());
    QVERIFY(harness.item(
            { QStringLiteral("Anlage"), QStringLiteral("Tiefer"), QStringLiteral("Relais") }));
}

void TestServiceRecord::lumctlKeepsTheRecord_data()
{
    QTest::addColumn<QStringList>("readOptions");
    QTest::addColumn<int>("historyCopies");
    QTest::addColumn<bool>("thenWrite");
    QTest::newRow("read keeps a copy") << QStringList() << 1 << false;
    QTest::newRow("read --no-history keeps none, write --report prints the report it keeps")
            << QStringList{ "--no-history" } << 0 << true;
}

void TestServiceRecord::lumctlKeepsTheRecord()
{
    QFETCH(QStringList, readOptions);
    QFETCH(int, historyCopies);
    QFETCH(bool, thenWrite);
    QTemporaryDir documents;
    QVERIFY(documents.isValid());
    DeviceSimulator device;
    QString error;
    QVERIFY2(device.loadMenuText(kMenu, &error) && device.start(&error), qPrintable(error));
    const QString file = documents.filePath(QStringLiteral("tst-r.lumc"));
    QString out = runLumctl(QStringList{ QStringLiteral("read"), QStringLiteral("--port"),
                                         device.portPath(), QStringLiteral("--output"), file }
                                    + readOptions,
                            documents.path());
    QVERIFY(!out.isNull());
    const QDir history(documents.filePath(QStringLiteral("Kestrom LUM/Verlauf")));
    QCOMPARE(history.entryList(QDir::Files).size(), historyCopies);
    QCOMPARE(out.contains(QStringLiteral("Verlauf: ") + history.path()), historyCopies > 0);
    if (!thenWrite)
        return;

    DeviceProfile profile;
    QVERIFY(profile.load(file));
    for (ConfItem *item : profile.items()) {
        if (item->menuPath() == QStringList{ QStringLiteral("Anlage"), QStringLiteral("Modus") }) {
            item->setValue(QStringLiteral("Hand"));
            item->setActive(true);
        }
    }
    QVERIFY(profile.save(file));
    out = runLumctl({ QStringLiteral("write"), QStringLiteral("--port"), device.portPath(), file,
                      QStringLiteral("--report") },
                    documents.path());
    QVERIFY(!out.isNull());
    const QStringList reports = QDir(documents.filePath(QStringLiteral("Kestrom LUM/Protokolle")))
                                        .entryList(QDir::Files);
    QCOMPARE(reports.size(), 1);
    const QString report = readText(documents.filePath(QStringLiteral("Kestrom LUM/Protokolle/"))
                                    + reports.first());
    QVERIFY2(out.contains(report), qPrintable(out));
    QVERIFY2(report.contains(QStringLiteral("Datei: ") + QDir::toNativeSeparators(file)),
             qPrintable(report));
    const QHash<QString, ReportLine> table = tableOf(report);
    QCOMPARE(table.size(), 1);
    // No copy in the history: what the device held is not known.
    QCOMPARE(table.value(QStringLiteral("Anlage/Modus")).before, QStringLiteral("unbekannt"));
    QCOMPARE(table.value(QStringLiteral("Anlage/Modus")).outcome, QStringLiteral("übernommen"));
    QCOMPARE(device.value({ QStringLiteral("Anlage"), QStringLiteral("Modus") }),
             QStringLiteral("Hand"));
}

QTEST_GUILESS_MAIN(TestServiceRecord)
#include "tst_servicerecord.moc"
