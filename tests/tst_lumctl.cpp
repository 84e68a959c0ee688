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
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "confitem.h"
#include "deviceprofile.h"
#include "devicesimulator.h"
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
  </section>
  <section text="Reset" sectiontype="blocked"/>
 </menuTree>
</deviceProfile>
)";

struct LumctlResult
{
    bool finished = false;
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
    result.finished = ended && process.exitStatus() == QProcess::NormalExit;
    if (!ended) {
        process.kill();
        process.waitForFinished(10000);
    }
    result.exitCode = process.exitCode();
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

bool startDemoDevice(DeviceSimulator &device)
{
    QString error;
    if (device.loadMenuFile(QStringLiteral(LUM_DEMO_MENU), &error) && device.start(&error))
        return true;
    qWarning() << "simulator:" << error;
    return false;
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
    void showListsEveryEntryWithPathTypeValueAndMark();
    void setRefusesNamingTheProblemAndLeavesFileAlone_data();
    void setRefusesNamingTheProblemAndLeavesFileAlone();
    void diffReportsChangedAddedAndRemovedEntries_data();
    void diffReportsChangedAddedAndRemovedEntries();
    void debugLogSwitchAppendsLinesToHomeLog();
    void monitorPrintsScreensTheDeviceSendsByItself_data();
    void monitorPrintsScreensTheDeviceSendsByItself();
    void monitorSendsPipedKeysOnePerScreen();
    void failingDeviceJobExitsWithOneAndKeepsTarget_data();
    void failingDeviceJobExitsWithOneAndKeepsTarget();
    void setAndWriteChangesTheDeviceValues();

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

// An FTDI adapter on this machine would be preferred; otherwise the first
// extra port is. The list is sorted.
void TestLumctl::portsListsExtraPortsAndMarksOnePreferred()
{
    const QString first = m_dir.filePath("ttyB"), second = m_dir.filePath("ttyA");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LUM_EXTRA_PORTS"), first + ':' + second);
    const LumctlResult result = runLumctl({ "ports" }, 60000, QByteArray(), environment);
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(result.out.indexOf(second + '\t') >= 0
                     && result.out.indexOf(second + '\t') < result.out.indexOf(first + '\t'),
             qPrintable(result.out));
    const QStringList marked = result.out.split('\n').filter(QRegularExpression("\t\\*$"));
    QCOMPARE(marked.size(), 1);
    if (!result.out.contains(QLatin1String("\tFTDI\t")))
        QCOMPARE(marked.first().section('\t', 0, 0), first);
}

void TestLumctl::commandLineExitsWithStatusAndText_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("text"); // on standard output for 0, on standard error otherwise
    const QString sample = samplePath();
    const QString gone = m_dir.filePath("ttyGone"), never = m_dir.filePath("never.lumc");
    writeFile(m_dir.filePath("other.xml"), "<html><body/></html>");
    QTest::newRow("help overview")
            << QStringList{ "--help" } << 0 << "lumctl read --port P --output DATEI";
    QTest::newRow("help among other arguments")
            << QStringList{ "read", "--port", "x", "-h" } << 0 << "Aufruf: lumctl read";
    QTest::newRow("no command") << QStringList() << 2 << "Befehle:";
    QTest::newRow("unknown command") << QStringList{ "erase" } << 2 << "erase";
    QTest::newRow("unknown option") << QStringList{ "show", sample, "--colour" } << 2 << "colour";
    QTest::newRow("read without port") << QStringList{ "read", "--output", never } << 2 << "--port";
    QTest::newRow("read into missing folder")
            << QStringList{ "read", "--port", "/dev/null", "--output",
                            m_dir.filePath("no/dir/x.lumc") }
            << 2 << "no/dir/x.lumc";
    QTest::newRow("port that cannot be opened")
            << QStringList{ "read", "--port", gone, "--output", never } << 2
            << QString::fromUtf8("Port \"%1\" kann nicht geöffnet werden: ").arg(gone);
    QTest::newRow("timeout not a number")
            << QStringList{ "identify", "--port", "/dev/null", "--timeout", "soon" } << 2
            << "--timeout";
    QTest::newRow("count zero") << QStringList{ "monitor", "--port", "/dev/null", "--count", "0" }
                                << 2 << "--count";
    QTest::newRow("show of XML that is no configuration")
            << QStringList{ "show", m_dir.filePath("other.xml") } << 2 << "other.xml";
    QTest::newRow("write of a file with nothing marked")
            << QStringList{ "write", "--port", gone, sample } << 2
            << QString::fromUtf8("Keine Einstellung zur Übertragung markiert");
    QTest::newRow("set without assignment")
            << QStringList{ "set", sample } << 2 << "Aufruf: lumctl set";
    QTest::newRow("diff with unreadable second file")
            << QStringList{ "diff", sample, m_dir.filePath("missing.lumc") } << 2 << "missing.lumc";
}

void TestLumctl::commandLineExitsWithStatusAndText()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, text);
    const LumctlResult result = runLumctl(arguments);
    QVERIFY(result.finished);
    QCOMPARE(result.exitCode, exitCode);
    QVERIFY2((exitCode == 0 ? result.out : result.err).contains(text),
             qPrintable(result.out + result.err));
    QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("never.lumc"))));
}

