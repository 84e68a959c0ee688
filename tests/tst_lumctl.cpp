// lumctl as a technician or a script uses it: the built program run as a
// separate process, files in a temporary folder, and the project's device
// simulator on a pseudo-terminal standing in for the device. The session
// that docs/lumctl.md shows (read, set, diff, show, write, monitor on the
// demo device) is run by tst_docsession; here are the other paths.

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "devicesimulator.h"
#include "kelhandler.h"
#include "readoutoracle.h"
#include "robotharness.h"
#include "simmenu.h"

namespace {

// Small but complete: every entry kind and every value type.
const char sampleConfiguration[] = R"(<deviceProfile version="1.0">
 <menuTree>
  <section text="Einstellungen">
   <section text="Notruf">
    <setting text="Notrufende" value="Quittierung" active="0" valuetype="selection">
     <option text="Quittierung"/>
     <option text="Befreiung"/>
    </setting>
    <setting text="Rufnummer 1" value="0711" active="0" valuetype="inputnum"/>
   </section>
   <setting text="Timerzeit" value="00:30" active="0" valuetype="inputtime_hhmm"/>
   <setting text="Uhrzeit" value="12:00" active="0" valuetype="inputsystemtime"/>
   <setting text="Datum" value="01.01.26" active="0" valuetype="inputsystemdate"/>
   <setting text="Seriennummer" value="12345" active="0" valuetype="readonly"/>
   <setting text="Service-Center" value="+49" active="0" valuetype="blocked"/>
   <info text="Version 1.2"/>
   <info text="Wartung" value="fällig 2027"/>
  </section>
  <section text="Reset" sectiontype="blocked"/>
 </menuTree>
</deviceProfile>
)";

const char selectionAsJson[] =
        R"({"active":false,"options":["Quittierung","Befreiung"],)"
        R"("path":["Einstellungen","Notruf","Notrufende"],"type":"selection",)"
        R"("value":"Quittierung"})";

struct LumctlResult
{
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs lumctl while this process keeps its event loop going, so that an
// in-process simulator goes on answering the keys lumctl sends; `input` is
// piped to it.
LumctlResult
runLumctl(const QStringList &arguments, int timeoutMs = 60000,
          const QByteArray &input = QByteArray(),
          const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(LUMCTL_PATH), arguments);
    process.waitForStarted(30000);
    process.write(input);
    process.closeWriteChannel();
    const bool ended = RobotHarness::waitFor(
            &process, &QProcess::stateChanged,
            [&process] { return process.state() == QProcess::NotRunning; }, timeoutMs);
    LumctlResult result;
    // -1 for a run that did not end by itself in time.
    result.exitCode =
            ended && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    if (!ended) {
        process.kill();
        process.waitForFinished(10000);
    }
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
            && file.write(content) == content.size();
}

} // namespace

class TestLumctl : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void portsListsExtraPortsAndMarksOnePreferred();
    void commandLineExitsWithStatusAndText_data();
    void commandLineExitsWithStatusAndText();
    void showJsonListsPathsAsListsAndOptions(); // after the table, which writes its file
    void debugLogSwitchAppendsLinesToHomeLog();
    void deviceJobExitsWithStatusAndText_data();
    void deviceJobExitsWithStatusAndText();
    void setAndWriteChangesTheDeviceValues();
    void compareAndWriteOnlyChanged();
    void seriesWritesEachLiftItsOwnRow();
    void badSeriesTableSendsNoKey();
    void seriesTemplateOfAnotherTypeIsRefused();
    void seriesValueNotTakenIsRecordedFailed();
    void fileFromAnotherDeviceIsRefused_data();
    void fileFromAnotherDeviceIsRefused();
    void doctorAndOpenSayWhoHoldsThePort_data();
    void doctorAndOpenSayWhoHoldsThePort();

private:
    QString samplePath(const QString &name = QStringLiteral("sample.lumc"))
    {
        writeFile(m_dir.filePath(name), sampleConfiguration);
        return m_dir.filePath(name);
    }

    QTemporaryDir m_dir;
};

void TestLumctl::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // read and write keep their service record there, not in the home folder.
    qputenv("LUM_DOCUMENTS_DIR", m_dir.filePath(QStringLiteral("Dokumente")).toUtf8());
}

// The extra ports sorted with the machine's own; an FTDI adapter on this
// machine would be preferred, otherwise the first extra port is.
void TestLumctl::portsListsExtraPortsAndMarksOnePreferred()
{
    const QString first = m_dir.filePath("ttyB"), second = m_dir.filePath("ttyA");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LUM_EXTRA_PORTS"), first + ':' + second);
    const LumctlResult result = runLumctl({ "ports" }, 60000, QByteArray(), environment);
    QCOMPARE(result.exitCode, 0);
    const bool adapter = result.out.contains("\tFTDI\t");
    QVERIFY2(result.out.contains(second + "\t\n" + first + (adapter ? "\t\n" : "\t\t*\n")),
             qPrintable(result.out));
    QCOMPARE(result.out.count("\t*\n"), 1);
}

