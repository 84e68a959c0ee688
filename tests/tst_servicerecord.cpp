// The service record on the simulated device, as a technician meets it: a
// read-out leaves a copy in the history, a transfer a report whose columns
// say what the device held before and what became of each marked setting,
// and the copy brings the device back. Expected values come from the menu
// text below.

#include <QtTest>

#include "csvexport.h"
#include "readouthistory.h"
#include "pdftext.h"
#include "readoutoracle.h"
#include "robotharness.h"
#include "servicerecord.h"
#include "serviceprotocol.h"
#include "transferreport.h"

namespace {

// The scenario device the robot's transfer tests use too.
const QString kMenu = ReadOutOracle::scenarioMenuText();

const QString kHead = QStringLiteral("Menüpunkt|vorher|neuer Wert|Ergebnis");

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// A report's table, one "path|before|new value|outcome" line per row.
QStringList tableOf(const QString &report)
{
    QStringList rows;
    for (const QString &line : report.split(QLatin1Char('\n'))) {
        QStringList cells = line.split(QStringLiteral(" | "));
        for (QString &cell : cells)
            cell = cell.trimmed();
        if (cells.size() == 4)
            rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

// The settings of a profile as "path=value" ("*" when marked), in menu order.
QString settingsOf(const DeviceProfile &profile)
{
    QStringList settings;
    for (const ConfItem *item : profile.items()) {
        if (!item->element().isNull())
            settings << item->menuPath().join('/') + '=' + item->value()
                            + (item->active() ? "*" : "");
    }
    return settings.join(';');
}

const QString kMenuSettings = QStringLiteral(
        "Anlage/Modus=Auto;Anlage/Rufnummer=12;Anlage/Timerzeit Test=08:00;"
        "Anlage/Seriennummer=4711;Anlage/Tiefer/Haltezeit=10;Anlage/Tiefer/Relais=Ein;"
        "Sprache=Deutsch");

// Runs lumctl while the event loop goes on, so the simulator in this process
// answers it; false when it fails. Its standard output goes to `out`.
bool runLumctl(const QStringList &arguments, QString *out = nullptr)
{
    QProcess process;
    qRegisterMetaType<QProcess::ExitStatus>(); // for the spy on its end
    QSignalSpy finished(&process, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished));
    process.start(QStringLiteral(LUMCTL_PATH), arguments);
    const bool ok = finished.wait(RobotHarness::readOutTimeoutMs()) && process.exitCode() == 0;
    if (!ok)
        qWarning().noquote() << process.readAllStandardError();
    if (out)
        *out = QString::fromUtf8(process.readAllStandardOutput());
    return ok;
}

// Marks exactly these settings ("path=value"), with their new values.
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

// Starts the transfer of the marked settings and waits for its report.
bool transfer(RobotHarness &harness, ServiceRecord &record)
{
    QSignalSpy reports(&record, &ServiceRecord::reportWritten);
    harness.bot().startUpload();
    return reports.wait(RobotHarness::readOutTimeoutMs())
            && harness.waitUntilIdle(RobotHarness::readOutTimeoutMs());
}

} // namespace

class TestServiceRecord : public QObject
{
    Q_OBJECT

private slots:
    void historyFileNamesAndTheNewestCopy();
    void recordsAreWrittenWholeOrNotAtAll();
    void sessionKeepsCopyAndReports();
    void beforeComesOnlyFromTheSameLift();
    void lumctlKeepsTheRecord();
    void protocolHoldsDeviceChangesAndSignatures();
    void protocolNamesWhatTheDeviceSaid();
    void csvCellsStayText_data();
    void csvCellsStayText();
    void lumctlExportsForASpreadsheet();
};

// A copy is named after the device and the minute, with what no file name
// holds replaced; the newest of a device counts its copies of one minute.
void TestServiceRecord::historyFileNamesAndTheNewestCopy()
{
    const QDateTime when(QDate(2026, 12, 6), QTime(14, 5, 59));
    QCOMPARE(QStringList({ ReadoutHistory::entryName("ORV/NR:4000 <V2.31> \"x\" a\\b|c?*", when),
                           ReadoutHistory::entryName(QStringLiteral("ORV\x01NR V2."), when),
                           ReadoutHistory::entryName("", when) }),
             QStringList({ "ORV_NR_4000 _V2.31_ _x_ a_b_c__ 2026-12-06 14-05",
                           "ORV_NR V2 2026-12-06 14-05", "unbekanntes Gerät 2026-12-06 14-05" }));
    QCOMPARE(ReadoutHistory::entryName("ORV V2", when, "47/11"), "ORV V2 SN 47_11 2026-12-06 14-05");
    QTemporaryDir folder;
    for (const char *name :
         { "A 2026-12-06 14-05 (9).lumc", "A 2026-12-06 14-05 (10).lumc", "A 2026-12-06 14-05.lumc",
           "A V2 2026-12-08 10-00.lumc", "A 2026-12-09 10-00.txt", "C 2026-12-07 09-00.lumc",
           "C 2026-12-06 14-05 (2).lumc", "A SN 1 2026-12-09 10-00.lumc",
           "A SN 2 2026-12-10 10-00.lumc", "A SN 1 2026-12-08 10-00.lumc" })
        QVERIFY(QFile(folder.filePath(name)).open(QIODevice::WriteOnly));
    // A copy with a serial number is found by it, and only by it.
    QStringList newest;
    for (const auto &device : QList<QStringList>{ { "A", "" }, { "C", "" }, { "B", "" },
                                                  { "A", "1" }, { "A", "2" }, { "A", "3" },
                                                  { "C", "1" } })
        newest << QFileInfo(ReadoutHistory::newestFile(folder.path(), device.at(0), device.at(1)))
                          .fileName();
    QCOMPARE(newest,
             QStringList({ "A 2026-12-06 14-05 (10).lumc", "C 2026-12-07 09-00.lumc", "",
                           "A SN 1 2026-12-09 10-00.lumc", "A SN 2 2026-12-10 10-00.lumc", "",
                           "" }));
}

// A copy or report is written whole under a free name, or not at all: a
// folder that cannot be made fails with its name, and an earlier copy of the
// same minute stays as it was.
void TestServiceRecord::recordsAreWrittenWholeOrNotAtAll()
{
    QTemporaryDir base;
    const QString folder = base.filePath("Verlauf");
    QDomDocument document;
    QVERIFY(document.setContent(QStringLiteral(R"(<deviceProfile version="1.0"><menuTree>
        <setting text="Modus" value="Hand"/></menuTree></deviceProfile>)")));
    const QDateTime when(QDate(2026, 12, 6), QTime(14, 5));
    TransferReport report;
    report.setDeviceIdentifier("TST-R V1.0");
    report.setTime(when);
    QString error, reportError;
    QVERIFY(QFile(folder).open(QIODevice::WriteOnly)); // the folder is a file
    QVERIFY(ReadoutHistory::save(folder, document, "TST-R V1.0", when, &error).isEmpty());
    QVERIFY2(error.contains(QDir::toNativeSeparators(folder)), qPrintable(error));
    QVERIFY(report.save(folder, &reportError).isEmpty() && !reportError.isEmpty());

    QVERIFY(QFile::remove(folder) && QDir().mkpath(folder));
    QFile earlier(QDir(folder).filePath("TST-R V1.0 2026-12-06 14-05.lumc"));
    QVERIFY(earlier.open(QIODevice::WriteOnly) && earlier.write("earlier copy\n") > 0);
    earlier.close();
    const QString written = ReadoutHistory::save(folder, document, "TST-R V1.0", when, &error);
    QCOMPARE(QFileInfo(written).fileName(), "TST-R V1.0 2026-12-06 14-05 (2).lumc");
    DeviceProfile copy;
    QVERIFY(copy.load(written));
    QCOMPARE(settingsOf(copy), "Modus=Hand");
    QCOMPARE(QFileInfo(report.save(folder, &reportError)).fileName(),
             "TST-R V1.0 2026-12-06 14-05.txt");
    // The earlier copy is untouched and nothing half-written is left.
    QCOMPARE(readText(earlier.fileName()), "earlier copy\n");
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 3);
}

// A device's record over a session: the read-out's copy, the reports of a
// transfer, of one the device stops, of one in a later session and of one
// the technician aborts, and the copy bringing the device back.
void TestServiceRecord::sessionKeepsCopyAndReports()
{
    QTemporaryDir documents;
    RobotHarness harness;
    ServiceRecord record;
    record.setDocumentsFolder(documents.path());
    QSignalSpy histories(&record, &ServiceRecord::historyWritten);
    // A second record whose history folder is blocked by a file says so,
    // but the read-out stands.
    QTemporaryDir blockedDocuments;
    QVERIFY(QDir().mkpath(blockedDocuments.filePath("Kestrom LUM"))
            && QFile(blockedDocuments.filePath("Kestrom LUM/Verlauf")).open(QIODevice::WriteOnly));
    ServiceRecord blocked;
    blocked.setDocumentsFolder(blockedDocuments.path());
    blocked.setBot(&harness.bot());
    QSignalSpy failures(&blocked, &ServiceRecord::recordFailed);
    const QString before =
            ReadoutHistory::entryName("TST-R V1.0", QDateTime::currentDateTime(), "4711");
    QString error;
    QVERIFY2(harness.startWithMenuText(kMenu, &error), qPrintable(error));
    record.setBot(&harness.bot());
    harness.bot().startDownload();
    QVERIFY(harness.waitUntilIdle(RobotHarness::readOutTimeoutMs()));
    QCOMPARE(settingsOf(harness.profile()), kMenuSettings);
    const QString after =
            ReadoutHistory::entryName("TST-R V1.0", QDateTime::currentDateTime(), "4711");
    QCOMPARE(failures.count(), 1);
    QVERIFY2(blocked.lastError().contains("Verlauf") && blocked.lastHistoryFile().isEmpty(),
             qPrintable(blocked.lastError()));

    // A copy of the read-out as it was, unmarked, named after the device and
    // the minute.
    QCOMPARE(histories.count(), 1);
    const QString history = record.lastHistoryFile();
    QCOMPARE(QFileInfo(history).absolutePath(), documents.filePath("Kestrom LUM/Verlauf"));
    const QString name = QFileInfo(history).completeBaseName();
    QVERIFY2(name == before || name == after, qPrintable(name));
    DeviceProfile copy;
    QVERIFY(copy.load(history));
    QCOMPARE(settingsOf(copy), kMenuSettings);

    // Four settings changed, one written with the value it has, and a
    // read-only one marked as a hand-edited file may have it.
    QVERIFY(mark(harness,
                 { "Anlage/Modus=Hand", "Anlage/Rufnummer=0815", "Anlage/Timerzeit Test=09:30",
                   "Anlage/Tiefer/Relais=Aus", "Anlage/Seriennummer=4711", "Sprache=Deutsch" }));
    QVERIFY(transfer(harness, record));
    QCOMPARE(QFileInfo(record.lastReportFile()).absolutePath(),
             documents.filePath("Kestrom LUM/Protokolle"));
    QCOMPARE(QFileInfo(record.lastReportFile()).fileName().left(20), "TST-R V1.0 SN 4711 2");
    QString report = readText(record.lastReportFile());
    QVERIFY2(report.contains("\nGerät: TST-R V1.0\nSeriennummer: 4711\n"), qPrintable(report));
    QCOMPARE(tableOf(report),
             QStringList({ kHead, "Anlage/Modus|Auto|Hand|übernommen",
                           "Anlage/Rufnummer|12|0815|übernommen",
                           "Anlage/Timerzeit Test|08:00|09:30|übernommen",
                           "Anlage/Seriennummer|4711|4711|übergangen: nur lesbar",
                           "Anlage/Tiefer/Relais|Ein|Aus|übernommen",
                           "Sprache|Deutsch|Deutsch|unverändert" }));

    // A later session has not read the device's serial number, so no copy
    // is known to be of this lift: the values before are what the robot saw
    // on opening each setting, and "unbekannt" where it did not get there.
    // The device stores another value for one setting and the transfer stops
    // there; the first session knows what the last transfer wrote.
    ServiceRecord later;
    later.setDocumentsFolder(documents.path());
    later.setBot(&harness.bot());
    QVERIFY(mark(harness, { "Anlage/Modus=Aus", "Anlage/Tiefer/Haltezeit=05", "Sprache=English" }));
    harness.device().setValueAlteration({ "Anlage", "Tiefer", "Haltezeit" }, "05", "5");
    QVERIFY(transfer(harness, later));
    report = readText(later.lastReportFile());
    QCOMPARE(tableOf(report),
             QStringList({ kHead, "Anlage/Modus|Hand|Aus|übernommen",
                           "Anlage/Tiefer/Haltezeit|10|05|Fehler beim Übertragen von: "
                           "Anlage/Tiefer/Haltezeit Übernommener Wert: 5 Erwarteter Wert: 05",
                           "Sprache|unbekannt|English|nicht übertragen" }));
    QVERIFY2(report.contains("\nGeschrieben (1):\n  Anlage/Modus\n"
                             "Nicht geschrieben (2):\n  Anlage/Tiefer/Haltezeit\n  Sprache\n")
                     && !report.contains("Seriennummer:"),
             qPrintable(report));
    QVERIFY(tableOf(record.lastReport()).contains("Anlage/Modus|Hand|Aus|übernommen"));

    // The technician aborts after the first setting (queued: as a click,
    // between two screens); the report still names the device, and what the
    // device holds for the setting it refused is not known.
    const auto abortion = connect(&harness.bot(), &LumBot::settingTransferred, &harness.bot(),
                                  &LumBot::abort, Qt::QueuedConnection);
    QVERIFY(mark(harness,
                 { "Anlage/Modus=Auto", "Anlage/Tiefer/Haltezeit=10", "Sprache=English" }));
    QVERIFY(transfer(harness, record));
    disconnect(abortion);
    report = readText(record.lastReportFile());
    QVERIFY2(report.contains("\nGerät: TST-R V1.0\n")
                     && report.contains(
                             "Ergebnis: Übertragung nicht vollständig: Übertragung abgebrochen."),
             qPrintable(report));
    QCOMPARE(tableOf(report),
             QStringList({ kHead, "Anlage/Modus|Aus|Auto|übernommen",
                           "Anlage/Tiefer/Haltezeit|unbekannt|10|nicht übertragen",
                           "Sprache|Deutsch|English|nicht übertragen" }));
    QCOMPARE(harness.device().value({ "Sprache" }), "Deutsch");

    // The copy, every setting marked ("Alle"), puts the device back.
    QVERIFY(harness.profile().load(history));
    for (ConfItem *item : harness.profile().items())
        item->setActive(!item->element().isNull());
    QVERIFY(transfer(harness, record));
    QStringList values;
    for (const QString &setting : kMenuSettings.split(';'))
        values << setting.section('=', 0, 0) + '='
                        + harness.device().value(setting.section('=', 0, 0).split('/'));
    QCOMPARE(values.join(';'), kMenuSettings);
}

// Two lifts of one type, told apart by their serial numbers only: the cable
// goes from lift A, read out, to lift B while the port stays open. Neither
// the session nor a later one takes A's values as B's "vorher"; a setting
// the robot did not reach on B is "unbekannt".
void TestServiceRecord::beforeComesOnlyFromTheSameLift()
{
    const QString menuB = QString(kMenu)
                                  .replace("Seriennummer = 4711", "Seriennummer = 4712")
                                  .replace("Modus = Auto", "Modus = Hand")
                                  .replace("Haltezeit = 10", "Haltezeit = 20")
                                  .replace("Sprache = Deutsch", "Sprache = English");
    QTemporaryDir documents;
    RobotHarness harness;
    ServiceRecord record;
    record.setDocumentsFolder(documents.path());
    QString error;
    QVERIFY2(harness.startWithMenuText(kMenu, &error), qPrintable(error));
    record.setBot(&harness.bot());
    harness.bot().startDownload();
    QVERIFY(harness.waitUntilIdle(RobotHarness::readOutTimeoutMs()));
    QCOMPARE(record.deviceAtHand().serialNumber, "4711");

    // On B the device stores another value for Haltezeit, so the transfer
    // stops there and never reaches Sprache.
    QVERIFY2(harness.device().loadMenuText(menuB, &error), qPrintable(error));
    harness.device().setValueAlteration({ "Anlage", "Tiefer", "Haltezeit" }, "05", "5");
    const QStringList changes{ "Anlage/Modus=Aus", "Anlage/Tiefer/Haltezeit=05",
                               "Sprache=Deutsch" };
    const QStringList onB{ kHead, "Anlage/Modus|Hand|Aus|übernommen",
                           "Anlage/Tiefer/Haltezeit|20|05|Fehler beim Übertragen von: "
                           "Anlage/Tiefer/Haltezeit Übernommener Wert: 5 Erwarteter Wert: 05",
                           "Sprache|unbekannt|Deutsch|nicht übertragen" };
    QVERIFY(mark(harness, changes));
    QVERIFY(transfer(harness, record));
    QString report = readText(record.lastReportFile());
    QCOMPARE(tableOf(report), onB);
    QVERIFY2(!report.contains("4711") && !record.lastReportFile().contains("4711"),
             qPrintable(report));

    // A later session on B: the history holds A's copy only.
    record.setBot(nullptr);
    ServiceRecord later;
    later.setDocumentsFolder(documents.path());
    later.setBot(&harness.bot());
    QVERIFY(mark(harness, { "Anlage/Modus=Hand", "Anlage/Tiefer/Haltezeit=05", "Sprache=Deutsch" }));
    QVERIFY(transfer(harness, later));
    report = readText(later.lastReportFile());
    QCOMPARE(tableOf(report).value(3), "Sprache|unbekannt|Deutsch|nicht übertragen");
    QVERIFY2(!report.contains("4711"), qPrintable(report));

    // Once B is read out, its own copy is named and found by its number.
    harness.bot().startDownload();
    QVERIFY(harness.waitUntilIdle(RobotHarness::readOutTimeoutMs()));
    const QString history = documents.filePath("Kestrom LUM/Verlauf");
    const QString copyA = ReadoutHistory::newestFile(history, "TST-R V1.0", "4711");
    const QString copyB = ReadoutHistory::newestFile(history, "TST-R V1.0", "4712");
    QVERIFY(!copyA.isEmpty() && !copyB.isEmpty() && copyA != copyB);
    QCOMPARE(later.lastHistoryFile(), copyB);
    QVERIFY(ReadoutHistory::newestFile(history, "TST-R V1.0").isEmpty());
    QVERIFY(mark(harness, { "Anlage/Tiefer/Haltezeit=05", "Sprache=Deutsch" }));
    QVERIFY(transfer(harness, later));
    QCOMPARE(tableOf(readText(later.lastReportFile())).value(2),
             "Sprache|English|Deutsch|nicht übertragen");
}

// lumctl keeps the same record: a read its copy unless told not to, a write
// its report, also printed with --report.
void TestServiceRecord::lumctlKeepsTheRecord()
{
    QTemporaryDir documents;
    qputenv("LUM_DOCUMENTS_DIR", QFile::encodeName(documents.path()));
    DeviceSimulator device;
    QString error;
    QVERIFY2(device.loadMenuText(kMenu, &error) && device.start(&error), qPrintable(error));
    const QString file = documents.filePath("tst-r.lumc");
    const QDir history(documents.filePath("Kestrom LUM/Verlauf"));
    const QDir reports(documents.filePath("Kestrom LUM/Protokolle"));
    const QStringList read{ "read", "--port", device.portPath(), "--output", file };
    QString out;
    QVERIFY(runLumctl(read + QStringList{ "--no-history" }, &out));
    QVERIFY(!out.contains("Verlauf") && !history.exists());
    QVERIFY(runLumctl({ "set", file, "Anlage/Modus=Hand" }));
    QVERIFY(runLumctl({ "write", "--port", device.portPath(), file, "--report" }, &out));
    QCOMPARE(reports.entryList(QDir::Files).size(), 1);
    const QString report = readText(reports.filePath(reports.entryList(QDir::Files).value(0)));
    QVERIFY2(out.contains(report) && report.contains("Datei: " + QDir::toNativeSeparators(file)),
             qPrintable(out));
    // No copy in the history: what the device held is what the robot saw.
    QCOMPARE(tableOf(report), QStringList({ kHead, "Anlage/Modus|Auto|Hand|übernommen" }));
    QCOMPARE(device.value({ "Anlage", "Modus" }), "Hand");
    QVERIFY(runLumctl(read, &out));
    QCOMPARE(history.entryList(QDir::Files).size(), 1);
    QVERIFY2(out.contains("Verlauf: " + history.path()), qPrintable(out));
}

// lumctl's protocol of a transfer: read out first, so it names the lift's
// serial number and what was found; every written setting with before,
// after and the device's word; the site, the technician and the line for the
// signatures. The protocol of a copy from the history has what was found.
void TestServiceRecord::protocolHoldsDeviceChangesAndSignatures()
{
    QTemporaryDir documents;
    qputenv("LUM_DOCUMENTS_DIR", QFile::encodeName(documents.path()));
    DeviceSimulator device;
    QString error;
    QVERIFY2(device.loadMenuText(kMenu, &error) && device.start(&error), qPrintable(error));
    const QString file = documents.filePath("tst-r.lumc");
    QVERIFY(runLumctl({ "read", "--port", device.portPath(), "--output", file, "--no-history" }));
    QVERIFY(runLumctl({ "set", file, "Anlage/Modus=Hand", "Anlage/Rufnummer=0049301234",
                        "Sprache=Deutsch" }));
    const QString pdf = documents.filePath("protokoll.pdf");
    QString out;
    QVERIFY(runLumctl({ "write", "--port", device.portPath(), file, "--protocol", pdf, "--site",
                        "Haus Süd, Aufzug 2", "--technician", "M. Kern" },
                      &out));
    QVERIFY2(out.contains("Protokoll (PDF): " + pdf), qPrintable(out));
    const QString text = PdfText::of(pdf);
    QVERIFY2(PdfText::hasRow(text, { "Seriennummer", "4711" }) && PdfText::hasRow(text, { "Anlage", "Haus Süd, Aufzug 2" })
                     && PdfText::hasRow(text, { "Techniker", "M. Kern" })
                     && PdfText::hasRow(text, { "Gerät", "TST-R V1.0" }),
             qPrintable(text));
    for (const QStringList &row : QList<QStringList>{
                 { "Anlage/Modus", "Auto", "Hand", "übernommen" },
                 { "Anlage/Rufnummer", "12", "0049301234", "übernommen" },
                 { "Sprache", "Deutsch", "Deutsch", "unverändert" },
                 { "Anlage/Timerzeit Test", "08:00" }, // found
                 { "Anlage/Tiefer/Haltezeit", "10" } })
        QVERIFY2(PdfText::hasRow(text, row), qPrintable(row.join(" | ") + "\n" + text));
    QVERIFY2(text.contains("Vorgefunden") && text.contains("Geändert")
                     && text.contains("Hinterlassen") && text.contains("Unterschrift Techniker")
                     && text.contains("Unterschrift Betreiber") && text.contains("Seite 1 von 1"),
             qPrintable(text));
    // Left: the new value, found: the old one.
    QVERIFY(text.indexOf(QRegularExpression("Anlage/Modus +Auto *\n"))
            < text.indexOf(QRegularExpression("Anlage/Modus +Hand *\n")));

    // The copy in the history the read-out left, as found.
    const QDir history(documents.filePath("Kestrom LUM/Verlauf"));
    const QStringList copies = history.entryList({ "*SN 4711*.lumc" }, QDir::Files);
    QCOMPARE(copies.size(), 1);
    const QString found = documents.filePath("vorher.pdf");
    QVERIFY(runLumctl({ "protocol", history.filePath(copies.first()), "--protocol", found,
                        "--site", "Haus Süd" }));
    const QString foundText = PdfText::of(found);
    QVERIFY2(PdfText::hasRow(foundText, { "Seriennummer", "4711" }) && PdfText::hasRow(foundText, { "Gerät", "TST-R V1.0" })
                     && PdfText::hasRow(foundText, { "Anlage/Modus", "Auto" })
                     && !foundText.contains("Geändert") && foundText.contains("Unterschrift Betreiber"),
             qPrintable(foundText));
}

// The "Geändert" table says for each marked setting what the device said.
void TestServiceRecord::protocolNamesWhatTheDeviceSaid()
{
    TransferReport report;
    report.setDeviceFacts({ "TST-R V1.0", "", "", "" });
    report.setStopReason("Fehler X");
    const auto line = [](const QString &path, const QString &before, const QString &value,
                         TransferReport::Outcome outcome, const QString &note) {
        TransferReport::Line made;
        made.menuPath = path.split('/');
        made.before = before;
        made.value = value;
        made.outcome = outcome;
        made.note = note;
        return made;
    };
    report.addLine(line("A/Modus", "Auto", "Hand", TransferReport::Written, ""));
    report.addLine(line("A/Sprache", "Deutsch", "Deutsch", TransferReport::Unchanged, ""));
    report.addLine(line("A/Seriennummer", "4711", "4711", TransferReport::PassedOver, "nur lesbar"));
    report.addLine(line("A/Haltezeit", "10", "05", TransferReport::Failed, "Fehler X"));
    report.addLine(line("A/Relais", QString(), "Aus", TransferReport::NotReached, ""));
    const QString html = ServiceProtocol::ofTransfer(report, {}, {}).html();
    for (const char *row :
         { "<td>A/Modus</td><td>Auto</td><td>Hand</td><td>übernommen</td>",
           "<td>A/Sprache</td><td>Deutsch</td><td>Deutsch</td><td>unverändert</td>",
           "<td>A/Seriennummer</td><td>4711</td><td>4711</td><td>übergangen: nur lesbar</td>",
           "<td>A/Haltezeit</td><td>10</td><td>05</td><td>abgelehnt: Fehler X</td>",
           "<td>A/Relais</td><td><i>unbekannt</i></td><td>Aus</td><td>nicht erreicht</td>",
           "Seriennummer</b></td><td>nicht gelesen", "Übertragung nicht vollständig: Fehler X" })
        QVERIFY2(html.contains(QString::fromUtf8(row)), qPrintable(QString::fromUtf8(row) + "\n" + html));
}

// Every value stays the text the device shows when a spreadsheet opens the
// file: no formula, no number that loses its 0 or "+".
void TestServiceRecord::csvCellsStayText_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("cell");
    QTest::newRow("word") << "Deutsch" << "Deutsch";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("leading zero") << "0815" << "\"\t0815\"";
    QTest::newRow("plain number") << "12" << "\"\t12\"";
    QTest::newRow("time") << "08:00" << "\"\t08:00\"";
    QTest::newRow("international") << "+4930123" << "\"\t+4930123\"";
    QTest::newRow("formula") << "=HYPERLINK(\"x\")" << "\"\t=HYPERLINK(\"\"x\"\")\"";
    QTest::newRow("minus") << "-5" << "\"\t-5\"";
    QTest::newRow("at") << "@SUM(A1)" << "\"\t@SUM(A1)\"";
    QTest::newRow("code with star") << "*31#" << "*31#";
    QTest::newRow("separator") << "a;b" << "\"a;b\"";
    QTest::newRow("quote") << "sagt \"ja\"" << "\"sagt \"\"ja\"\"\"";
    QTest::newRow("umlaut") << "Störung" << "Störung";
    QTest::newRow("tab first") << "\tx" << "\"\t\tx\"";
}

void TestServiceRecord::csvCellsStayText()
{
    QFETCH(QString, value);
    QFETCH(QString, cell);
    QCOMPARE(CsvExport::cell(value), cell);
}

// The export of a configuration file: BOM, header, one row a setting.
void TestServiceRecord::lumctlExportsForASpreadsheet()
{
    QTemporaryDir folder;
    const QString file = folder.filePath("a.lumc");
    QFile lumc(file);
    QVERIFY(lumc.open(QIODevice::WriteOnly)
            && lumc.write(R"(<deviceProfile version="1.0"><menuTree>
 <section text="Anlage"><setting text="Rufnummer" value="0049301" active="0" valuetype="inputnum"/>
 <setting text="Modus" value="Aus" active="1" valuetype="selection"><option text="Aus"/></setting>
 </section><setting text="Störtext" value="=1+1" active="0" valuetype="inputnum"/>
</menuTree></deviceProfile>)") > 0);
    lumc.close();
    const QString csv = folder.filePath("a.csv");
    QVERIFY(runLumctl({ "export", file, "--csv", "--output", csv }));
    QFile written(csv);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(),
             QByteArray("\xEF\xBB\xBFPfad;Wert;Typ\r\n"
                        "Anlage/Rufnummer;\"\t0049301\";inputnum\r\n"
                        "Anlage/Modus;Aus;selection\r\n"
                        "St\xC3\xB6rtext;\"\t=1+1\";inputnum\r\n"));
}

QTEST_GUILESS_MAIN(TestServiceRecord)
#include "tst_servicerecord.moc"