void TestLumctl::showListsEveryEntryWithPathTypeValueAndMark()
{
    const QString path = m_dir.filePath(QStringLiteral("marked.lumc"));
    QVERIFY(writeFile(path,
                      QByteArray(sampleConfiguration)
                              .replace("\"0711\" active=\"0\"", "\"0711\" active=\"1\"")));
    const LumctlResult result = runLumctl({ "show", path });
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.out,
             QString("Einstellungen\tsection\t\t-\n"
                     "Einstellungen/Notruf\tsection\t\t-\n"
                     "Einstellungen/Notruf/Notrufende\tselection\tQuittierung\t-\n"
                     "Einstellungen/Notruf/Rufnummer 1\tinputnum\t0711\t*\n"
                     "Einstellungen/Timerzeit\tinputtime_hhmm\t00:30\t-\n"
                     "Einstellungen/Uhrzeit\tinputsystemtime\t12:00\t-\n"
                     "Einstellungen/Datum\tinputsystemdate\t01.01.26\t-\n"
                     "Einstellungen/Seriennummer\treadonly\t12345\t-\n"
                     "Einstellungen/Service-Center\tblocked\t+49\t-\n"
                     "Einstellungen/Version 1.2\tinfo\t\t-\n"
                     "Reset\tsection\t\t-\n"));
    // The same entries for a script, with the path as a list and the options.
    const LumctlResult json = runLumctl({ "show", path, "--json" });
    QCOMPARE(json.exitCode, 0);
    const QJsonArray entries = QJsonDocument::fromJson(json.out.toUtf8()).array();
    QCOMPARE(entries.size(), 11);
    QCOMPARE(QJsonDocument(entries.at(2).toObject()).toJson(QJsonDocument::Compact),
             QByteArray("{\"active\":false,\"options\":[\"Quittierung\",\"Befreiung\"],\"path\":["
                        "\"Einstellungen\","
                        "\"Notruf\",\"Notrufende\"],\"type\":\"selection\",\"value\":"
                        "\"Quittierung\"}"));
    QCOMPARE(entries.at(3).toObject().value("active").toBool(), true);
}

void TestLumctl::setRefusesNamingTheProblemAndLeavesFileAlone_data()
{
    QTest::addColumn<QStringList>("assignments");
    QTest::addColumn<QString>("problem");
    QTest::newRow("unknown path") << QStringList{ "Einstellungen/Notruf/Lautstärke=3" }
                                  << "Einstellungen/Notruf/Lautstärke";
    QTest::newRow("section") << QStringList{ "Einstellungen/Notruf=1" } << "keine Einstellung";
    QTest::newRow("read-only setting")
            << QStringList{ "Einstellungen/Seriennummer=1" } << "readonly";
    QTest::newRow("option the selection lacks")
            << QStringList{ "Einstellungen/Notruf/Notrufende=Sofort" }
            << "\"Quittierung\", \"Befreiung\"";
    QTest::newRow("letter in number")
            << QStringList{ "Einstellungen/Notruf/Rufnummer 1=0711a" } << "0711a";
    QTest::newRow("time with one hour digit")
            << QStringList{ "Einstellungen/Timerzeit=7:45" } << "hh:mm";
    QTest::newRow("value for PC time")
            << QStringList{ "Einstellungen/Uhrzeit=13:00" } << "Einstellungen/Uhrzeit=";
    QTest::newRow("no equals sign") << QStringList{ "Einstellungen/Timerzeit" } << "PFAD=WERT";
    QTest::newRow("one good, one bad")
            << QStringList{ "Einstellungen/Timerzeit=01:00", "Einstellungen/Notruf/Notrufende=Nie" }
            << "Nie";
}

void TestLumctl::setRefusesNamingTheProblemAndLeavesFileAlone()
{
    QFETCH(QStringList, assignments);
    QFETCH(QString, problem);
    const QString file = samplePath();
    const LumctlResult result = runLumctl(QStringList{ "set", file } + assignments);
    QCOMPARE(result.exitCode, 2);
    QVERIFY2(result.err.contains(problem), qPrintable(result.err));
    QCOMPARE(readAll(file), QByteArray(sampleConfiguration));
}