// Arguments separated by "|", %S standing for the sample file and %D for
// the folder. A text ending in a line feed, or none, is the whole standard
// output; another is looked for on standard output for 0, on standard error
// otherwise. Nothing changes the sample file or writes a new one.
void TestLumctl::commandLineExitsWithStatusAndText_data()
{
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("text");
    writeFile(m_dir.filePath("other.xml"), "<html><body/></html>");
    const QByteArray sample(sampleConfiguration);
    writeFile(m_dir.filePath("changed.lumc"), QByteArray(sample).replace("\"00:30\"", "\"01:15\""));
    writeFile(m_dir.filePath("renamed.lumc"),
              QByteArray(sample).replace("Rufnummer 1", "Rufnummer 2"));
    writeFile(m_dir.filePath("marked.lumc"),
              QByteArray(sample).replace("\"0711\" active=\"0\"", "\"0711\" active=\"1\""));
    QTest::newRow("show") << "show|%D/marked.lumc" << 0
                          << "Einstellungen\tsection\t\t-\n"
                             "Einstellungen/Notruf\tsection\t\t-\n"
                             "Einstellungen/Notruf/Notrufende\tselection\tQuittierung\t-\n"
                             "Einstellungen/Notruf/Rufnummer 1\tinputnum\t0711\t*\n"
                             "Einstellungen/Timerzeit\tinputtime_hhmm\t00:30\t-\n"
                             "Einstellungen/Uhrzeit\tinputsystemtime\t12:00\t-\n"
                             "Einstellungen/Datum\tinputsystemdate\t01.01.26\t-\n"
                             "Einstellungen/Seriennummer\treadonly\t12345\t-\n"
                             "Einstellungen/Service-Center\tblocked\t+49\t-\n"
                             "Einstellungen/Version 1.2\tinfo\t\t-\n"
                             "Einstellungen/Wartung\tinfo\tfällig 2027\t-\n"
                             "Reset\tsection\t\t-\n";
    // An old read-out wrote a selection's type on a section it left on an
    // option-like screen; the section's entries are entries all the same.
    writeFile(m_dir.filePath("old.lumc"),
              R"(<deviceProfile version="1.0"><menuTree>)"
              R"(<section text="Relais" valuetype="selection">)"
              R"(<setting text="Relais 1" value="Aus" active="1" valuetype="selection">)"
              R"(<option text="An"/><option text="Aus"/></setting>)"
              R"(<info text="Hinweis" value="nur Test"/></section>)"
              R"(</menuTree></deviceProfile>)");
    QTest::newRow("show of an old file with a selection type on a section")
            << "show|%D/old.lumc" << 0
            << "Relais\tsection\t\t-\n"
               "Relais/Relais 1\tselection\tAus\t*\n"
               "Relais/Hinweis\tinfo\tnur Test\t-\n";
    // The system's reason in German, as every other word of lumctl.
    QTest::newRow("show of a missing file")
            << "show|%D/fehlt.lumc" << 2 << "nicht gefunden";
    QTest::newRow("help overview") << "--help" << 0 << "lumctl read --port P --output DATEI";
    QTest::newRow("help among other arguments") << "read|--port|x|-h" << 0 << "Aufruf: lumctl read";
    QTest::newRow("no command") << "" << 2 << "Befehle:";
    QTest::newRow("unknown command") << "erase" << 2 << "erase";
    QTest::newRow("unknown option") << "show|%S|--colour" << 2 << "colour";
    QTest::newRow("read without port") << "read|--output|%D/new.lumc" << 2 << "--port";
    QTest::newRow("read into missing folder")
            << "read|--port|/dev/null|--output|%D/no/x.lumc" << 2 << "/no/x.lumc";
    QTest::newRow("port that cannot be opened")
            << "read|--port|%D/ttyGone|--output|%D/new.lumc" << 2
            << "Die Schnittstelle %D/ttyGone gibt es nicht (mehr)";
    QTest::newRow("timeout not a number")
            << "identify|--port|/dev/null|--timeout|soon" << 2 << "--timeout";
    QTest::newRow("count zero") << "monitor|--port|/dev/null|--count|0" << 2 << "--count";
    QTest::newRow("show of XML that is no configuration")
            << "show|%D/other.xml" << 2 << "other.xml";
    QTest::newRow("write of a file with nothing marked")
            << "write|--port|%D/ttyGone|%S" << 2 << "Keine Einstellung zur Übertragung markiert";
    QTest::newRow("set without assignment") << "set|%S" << 2 << "Aufruf: lumctl set";
    QTest::newRow("set unknown path")
            << "set|%S|Einstellungen/Notruf/Ton=3" << 2 << "Einstellungen/Notruf/Ton";
    QTest::newRow("set section") << "set|%S|Einstellungen/Notruf=1" << 2 << "keine Einstellung";
    QTest::newRow("set read-only") << "set|%S|Einstellungen/Seriennummer=1" << 2 << "readonly";
    QTest::newRow("set information line")
            << "set|%S|Einstellungen/Wartung=2030" << 2 << "keine Einstellung";
    QTest::newRow("set time, incomplete")
            << "set|%S|Einstellungen/Timerzeit=01" << 2
            << "\"Einstellungen/Timerzeit\": \"01\": unvollständige Uhrzeit, bitte hh:mm";
    QTest::newRow("set time, minute 60")
            << "set|%S|Einstellungen/Timerzeit=01:60" << 2 << "Minuten nur 00 bis 59";
    QTest::newRow("set missing option") << "set|%S|Einstellungen/Notruf/Notrufende=Sofort" << 2
                                        << "\"Quittierung\", \"Befreiung\"";
    QTest::newRow("set letter in number")
            << "set|%S|Einstellungen/Notruf/Rufnummer 1=0711a" << 2 << "0711a";
    QTest::newRow("set time, one hour digit")
            << "set|%S|Einstellungen/Timerzeit=7:45" << 2 << "hh:mm";
    QTest::newRow("set value for PC time")
            << "set|%S|Einstellungen/Uhrzeit=13:00" << 2 << "Einstellungen/Uhrzeit=";
    QTest::newRow("set without equals sign")
            << "set|%S|Einstellungen/Timerzeit" << 2 << "PFAD=WERT";
    QTest::newRow("set one good, one bad")
            << "set|%S|Einstellungen/Timerzeit=01:00|Einstellungen/Notruf/Notrufende=Nie" << 2
            << "Nie";
    QTest::newRow("diff identical") << "diff|%S|%S" << 0 << "";
    QTest::newRow("diff changed value")
            << "diff|%S|%D/changed.lumc" << 0
            << "~ Einstellungen/Timerzeit: \"00:30\" -> \"01:15\" (inputtime_hhmm)\n";
    QTest::newRow("diff renamed entry") << "diff|%S|%D/renamed.lumc" << 0
                                        << "- Einstellungen/Notruf/Rufnummer 1 (inputnum)\n"
                                           "+ Einstellungen/Notruf/Rufnummer 2 (inputnum)\n";
    QTest::newRow("diff of a mark alone") << "diff|%S|%D/marked.lumc" << 0 << "";
    QTest::newRow("diff with unreadable second file")
            << "diff|%S|%D/missing.lumc" << 2 << "missing.lumc";
}

void TestLumctl::commandLineExitsWithStatusAndText()
{
    QFETCH(QString, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, text);
    const QString sample = samplePath();
    text.replace("%D", m_dir.path());
    arguments.replace("%S", sample).replace("%D", m_dir.path());
    const LumctlResult result = runLumctl(arguments.split('|', Qt::SkipEmptyParts));
    QCOMPARE(result.exitCode, exitCode);
    if (text.isEmpty() || text.endsWith('\n'))
        QCOMPARE(result.out, text);
    else
        QVERIFY2((exitCode == 0 ? result.out : result.err).contains(text),
                 qPrintable(result.out + result.err));
    QCOMPARE(readAll(sample), QByteArray(sampleConfiguration));
    QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("new.lumc"))));
}

// The entries of "show" for a script, with the path as a list and the options.
void TestLumctl::showJsonListsPathsAsListsAndOptions()
{
    const QString path = m_dir.filePath(QStringLiteral("marked.lumc"));
    QVERIFY(writeFile(path,
                      QByteArray(sampleConfiguration)
                              .replace("1\" active=\"0\" valuetype=\"inputnum",
                                       "1\" active=\"1\" valuetype=\"inputnum")));
    const LumctlResult json = runLumctl({ "show", path, "--json" });
    const QJsonArray entries = QJsonDocument::fromJson(json.out.toUtf8()).array();
    QVERIFY2(json.exitCode == 0 && entries.size() == 12, qPrintable(json.out + json.err));
    QCOMPARE(QJsonDocument(entries.at(2).toObject()).toJson(QJsonDocument::Compact),
             QByteArray(selectionAsJson));
    QCOMPARE(entries.at(3).toObject().value("active").toBool(), true);
}

void TestLumctl::debugLogSwitchAppendsLinesToHomeLog()
{
    QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    for (int run = 0; run < 2; ++run) {
        const LumctlResult result =
                runLumctl({ "show", "-debuglog", samplePath() }, 60000, QByteArray(), environment);
        QCOMPARE(result.exitCode, 0);
        // The diagnostics go to the file, not between the tool's own output.
        QVERIFY2(!result.err.contains(QLatin1String("START")), qPrintable(result.err));
    }
    const QStringList lines =
            QString::fromUtf8(readAll(QDir(home.path()).filePath("lum_debug.log")))
                    .split('\n', Qt::SkipEmptyParts);
    // The line form is the window's (tst_startup); here the banner, once a run.
    QCOMPARE(lines.filter("START LUMCTL \"4.1.3 - DEBUGLOG AKTIV\"").size(), 2);
}

// Jobs on the demo device, arguments as in the table above (%D the folder,
// --port added), the device told to misbehave: silent or dropping the line
// after so many keys, every answer so late, or repeating a screen of its own
// every 300 ms (every burst starts with a clear screen, so whichever burst
// lumctl sees first is whole). A file that was there stays as it was, a new
// one is not written.
void TestLumctl::deviceJobExitsWithStatusAndText_data()
{
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("amount");
    QTest::addColumn<QByteArray>("bytes"); // the screen repeated, or the keys piped in
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("text");
    const QString lost = "Verbindung zum Gerät wurde getrennt!";
    // A Latin-1 byte comes out as one character in UTF-8; the cursor stands
    // behind the second line.
    const QString json =
            QString(R"({"cursorRow":1,"lines":"Gerät%1\nok%2","overlay":"%3\n  _%4","text":"Gerät%5\nok%6"})")
                    .arg(QString(27, ' '), QString(30, ' '), QString(16, ' '), QString(13, ' '),
                         QString(11, ' '), QString(14, ' '))
            + '\n';
    // lumctl leaves the device on its identification screen; the demo
    // device is in programming mode, so the jumper warning follows.
    QTest::newRow("identify")
            << "identify"
            << "" << 0 << QByteArray() << 0
            << "ORV-NR4000 V2.31\nHinweis: Bitte zum Abschluss \"Programmierung beenden\" wählen "
               "und den Jumper zurücksetzen!\n";
    QTest::newRow("monitor, json")
            << "monitor|--json|--count|2"
            << "noise" << 300 << QByteArray("\x0cGer\xe4t\r\nok") << 0 << json + json;
    // "AB" written over the start of an overlong second row: the cursor
    // stands behind it, and the row still runs past 16 columns.
    QTest::newRow("monitor, overlong line")
            << "monitor|--count|1"
            << "noise" << 300 << QByteArray("\x0cNOTRUF AKTIV\r\n12345678901234567890\rAB") << 0
            << "|NOTRUF AKTIV    |\n|AB34567890123456|+\n   ^\n\n";
    // Key names in any case and with blanks around them; an unknown one is
    // skipped. Each key gets a screen of its own.
    const QString baseMenu = "|Programmierung  |\n|beenden?        |\n\n";
    QTest::newRow("monitor, piped keys")
            << "monitor|--count|4|--timeout|30"
            << "" << 0 << QByteArray("Esc\n  7 \nF1\nok\n+\n") << 0
            << baseMenu + baseMenu + baseMenu + "|ORV-NR4000 V2.31|\n|konfigurieren?  |\n\n";
    QTest::newRow("identify, silent device")
            << "identify"
            << "silent" << 0 << QByteArray() << 1 << "Kein Gerät erkannt: keine Antwort";
    QTest::newRow("read, silent device")
            << "read|--output|%D/new.lumc"
            << "silent" << 0 << QByteArray() << 1 << "Fehler beim Auslesen!";
    QTest::newRow("read over a file, line lost midway")
            << "read|--output|%D/keep.lumc"
            << "drop" << 25 << QByteArray() << 1 << "Fehler beim Auslesen!\n" + lost;
    // Every answer comes late: the robot keeps going, just too slowly.
    QTest::newRow("read, slower than its --timeout")
            << "read|--output|%D/new.lumc|--timeout|2"
            << "late" << 1500 << QByteArray() << 1 << "Zeitüberschreitung";
    QTest::newRow("monitor, fewer screens than --count within --timeout")
            << "monitor|--count|1000|--timeout|1"
            << "silent" << 0 << QByteArray() << 1 << "Zeitüberschreitung";
    QTest::newRow("monitor, line lost") << "monitor|--count|5"
                                        << "drop" << 1 << QByteArray("esc\n") << 1 << lost;
}