void TestLumctl::diffReportsChangedAddedAndRemovedEntries_data()
{
    QTest::addColumn<QByteArray>("from");
    QTest::addColumn<QByteArray>("to");
    QTest::addColumn<QString>("expected");
    QTest::newRow("identical") << QByteArray() << QByteArray() << "";
    QTest::newRow("changed value")
            << QByteArray("value=\"00:30\"") << QByteArray("value=\"01:15\"")
            << "~ Einstellungen/Timerzeit: \"00:30\" -> \"01:15\" (inputtime_hhmm)\n";
    QTest::newRow("renamed entry is removed and added")
            << QByteArray("text=\"Rufnummer 1\"") << QByteArray("text=\"Rufnummer 2\"")
            << "- Einstellungen/Notruf/Rufnummer 1 (inputnum)\n+ Einstellungen/Notruf/Rufnummer 2 "
               "(inputnum)\n";
    QTest::newRow("mark alone is no difference")
            << QByteArray("\"0711\" active=\"0\"") << QByteArray("\"0711\" active=\"1\"") << "";
}

void TestLumctl::diffReportsChangedAddedAndRemovedEntries()
{
    QFETCH(QByteArray, from);
    QFETCH(QByteArray, to);
    QFETCH(QString, expected);
    const QString b = m_dir.filePath(QStringLiteral("b.lumc"));
    QVERIFY(writeFile(b, QByteArray(sampleConfiguration).replace(from, to)));
    const LumctlResult result = runLumctl({ "diff", samplePath(QStringLiteral("a.lumc")), b });
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.out, expected);
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
    const QString stamp = R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} )";
    QCOMPARE(
            lines
                    .filter(QRegularExpression(
                            stamp
                            + R"(Debug: ######################## START LUMCTL "4\.1\.3 - DEBUGLOG AKTIV" ########################$)"))
                    .size(),
            2);
    QCOMPARE(lines.filter(QRegularExpression(stamp + "(Debug|Info|Warning|Critical|Fatal): ")),
             lines);
}

void TestLumctl::monitorPrintsScreensTheDeviceSendsByItself_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("expected");
    // A Latin-1 byte comes out as one character in UTF-8; the cursor stands
    // behind the second line.
    const QString line =
            QString::fromUtf8(
                    R"({"cursorRow":1,"lines":"Gerät%1\nok%2","overlay":"%3\n  _%4","text":"Gerät%5\nok%6"})")
                    .arg(QString(27, ' '), QString(30, ' '), QString(16, ' '), QString(13, ' '),
                         QString(11, ' '), QString(14, ' '));
    QTest::newRow("json, two screens")
            << QByteArray("\x0cGer\xe4t\r\nok") << QStringList{ "--json", "--count", "2" }
            << line + "\n" + line + "\n";
    // "AB" written over the start of an overlong second row: the cursor
    // stands behind it, and the row still runs past 16 columns.
    QTest::newRow("framed, overlong line")
            << QByteArray("\x0cNOTRUF AKTIV\r\n12345678901234567890\rAB")
            << QStringList{ "--count", "1" } << "|NOTRUF AKTIV    |\n|AB34567890123456|+\n   ^\n\n";
}

void TestLumctl::monitorPrintsScreensTheDeviceSendsByItself()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, options);
    QFETCH(QString, expected);
    DeviceSimulator device;
    QVERIFY(startDemoDevice(device));
    // The device repeats its screen on its own; every burst starts with a
    // clear screen, so whichever burst lumctl sees first is whole.
    device.setNoise(300, bytes);
    const LumctlResult result =
            runLumctl(QStringList{ "monitor", "--port", device.portPath() } + options);
    QVERIFY2(result.finished && result.exitCode == 0, qPrintable(result.err));
    QCOMPARE(result.out, expected);
}

// Names in any case and with blanks around them; an unknown one is reported
// and skipped. Each key gets a screen of its own; the last one is the device's.
void TestLumctl::monitorSendsPipedKeysOnePerScreen()
{
    DeviceSimulator device;
    QVERIFY(startDemoDevice(device));
    const LumctlResult result =
            runLumctl({ "monitor", "--port", device.portPath(), "--count", "4" }, 60000,
                      "Esc\n  7 \nF1\nok\n+\n");
    QVERIFY2(result.finished && result.exitCode == 0, qPrintable(result.err));
    QCOMPARE(device.receivedKeys(),
             QByteArray("\x1b"
                        "7\r+"));
    QVERIFY2(result.err.contains(QLatin1String("F1")), qPrintable(result.err));
    const QStringList screens = result.out.split(QStringLiteral("\n\n"), Qt::SkipEmptyParts);
    QCOMPARE(screens.size(), 4);
    QCOMPARE(screens.last().section('\n', 0, 0),
             '|' + device.screen().value(0).left(16).leftJustified(16) + '|');
}