void TestLumctl::deviceJobExitsWithStatusAndText()
{
    QFETCH(QString, arguments);
    QFETCH(QString, fault);
    QFETCH(int, amount);
    QFETCH(QByteArray, bytes);
    QFETCH(int, exitCode);
    QFETCH(QString, text);
    DeviceSimulator device;
    QVERIFY(device.loadMenuFile(QStringLiteral(LUM_DEMO_MENU)) && device.start());
    if (fault == "silent")
        device.setSilentAfterKeys(amount);
    else if (fault == "drop")
        device.setDropAfterKeys(amount);
    else if (fault == "late")
        device.setAnswerDelay(amount);
    else if (fault == "noise")
        device.setNoise(amount, bytes);
    const QString existing = samplePath(QStringLiteral("keep.lumc"));
    QFile::remove(m_dir.filePath(QStringLiteral("new.lumc")));
    QStringList command = arguments.replace("%D", m_dir.path()).split('|');
    command.insert(1, "--port");
    command.insert(2, device.portPath());
    const LumctlResult result = runLumctl(command, 120000, fault == "noise" ? "" : bytes);
    QVERIFY2(result.exitCode == exitCode, qPrintable(result.err));
    if (exitCode == 0)
        QCOMPARE(result.out, text);
    else
        QVERIFY2(result.err.contains(text), qPrintable(result.err));
    QCOMPARE(readAll(existing), QByteArray(sampleConfiguration));
    QCOMPARE(
            QDir(m_dir.path()).entryList({ "keep.lumc*", "new.lumc*" }, QDir::Files | QDir::Hidden),
            QStringList{ "keep.lumc" });
}

// One setting of each value type that takes a value, each with a value the
// demo device does not hold yet, set with lumctl into the demo's expected
// read-out and written into the device.
void TestLumctl::setAndWriteChangesTheDeviceValues()
{
    SimMenu menu;
    QVERIFY(menu.load(QStringLiteral(LUM_DEMO_MENU)));
    const QString file = m_dir.filePath(QStringLiteral("demo-write.lumc"));
    QVERIFY(ReadOutOracle::writeReadOut(menu, file));
    const QStringList assignments{ "Einstellungen/Notruf/Sprachansage/Ansagetext=Individuell",
                                   "Einstellungen/Rufnummern/Rufnummer 3=0401112233",
                                   "Einstellungen/Timer/Timerzeit Stoerung=01:15" };
    QCOMPARE(runLumctl(QStringList{ "set", file } + assignments).exitCode, 0);
    // A read-only setting marked in the file (the window's "Alle" box does
    // not, a hand-edited file may) is passed over, and said so.
    const QByteArray imei = "text=\"IMEI\" value=\"356938035643809\" active=\"";
    QByteArray edited = readAll(file);
    QVERIFY(edited.contains(imei + '0'));
    QVERIFY(writeFile(file, edited.replace(imei + '0', imei + '1')));
    DeviceSimulator device;
    QVERIFY(device.loadMenuFile(QStringLiteral(LUM_DEMO_MENU)) && device.start());
    const LumctlResult write = runLumctl({ "write", "--port", device.portPath(), file }, 300000);
    QVERIFY2(write.exitCode == 0, qPrintable(write.err));
    QVERIFY2(write.out.contains("3 Einstellungen übertragen")
                     && write.err.contains("Übertragene Einstellungen: 3 von 3")
                     && write.err.contains("Übergangen (nicht änderbar): Kommunikation/IMEI"),
             qPrintable(write.out + write.err));
    for (const QString &assignment : assignments)
        QCOMPARE(device.value(assignment.section('=', 0, 0).split('/')),
                 assignment.section('=', 1));
}

namespace {

// The demo device's read-out as the menu describes it, saved with the
// device's identity on its root element as a read-out saves it.
bool writeDemoFile(const SimMenu &menu, const QString &file, const QByteArray &origin)
{
    if (!ReadOutOracle::writeReadOut(menu, file))
        return false;
    QByteArray content = readAll(file);
    const QByteArray root = "<deviceProfile version=\"1.0\"";
    if (!content.contains(root))
        return false;
    return writeFile(file, content.replace(root, root + ' ' + origin));
}

const QByteArray demoOrigin = R"(deviceIdentifier="ORV-NR4000 V2.31" serialNumber="4711-0815")";

QString demoMenuText()
{
    return QString::fromUtf8(readAll(QStringLiteral(LUM_DEMO_MENU)));
}

} // namespace

// The file equal to the device compares equal; a value changed on the device
// is exactly the one difference, written alone by --only-changed, after which
// the device compares equal again.
void TestLumctl::compareAndWriteOnlyChanged()
{
    SimMenu menu;
    QVERIFY(menu.load(QStringLiteral(LUM_DEMO_MENU)));
    const QString file = m_dir.filePath(QStringLiteral("demo-compare.lumc"));
    QVERIFY(writeDemoFile(menu, file, demoOrigin));
    const QStringList changed{ "Einstellungen", "Notruf", "Rufversuche" };
    const QString menuText = demoMenuText();
    QVERIFY(menuText.contains("input Rufversuche = 5"));

    DeviceSimulator device;
    QVERIFY(device.loadMenuText(QString(menuText).replace("input Rufversuche = 5",
                                                          "input Rufversuche = 7"))
            && device.start());
    QCOMPARE(device.value(changed), QStringLiteral("7"));
    const LumctlResult differ = runLumctl({ "compare", "--port", device.portPath(), file }, 300000);
    QVERIFY2(differ.exitCode == 1, qPrintable(differ.out + differ.err));
    QCOMPARE(differ.out.split('\n').filter(QRegularExpression("^[~-] ")),
             QStringList{ "~ Einstellungen/Notruf/Rufversuche: \"5\" -> \"7\"" });
    QVERIFY(differ.out.contains("1 Einstellungen weichen ab."));

    const LumctlResult json =
            runLumctl({ "compare", "--port", device.portPath(), file, "--json" }, 300000);
    QCOMPARE(json.exitCode, 1);
    const QJsonObject object = QJsonDocument::fromJson(json.out.toUtf8()).object();
    QCOMPARE(object.value("equal").toBool(true), false);
    QCOMPARE(object.value("serialNumber").toString(), QStringLiteral("4711-0815"));
    QCOMPARE(object.value("differences").toArray().size(), 1);
    const QJsonObject difference = object.value("differences").toArray().at(0).toObject();
    QCOMPARE(difference.value("path").toArray().toVariantList(),
             QVariantList({ "Einstellungen", "Notruf", "Rufversuche" }));
    QCOMPARE(difference.value("file").toString(), QStringLiteral("5"));
    QCOMPARE(difference.value("device").toString(), QStringLiteral("7"));

    const LumctlResult write = runLumctl(
            { "write", "--port", device.portPath(), "--only-changed", "--all", "--report", file },
            300000);
    QVERIFY2(write.exitCode == 0, qPrintable(write.out + write.err));
    QCOMPARE(device.value(changed), QStringLiteral("5"));
    QVERIFY2(write.out.contains("1 Einstellung übertragen")
                     && write.out.contains(QRegularExpression(
                             "Übertragung vollständig, 1 von 1 markierten Einstellungen "
                             "geschrieben, \\d+ unverändert\\."))
                     && write.out.contains(QRegularExpression(
                             "Einstellungen/Notruf/Rufversuche +\\| [^|]+\\| 5 +\\| übernommen"))
                     && write.out.contains(QRegularExpression(
                             "Einstellungen/Notruf/Wahlverfahren +\\| [^|]+\\| Ton +\\| unverändert")),
             qPrintable(write.out + write.err));

    const LumctlResult equal = runLumctl({ "compare", "--port", device.portPath(), file }, 300000);
    QVERIFY2(equal.exitCode == 0, qPrintable(equal.out + equal.err));
    QVERIFY(equal.out.contains("Das Gerät hält die Werte der Datei"));
    const LumctlResult nothing = runLumctl(
            { "write", "--port", device.portPath(), "--only-changed", "--all", file }, 300000);
    QCOMPARE(nothing.exitCode, 0);
    QVERIFY2(nothing.out.contains("Keine Einstellung weicht ab; nichts übertragen"),
             qPrintable(nothing.out + nothing.err));
}

namespace {

void collectValues(const QVector<SimMenuNode> &nodes, const QStringList &above,
                   QMap<QString, QString> *values)
{
    for (const SimMenuNode &node : nodes) {
        const QStringList path = above + QStringList{ node.recordedName };
        if (node.isSetting())
            values->insert(path.join('/'), node.value);
        collectValues(node.children, path, values);
    }
}

// Every setting of the device with its value, by path.
QMap<QString, QString> deviceValues(const DeviceSimulator &device)
{
    QMap<QString, QString> values;
    collectValues(device.menu().entries, {}, &values);
    return values;
}

const char seriesTable[] =
        "Anlage;Seriennummer;Einstellungen/Rufnummern/Rufnummer 1;"
        "Einstellungen/Rufnummern/Rufnummer 3;Einstellungen/Timer/Timerzeit Testalarm\r\n"
        "Aufzug 1;4711-0816;0800111111;0711000001;08:00\r\n"
        "Aufzug 2;4711-0817;0800222222;0711000002;08:15\r\n"
        "Aufzug 3;;0800333333;;09:00\r\n";

} // namespace