void TestLumctl::failingDeviceJobExitsWithOneAndKeepsTarget_data()
{
    QTest::addColumn<QStringList>("arguments"); // the command, then all but --port
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("amount");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    const QString lost = QString::fromUtf8("Verbindung zum Gerät wurde getrennt!");
    // lumctl leaves the device on its identification screen; the demo
    // device is in programming mode, so the jumper warning follows.
    QTest::newRow("identify") << QStringList{ "identify" } << "" << 0 << 0
                              << QString::fromUtf8("Jumper zurücksetzen");
    QTest::newRow("identify, silent device")
            << QStringList{ "identify" } << "silent" << 0 << 1 << "nicht identifiziert";
    QTest::newRow("read, silent device") << QStringList{ "read", "--output", "new.lumc" }
                                         << "silent" << 0 << 1 << "Fehler beim Auslesen!";
    QTest::newRow("read over an existing file, line lost midway")
            << QStringList{ "read", "--output", "keep.lumc" } << "drop" << 25 << 1
            << "Fehler beim Auslesen!\n" + lost;
    // Every answer comes late: the robot keeps going, just too slowly.
    QTest::newRow("read, slower than its --timeout")
            << QStringList{ "read", "--output", "new.lumc", "--timeout", "2" } << "late" << 1500
            << 1 << QString::fromUtf8("Zeitüberschreitung");
    QTest::newRow("monitor, fewer screens than --count within --timeout")
            << QStringList{ "monitor", "--count", "1000", "--timeout", "1" } << "silent" << 0 << 1
            << QString::fromUtf8("Zeitüberschreitung");
    QTest::newRow("monitor, line lost")
            << QStringList{ "monitor", "--count", "5" } << "drop" << 1 << 1 << lost;
}

void TestLumctl::failingDeviceJobExitsWithOneAndKeepsTarget()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, fault);
    QFETCH(int, amount);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    DeviceSimulator device;
    QVERIFY(startDemoDevice(device));
    if (fault == "silent")
        device.setSilentAfterKeys(amount);
    else if (fault == "drop")
        device.setDropAfterKeys(amount);
    else if (fault == "late")
        device.setAnswerDelay(amount);
    const int output = arguments.indexOf(QStringLiteral("--output")) + 1;
    const QString target = output > 0 ? m_dir.filePath(arguments.at(output)) : QString();
    if (output > 0) {
        arguments[output] = target;
        QFile::remove(target);
    }
    const bool existing = target.endsWith(QLatin1String("keep.lumc"));
    if (existing)
        samplePath(QStringLiteral("keep.lumc"));
    // The key is read by the monitor only.
    const LumctlResult result =
            runLumctl(QStringList{ arguments.takeFirst(), "--port", device.portPath() } + arguments,
                      120000, "esc\n");
    QVERIFY2(result.finished && result.exitCode == exitCode, qPrintable(result.err));
    if (exitCode == 0) {
        QCOMPARE(result.out.section('\n', 0, 0), device.screen().value(0).trimmed());
        QVERIFY2(result.out.contains(message), qPrintable(result.out));
        return;
    }
    QVERIFY2(result.err.contains(message), qPrintable(result.err));
    if (existing)
        QCOMPARE(QDir(m_dir.path()).entryList({ "keep.lumc*" }, QDir::Files | QDir::Hidden),
                 QStringList{ "keep.lumc" });
    QCOMPARE(readAll(target), existing ? QByteArray(sampleConfiguration) : QByteArray());
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
    DeviceProfile edited;
    QVERIFY(edited.load(file));
    for (ConfItem *item : edited.items())
        item->setActive(item->active()
                        || item->menuPath().join('/') == QLatin1String("Kommunikation/IMEI"));
    QVERIFY(edited.save(file));

    DeviceSimulator device;
    QVERIFY(startDemoDevice(device));
    const LumctlResult write = runLumctl({ "write", "--port", device.portPath(), file }, 300000);
    QVERIFY2(write.finished && write.exitCode == 0, qPrintable(write.err));
    QVERIFY2(write.out.contains(QString::fromUtf8("3 Einstellungen übertragen")),
             qPrintable(write.out));
    QVERIFY2(write.err.contains(QString::fromUtf8("Übertragene Einstellungen: 3 von 3")),
             qPrintable(write.err));
    QVERIFY2(write.err.contains(
                     QString::fromUtf8("Übergangen (nicht änderbar): Kommunikation/IMEI")),
             qPrintable(write.err));
    for (const QString &assignment : assignments)
        QCOMPARE(device.value(assignment.section('=', 0, 0).split('/')),
                 assignment.section('=', 1));
}

QTEST_GUILESS_MAIN(TestLumctl)
#include "tst_lumctl.moc"