// Three lifts of one type in a row, each with its own serial number: each
// gets its row's values and nothing else changes; a row tied to another
// device is never written; what became of each lift is kept beside the
// table from one run of lumctl to the next.
void TestLumctl::seriesWritesEachLiftItsOwnRow()
{
    SimMenu menu;
    QVERIFY(menu.load(QStringLiteral(LUM_DEMO_MENU)));
    const QString templateFile = m_dir.filePath(QStringLiteral("series-vorlage.lumc"));
    QVERIFY(writeDemoFile(menu, templateFile, demoOrigin));
    const QString table = m_dir.filePath(QStringLiteral("anlagen.csv"));
    QVERIFY(writeFile(table, seriesTable));
    QFile::remove(table + ".status");
    const QStringList columns{ "Einstellungen/Rufnummern/Rufnummer 1",
                               "Einstellungen/Rufnummern/Rufnummer 3",
                               "Einstellungen/Timer/Timerzeit Testalarm" };
    const QMap<QString, QStringList> rows{
        { "4711-0816", { "0800111111", "0711000001", "08:00" } },
        { "4711-0817", { "0800222222", "0711000002", "08:15" } },
        { "4711-0818", { "0800333333", "", "09:00" } },
    };
    auto series = [&](const DeviceSimulator &device, const QStringList &more) {
        return runLumctl(QStringList{ "series", "--port", device.portPath(), "--template",
                                      templateFile, "--table", table }
                                 + more,
                         300000);
    };
    auto holdsItsRowOnly = [&](const DeviceSimulator &device, const QString &serial,
                               const QMap<QString, QString> &before) {
        QMap<QString, QString> expected = before;
        for (int c = 0; c < columns.size(); ++c)
            expected[columns.at(c)] = rows.value(serial).at(c);
        return deviceValues(device) == expected;
    };

    QVector<DeviceSimulator *> devices;
    for (const QString &serial : rows.keys()) {
        auto *device = new DeviceSimulator(this);
        QVERIFY(device->loadMenuFile(QStringLiteral(LUM_DEMO_MENU)));
        QVERIFY(device->setSerialNumber(serial));
        QVERIFY(device->start());
        devices.append(device);
    }
    DeviceSimulator &first = *devices.at(0);
    DeviceSimulator &second = *devices.at(1);
    DeviceSimulator &third = *devices.at(2);

    // The first lift with its read-out kept in the history.
    const QMap<QString, QString> firstBefore = deviceValues(first);
    const LumctlResult one = series(first, {});
    QVERIFY2(one.exitCode == 0, qPrintable(one.out + one.err));
    QVERIFY(holdsItsRowOnly(first, "4711-0816", firstBefore));
    QVERIFY2(one.out.contains(QRegularExpression(
                     "Verlauf: .*/ORV-NR4000 V2.31 SN 4711-0816 [-0-9 ]+\\.lumc\n"))
                     && one.out.contains("Aufzug 1 (Nr. 4711-0816): 2 Einstellungen übertragen "
                                         "und bestätigt, 1 unverändert\n")
                     && one.out.contains("Erledigt: 1 von 3; offen: Aufzug 2, Aufzug 3\n"),
             qPrintable(one.out + one.err));

    // A dry run sends no value.
    const QMap<QString, QString> secondBefore = deviceValues(second);
    const LumctlResult dry = series(second, { "--no-history", "--dry-run" });
    QVERIFY2(dry.exitCode == 0, qPrintable(dry.out + dry.err));
    QCOMPARE(deviceValues(second), secondBefore);
    for (const QString &column : columns)
        QVERIFY(second.keyedInput(column.split('/')).isNull());
    QVERIFY2(dry.out.contains("~ Einstellungen/Timer/Timerzeit Testalarm: \"08:15\" -> \"08:00\"")
                     && dry.out.contains("Aufzug 2 (Nr. 4711-0817): 3 Einstellungen würden "
                                         "übertragen, 0 unverändert (Probelauf, nichts gesendet)"),
             qPrintable(dry.out));

    // The second lift by its serial number, in another run of lumctl.
    const LumctlResult two = series(second, { "--no-history" });
    QVERIFY2(two.exitCode == 0, qPrintable(two.out + two.err));
    QVERIFY(holdsItsRowOnly(second, "4711-0817", secondBefore));
    QVERIFY2(two.out.contains("Erledigt: 2 von 3; offen: Aufzug 3\n"), qPrintable(two.out));

    // The third device is in no row: neither without a name nor under the
    // name of a row tied to another device is anything written.
    const QMap<QString, QString> thirdBefore = deviceValues(third);
    const LumctlResult unknown = series(third, { "--no-history" });
    QCOMPARE(unknown.exitCode, 2);
    QVERIFY2(unknown.err.contains("Keine Zeile der Tabelle gehört zum Gerät Nr. 4711-0818."),
             qPrintable(unknown.err));
    const LumctlResult others = series(third, { "--no-history", "--row", "Aufzug 1" });
    QCOMPARE(others.exitCode, 2);
    QVERIFY2(others.err.contains("\"Aufzug 1\" (Zeile 2) gehört zum Gerät Nr. 4711-0816; "
                                 "angeschlossen ist Nr. 4711-0818."),
             qPrintable(others.err));
    QCOMPARE(deviceValues(third), thirdBefore);
    // The free row by its name.
    const LumctlResult three = series(third, { "--no-history", "--row", "Aufzug 3" });
    QVERIFY2(three.exitCode == 0, qPrintable(three.out + three.err));
    QVERIFY(holdsItsRowOnly(third, "4711-0818", thirdBefore));
    QVERIFY2(three.out.contains("Aufzug 3 (Nr. 4711-0818): 2 Einstellungen übertragen und "
                                "bestätigt, 1 unverändert\nErledigt: 3 von 3\n"),
             qPrintable(three.out));

    // Once more on the first: nothing to write, and so recorded.
    const LumctlResult again = series(first, { "--no-history" });
    QVERIFY2(again.exitCode == 0, qPrintable(again.out + again.err));
    QVERIFY2(again.out.contains("Aufzug 1 (Nr. 4711-0816): unverändert, das Gerät hält die "
                                "Werte (3 Einstellungen verglichen)"),
             qPrintable(again.out));
    const QStringList status =
            QString::fromUtf8(readAll(table + ".status")).split("\r\n", Qt::SkipEmptyParts);
    QCOMPARE(status.size(), 4);
    QVERIFY2(status.at(1).startsWith("Aufzug 1;4711-0816;unverändert;")
                     && status.at(2).startsWith("Aufzug 2;4711-0817;übertragen;")
                     && status.at(3).startsWith("Aufzug 3;4711-0818;übertragen;"),
             qPrintable(status.join('\n')));
    qDeleteAll(devices);
}

// A table with a problem is refused with its row and column before the
// port is opened: the device sees no key at all.
void TestLumctl::badSeriesTableSendsNoKey()
{
    SimMenu menu;
    QVERIFY(menu.load(QStringLiteral(LUM_DEMO_MENU)));
    const QString templateFile = m_dir.filePath(QStringLiteral("series-vorlage.lumc"));
    QVERIFY(writeDemoFile(menu, templateFile, demoOrigin));
    const QString table = m_dir.filePath(QStringLiteral("fehler.csv"));
    QVERIFY(writeFile(table, QByteArray(seriesTable).replace("0711000002", "0711-02")));
    DeviceSimulator device;
    QVERIFY(device.loadMenuFile(QStringLiteral(LUM_DEMO_MENU)) && device.start());
    const LumctlResult refused = runLumctl({ "series", "--port", device.portPath(), "--template",
                                             templateFile, "--table", table });
    QCOMPARE(refused.exitCode, 2);
    QCOMPARE(refused.err,
             table + ": Zeile 3, Spalte 4 (Einstellungen/Rufnummern/Rufnummer 3): \"0711-02\": "
                     "nur Ziffern 0-9, # und * möglich\n"
                     "Die Tabelle hat Fehler; nichts übertragen.\n");
    QCOMPARE(device.keyCount(), 0);
    QVERIFY(!QFile::exists(table + ".status"));
}

// The template is meant for every device of its identifier, whichever
// device it was read from, and for no other type.
void TestLumctl::seriesTemplateOfAnotherTypeIsRefused()
{
    SimMenu menu;
    QVERIFY(menu.load(QStringLiteral(LUM_DEMO_MENU)));
    const QString templateFile = m_dir.filePath(QStringLiteral("series-nr4100.lumc"));
    QVERIFY(writeDemoFile(menu, templateFile,
                          R"(deviceIdentifier="ORV-NR4100 V2.48" serialNumber="4711-0815")"));
    const QString table = m_dir.filePath(QStringLiteral("nr4100.csv"));
    QVERIFY(writeFile(table, seriesTable));
    DeviceSimulator device;
    QVERIFY(device.loadMenuFile(QStringLiteral(LUM_DEMO_MENU)));
    QVERIFY(device.setSerialNumber(QStringLiteral("4711-0816")) && device.start());
    const QMap<QString, QString> before = deviceValues(device);
    const LumctlResult refused =
            runLumctl({ "series", "--port", device.portPath(), "--template", templateFile,
                        "--table", table, "--no-history" },
                      300000);
    QCOMPARE(refused.exitCode, 2);
    QVERIFY2(refused.err.contains("Die Datei gehört zu einem anderen Gerät: Datei von "
                                  "ORV-NR4100 V2.48; angeschlossen: ORV-NR4000 V2.31, "
                                  "Nr. 4711-0816\n"),
             qPrintable(refused.err));
    QCOMPARE(deviceValues(device), before);
}

// A device that stores another value than the one keyed in fails the
// lift: status 1, and the lift stays open in the status for the next run.
void TestLumctl::seriesValueNotTakenIsRecordedFailed()
{
    SimMenu menu;
    QVERIFY(menu.load(QStringLiteral(LUM_DEMO_MENU)));
    const QString templateFile = m_dir.filePath(QStringLiteral("series-vorlage.lumc"));
    QVERIFY(writeDemoFile(menu, templateFile, demoOrigin));
    const QString table = m_dir.filePath(QStringLiteral("gescheitert.csv"));
    QVERIFY(writeFile(table, seriesTable));
    QFile::remove(table + ".status");
    DeviceSimulator device;
    QVERIFY(device.loadMenuFile(QStringLiteral(LUM_DEMO_MENU)));
    QVERIFY(device.setSerialNumber(QStringLiteral("4711-0817")));
    device.setValueAlteration({ "Einstellungen", "Rufnummern", "Rufnummer 1" }, "0800222222",
                              "080022222");
    QVERIFY(device.start());
    const LumctlResult failed =
            runLumctl({ "series", "--port", device.portPath(), "--template", templateFile,
                        "--table", table, "--no-history" },
                      300000);
    QVERIFY2(failed.exitCode == 1, qPrintable(failed.out + failed.err));
    QVERIFY2(failed.out.contains(QRegularExpression(
                     "^Aufzug 2 \\(Nr\\. 4711-0817\\): Übertragung fehlgeschlagen",
                     QRegularExpression::MultilineOption))
                     && failed.out.contains("Erledigt: 0 von 3; offen: Aufzug 1, Aufzug 2, "
                                            "Aufzug 3\n"),
             qPrintable(failed.out + failed.err));
    QVERIFY2(QString::fromUtf8(readAll(table + ".status"))
                     .contains("\r\nAufzug 2;4711-0817;fehlgeschlagen;"),
             qPrintable(readAll(table + ".status")));
}

// A file knows its device: one from another identifier or serial number is
// refused (status 2, nothing written) unless --other-device; a template
// writes to any device of its identifier, a file without origin anywhere.
void TestLumctl::fileFromAnotherDeviceIsRefused_data()
{
    QTest::addColumn<QByteArray>("origin");
    QTest::addColumn<QString>("options");
    QTest::addColumn<bool>("refused");
    const QByteArray otherSerial = R"(deviceIdentifier="ORV-NR4000 V2.31" serialNumber="9999-0001")";
    const QByteArray otherType = R"(deviceIdentifier="ORV-NR4100 V2.48" serialNumber="4711-0815")";
    QTest::newRow("same device") << demoOrigin << "" << false;
    QTest::newRow("other serial number") << otherSerial << "" << true;
    QTest::newRow("other serial number, only changed") << otherSerial << "--only-changed" << true;
    QTest::newRow("other serial number, allowed") << otherSerial << "--other-device" << false;
    QTest::newRow("other identifier") << otherType << "" << true;
    QTest::newRow("other identifier, only changed, allowed") << otherType << "--only-changed|--other-device" << false;
    QTest::newRow("template of the identifier") << QByteArray(otherSerial + " template=\"1\"") << "" << false;
    QTest::newRow("template of another identifier") << QByteArray(otherType + " template=\"1\"") << "" << true;
    QTest::newRow("no origin") << QByteArray() << "" << false;
}

void TestLumctl::fileFromAnotherDeviceIsRefused()
{
    QFETCH(QByteArray, origin);
    QFETCH(QString, options);
    QFETCH(bool, refused);
    SimMenu menu;
    QVERIFY(menu.load(QStringLiteral(LUM_DEMO_MENU)));
    const QString file = m_dir.filePath(QStringLiteral("demo-other.lumc"));
    QVERIFY(writeDemoFile(menu, file, origin));
    const QString assignment = "Einstellungen/Notruf/Rufversuche=3";
    QCOMPARE(runLumctl({ "set", file, assignment }).exitCode, 0);
    DeviceSimulator device;
    QVERIFY(device.loadMenuFile(QStringLiteral(LUM_DEMO_MENU)) && device.start());
    const LumctlResult write =
            runLumctl(QStringList{ "write", "--port", device.portPath(), file }
                              + options.split('|', Qt::SkipEmptyParts),
                      300000);
    const QStringList path{ "Einstellungen", "Notruf", "Rufversuche" };
    if (refused) {
        QCOMPARE(write.exitCode, 2);
        QCOMPARE(device.value(path), QStringLiteral("5"));
        const QString fileSide = origin.contains("NR4100") ? "ORV-NR4100 V2.48, Nr. 4711-0815"
                                                           : "ORV-NR4000 V2.31, Nr. 9999-0001";
        QVERIFY2(write.err.contains("Datei von " + fileSide
                                    + "; angeschlossen: ORV-NR4000 V2.31, Nr. 4711-0815"),
                 qPrintable(write.err));
    } else {
        QVERIFY2(write.exitCode == 0, qPrintable(write.out + write.err));
        QCOMPARE(device.value(path), QStringLiteral("3"));
    }
}

// "doctor" on the simulator's port, free, held by a link of this test, held
// by a second lumctl, a plain file, or missing; and a device command on a
// port another lumctl holds. %P stands for the port, %H for the holder's
// process id, %F for the plain file.
void TestLumctl::doctorAndOpenSayWhoHoldsThePort_data()
{
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QString>("holder"); // "", "link", "lumctl"
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out"); // looked for on standard output
    QTest::addColumn<QString>("err"); // looked for on standard error
    QTest::newRow("free port") << "doctor|--port|%P"
                               << "" << 0
                               << "%P (Hersteller: unbekannt, Seriennummer: unbekannt)\n"
                                  "  Zugriff: erlaubt\n  Belegt: nein\n  Nutzbar: ja\n"
                               << "";
    QTest::newRow("held by a link") << "doctor|--port|%P"
                                    << "link" << 2 << "  Belegt von: tst_lumctl (Prozess %H)\n"
                                    << "Ergebnis: %P ist nicht nutzbar. Die Schnittstelle %P ist "
                                       "belegt von tst_lumctl (Prozess %H). Das Programm beenden "
                                       "oder dort die Verbindung trennen, dann erneut verbinden.";
    QTest::newRow("held by another lumctl")
            << "doctor|--port|%P"
            << "lumctl" << 2 << "  Belegt von: lumctl (Prozess %H)\n"
            << "Die Schnittstelle %P ist schon von einem anderen LUM belegt: lumctl (Prozess %H).";
    QTest::newRow("identify on a port another lumctl holds")
            << "identify|--port|%P"
            << "lumctl" << 2 << ""
            << "Die Schnittstelle %P ist schon von einem anderen LUM belegt: lumctl (Prozess %H). "
               "Dort die Verbindung trennen oder das Programm beenden, dann erneut verbinden.";
    // Nothing to be seen stands in the way; only opening it shows.
    QTest::newRow("a plain file")
            << "doctor|--port|%F"
            << "" << 2 << "  Zugriff: erlaubt\n  Belegt: nein\n  Nutzbar: nein."
            << "Ergebnis: %F ist nicht nutzbar. %F ist keine serielle Schnittstelle";
    QTest::newRow("missing port")
            << "doctor|--port|%P/gone"
            << "" << 2
            << "%P/gone (Hersteller: unbekannt, Seriennummer: unbekannt)\n  Nutzbar: nein."
            << "Ergebnis: %P/gone ist nicht nutzbar. Die Schnittstelle %P/gone gibt es nicht "
               "(mehr): der Adapter ist nicht eingesteckt oder wurde abgezogen. Adapter einstecken "
               "und die Schnittstelle neu wählen.";
}

void TestLumctl::doctorAndOpenSayWhoHoldsThePort()
{
    QFETCH(QString, arguments);
    QFETCH(QString, holder);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);
    DeviceSimulator device;
    QVERIFY(device.loadMenuFile(QStringLiteral(LUM_DEMO_MENU)) && device.start());
    KelHandler link;
    QProcess monitor;
    qint64 holderPid = 0;
    if (holder == "link") {
        QVERIFY(link.openSerialPortByName(device.portPath()));
        holderPid = QCoreApplication::applicationPid();
    } else if (holder == "lumctl") {
        // A second LUM at work on the port: it has shown the device's answer.
        monitor.start(QStringLiteral(LUMCTL_PATH),
                      { "monitor", "--port", device.portPath(), "--timeout", "120" });
        QVERIFY(monitor.waitForStarted(30000));
        monitor.write("esc\n");
        QVERIFY(RobotHarness::waitFor(
                &monitor, &QProcess::readyReadStandardOutput,
                [&] { return monitor.peek(4096).contains("Programmierung"); }, 30000));
        holderPid = monitor.processId();
    }
    const QString plainFile = m_dir.filePath(QStringLiteral("ttyPlain"));
    QVERIFY(writeFile(plainFile, ""));
    const auto fill = [&](QString text) {
        return text.replace("%P", device.portPath())
                .replace("%H", QString::number(holderPid))
                .replace("%F", plainFile);
    };
    const LumctlResult result = runLumctl(fill(arguments).split('|'));
    if (monitor.state() != QProcess::NotRunning) {
        monitor.kill();
        monitor.waitForFinished(10000);
    }
    QVERIFY2(result.exitCode == exitCode, qPrintable(result.out + result.err));
    QVERIFY2(result.out.contains(fill(out)), qPrintable(result.out));
    QVERIFY2(result.err.contains(fill(err)), qPrintable(result.err));
}

QTEST_GUILESS_MAIN(TestLumctl)
#include "tst_lumctl.moc"
