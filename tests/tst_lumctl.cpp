// lumctl as a technician or a script uses it: the built program run as a
// separate process, files in a temporary folder, and the project's device
// simulator on a pseudo-terminal standing in for the device.

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "deviceprofile.h"
#include "devicesimulator.h"
#include "readoutoracle.h"
#include "robotharness.h"
#include "simmenu.h"
#include "treetext.h"

namespace {

// Small but complete: every entry kind and every value type.
const char *const sampleConfiguration =
        "<deviceProfile version=\"1.0\">\n"
        " <menuTree>\n"
        "  <section text=\"Einstellungen\">\n"
        "   <section text=\"Notruf\">\n"
        "    <setting text=\"Notrufende\" value=\"Quittierung\" active=\"0\" "
        "valuetype=\"selection\">\n"
        "     <option text=\"Quittierung\"/>\n"
        "     <option text=\"Befreiung\"/>\n"
        "    </setting>\n"
        "    <setting text=\"Rufnummer 1\" value=\"0711\" active=\"0\" valuetype=\"inputnum\"/>\n"
        "   </section>\n"
        "   <setting text=\"Timerzeit\" value=\"00:30\" active=\"0\" "
        "valuetype=\"inputtime_hhmm\"/>\n"
        "   <setting text=\"Uhrzeit\" value=\"12:00\" active=\"0\" "
        "valuetype=\"inputsystemtime\"/>\n"
        "   <setting text=\"Datum\" value=\"01.01.26\" active=\"0\" "
        "valuetype=\"inputsystemdate\"/>\n"
        "   <setting text=\"Seriennummer\" value=\"12345\" active=\"0\" valuetype=\"readonly\"/>\n"
        "   <setting text=\"Service-Center\" value=\"+49\" active=\"0\" valuetype=\"blocked\"/>\n"
        "   <info text=\"Version 1.2\"/>\n"
        "  </section>\n"
        "  <section text=\"Reset\" sectiontype=\"blocked\"/>\n"
        " </menuTree>\n"
        "</deviceProfile>\n";

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
    if (process.state() != QProcess::NotRunning) {
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
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
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
    void showListsEveryEntryWithPathTypeValueAndMark();
    void setAcceptsWhatTheEditorAccepts_data();
    void setAcceptsWhatTheEditorAccepts();
    void setRefusesNamingTheProblemAndLeavesFileAlone_data();
    void setRefusesNamingTheProblemAndLeavesFileAlone();
    void diffReportsChangedAddedAndRemovedEntries_data();
    void diffReportsChangedAddedAndRemovedEntries();
    void debugLogSwitchAppendsLinesToHomeLog();
    void monitorPrintsScreensTheDeviceSendsByItself_data();
    void monitorPrintsScreensTheDeviceSendsByItself();
    void monitorSendsPipedKeysOnePerScreen();
    void identifyPrintsDeviceIdentifier();
    void failingDeviceJobExitsWithOneAndKeepsTarget_data();
    void failingDeviceJobExitsWithOneAndKeepsTarget();
    void readOutOfDemoMenuEqualsItsDescription();
    void setAndWriteChangesTheDeviceValues();

private:
    QString samplePath(const QString &name = QStringLiteral("sample.lumc"));
    bool startDemoDevice(DeviceSimulator &device);

    QTemporaryDir m_dir;
};

void TestLumctl::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // read and write keep their service record there, not in the home folder.
    qputenv("LUM_DOCUMENTS_DIR", m_dir.filePath(QStringLiteral("Dokumente")).toUtf8());
}

QString TestLumctl::samplePath(const QString &name)
{
    const QString path = m_dir.filePath(name);
    writeFile(path, sampleConfiguration);
    return path;
}

bool TestLumctl::startDemoDevice(DeviceSimulator &device)
{
    QString error;
    if (!device.loadMenuFile(QStringLiteral(LUM_DEMO_MENU), &error) || !device.start(&error)) {
        qWarning() << "simulator:" << error;
        return false;
    }
    return true;
}

void TestLumctl::portsListsExtraPortsAndMarksOnePreferred()
{
    const QString first = m_dir.filePath(QStringLiteral("ttyB"));
    const QString second = m_dir.filePath(QStringLiteral("ttyA"));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LUM_EXTRA_PORTS"), first + ':' + second);
    const LumctlResult result = runLumctl({ "ports" }, 60000, QByteArray(), environment);
    QCOMPARE(result.exitCode, 0);
    const QStringList lines = result.out.split('\n', Qt::SkipEmptyParts);
    QStringList names;
    for (const QString &line : lines)
        names << line.section('\t', 0, 0);
    QVERIFY2(names.contains(first) && names.indexOf(second) >= 0
                     && names.indexOf(second) < names.indexOf(first),
             qPrintable(result.out));
    // An FTDI adapter on this machine would be preferred; otherwise the
    // first extra port is.
    const QStringList marked = lines.filter(QRegularExpression(QStringLiteral("\t\\*$")));
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
    const QString otherXml = m_dir.filePath(QStringLiteral("other.xml"));
    writeFile(otherXml, "<html><body/></html>");

    QTest::newRow("help overview")
            << QStringList{ "--help" } << 0 << "lumctl read --port P --output DATEI";
    QTest::newRow("help among other arguments")
            << QStringList{ "read", "--port", "x", "-h" } << 0 << "Aufruf: lumctl read";
    QTest::newRow("no command") << QStringList() << 2 << "Befehle:";
    QTest::newRow("unknown command") << QStringList{ "erase" } << 2 << "erase";
    QTest::newRow("unknown option") << QStringList{ "show", sample, "--colour" } << 2 << "colour";
    QTest::newRow("read without port")
            << QStringList{ "read", "--output", m_dir.filePath("x.lumc") } << 2 << "--port";
    QTest::newRow("read into missing folder")
            << QStringList{ "read", "--port", "/dev/null", "--output",
                            m_dir.filePath("no/such/dir/x.lumc") }
            << 2 << "no/such/dir/x.lumc";
    QTest::newRow("port that cannot be opened")
            << QStringList{ "read", "--port", m_dir.filePath("ttyGone"), "--output",
                            m_dir.filePath("never.lumc") }
            << 2
            << QStringLiteral("Port \"%1\" kann nicht geöffnet werden: ")
                       .arg(m_dir.filePath("ttyGone"));
    QTest::newRow("timeout not a number")
            << QStringList{ "identify", "--port", "/dev/null", "--timeout", "soon" } << 2
            << "--timeout";
    QTest::newRow("count zero") << QStringList{ "monitor", "--port", "/dev/null", "--count", "0" }
                                << 2 << "--count";
    QTest::newRow("show of XML that is no configuration")
            << QStringList{ "show", otherXml } << 2 << "other.xml";
    QTest::newRow("write of a file with nothing marked")
            << QStringList{ "write", "--port", m_dir.filePath("ttyGone"), sample } << 2
            << "Keine Einstellung zur Übertragung markiert";
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
    QVERIFY(writeFile(
            path,
            QByteArray(sampleConfiguration)
                    .replace("value=\"0711\" active=\"0\"", "value=\"0711\" active=\"1\"")));
    const LumctlResult result = runLumctl({ "show", path });
    QCOMPARE(result.exitCode, 0);
    const QStringList expected{
        "Einstellungen\tsection\t\t-",
        "Einstellungen/Notruf\tsection\t\t-",
        "Einstellungen/Notruf/Notrufende\tselection\tQuittierung\t-",
        "Einstellungen/Notruf/Rufnummer 1\tinputnum\t0711\t*",
        "Einstellungen/Timerzeit\tinputtime_hhmm\t00:30\t-",
        "Einstellungen/Uhrzeit\tinputsystemtime\t12:00\t-",
        "Einstellungen/Datum\tinputsystemdate\t01.01.26\t-",
        "Einstellungen/Seriennummer\treadonly\t12345\t-",
        "Einstellungen/Service-Center\tblocked\t+49\t-",
        "Einstellungen/Version 1.2\tinfo\t\t-",
        "Reset\tsection\t\t-",
    };
    QCOMPARE(result.out.split('\n', Qt::SkipEmptyParts), expected);

    // The same entries for a script, with the path as a list and the options.
    const LumctlResult json = runLumctl({ "show", path, "--json" });
    QCOMPARE(json.exitCode, 0);
    QJsonParseError error;
    const QJsonArray entries = QJsonDocument::fromJson(json.out.toUtf8(), &error).array();
    QCOMPARE(error.error, QJsonParseError::NoError);
    QCOMPARE(entries.size(), expected.size());
    const QJsonObject selection = entries.at(2).toObject();
    QCOMPARE(selection.value("path").toArray(),
             QJsonArray({ "Einstellungen", "Notruf", "Notrufende" }));
    QCOMPARE(selection.value("type").toString(), QStringLiteral("selection"));
    QCOMPARE(selection.value("value").toString(), QStringLiteral("Quittierung"));
    QCOMPARE(selection.value("options").toArray(), QJsonArray({ "Quittierung", "Befreiung" }));
    QCOMPARE(entries.at(3).toObject().value("active").toBool(), true);
}

void TestLumctl::setAcceptsWhatTheEditorAccepts_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("stored");
    QTest::newRow("selection option") << "Einstellungen/Notruf/Notrufende"
                                      << "Befreiung"
                                      << "Befreiung";
    QTest::newRow("32 digits, star and hash")
            << "Einstellungen/Notruf/Rufnummer 1"
            << "*31#" + QString(28, '9') << "*31#" + QString(28, '9');
    QTest::newRow("time") << "Einstellungen/Timerzeit"
                          << "07:45"
                          << "07:45";
    QTest::newRow("PC time only marked") << "Einstellungen/Uhrzeit"
                                         << ""
                                         << "12:00";
}

void TestLumctl::setAcceptsWhatTheEditorAccepts()
{
    QFETCH(QString, path);
    QFETCH(QString, value);
    QFETCH(QString, stored);
    const QString file = samplePath();
    QCOMPARE(runLumctl({ "set", file, path + '=' + value }).exitCode, 0);
    DeviceProfile profile;
    QVERIFY(profile.load(file));
    // The one setting has the value and the mark, no other is marked.
    for (const ConfItem *item : profile.items()) {
        const bool named = item->menuPath().join('/') == path;
        QCOMPARE(item->active(), named);
        if (named)
            QCOMPARE(item->value(), stored);
    }
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
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("identical") << QByteArray() << QByteArray() << QStringList();
    QTest::newRow("changed value")
            << QByteArray("value=\"00:30\"") << QByteArray("value=\"01:15\"")
            << QStringList{ "~ Einstellungen/Timerzeit: \"00:30\" -> \"01:15\" (inputtime_hhmm)" };
    QTest::newRow("renamed entry is removed and added")
            << QByteArray("text=\"Rufnummer 1\"") << QByteArray("text=\"Rufnummer 2\"")
            << QStringList{ "- Einstellungen/Notruf/Rufnummer 1 (inputnum)",
                            "+ Einstellungen/Notruf/Rufnummer 2 (inputnum)" };
    QTest::newRow("mark alone is no difference")
            << QByteArray("value=\"0711\" active=\"0\"")
            << QByteArray("value=\"0711\" active=\"1\"") << QStringList();
}

void TestLumctl::diffReportsChangedAddedAndRemovedEntries()
{
    QFETCH(QByteArray, from);
    QFETCH(QByteArray, to);
    QFETCH(QStringList, expected);
    QByteArray changed = sampleConfiguration;
    QVERIFY(changed.contains(from));
    const QString b = m_dir.filePath(QStringLiteral("b.lumc"));
    QVERIFY(writeFile(b, from.isEmpty() ? changed : changed.replace(from, to)));
    const LumctlResult result = runLumctl({ "diff", samplePath(QStringLiteral("a.lumc")), b });
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(result.out.split('\n', Qt::SkipEmptyParts), expected);
}

void TestLumctl::debugLogSwitchAppendsLinesToHomeLog()
{
    QTemporaryDir home;
    QVERIFY(home.isValid());
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
            QString::fromUtf8(readAll(QDir(home.path()).filePath(QStringLiteral("lum_debug.log"))))
                    .split('\n', Qt::SkipEmptyParts);
    const QRegularExpression banner(QStringLiteral(
            R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} Debug: ######################## START LUMCTL "4\.1\.3 - DEBUGLOG AKTIV" ########################$)"));
    QCOMPARE(lines.filter(banner).size(), 2);
    const QRegularExpression lineForm(QStringLiteral(
            R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} (Debug|Info|Warning|Critical|Fatal): )"));
    QCOMPARE(lines.filter(lineForm).size(), lines.size());
}

void TestLumctl::monitorPrintsScreensTheDeviceSendsByItself_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QStringList>("expected");
    // A Latin-1 byte comes out as one character in UTF-8; the cursor stands
    // behind the second line.
    const QString line =
            QString::fromUtf8(
                    R"({"cursorRow":1,"lines":"Gerät%1\nok%2","overlay":"%3\n  _%4","text":"Gerät%5\nok%6"})")
                    .arg(QString(27, ' '), QString(30, ' '), QString(16, ' '), QString(13, ' '),
                         QString(11, ' '), QString(14, ' '));
    QTest::newRow("json, two screens")
            << QByteArray("\x0cGer\xe4t\r\nok") << QStringList{ "--json", "--count", "2" }
            << QStringList{ line, line };
    // "AB" written over the start of an overlong second row: the cursor
    // stands behind it, and the row still runs past 16 columns.
    QTest::newRow("framed, overlong line")
            << QByteArray("\x0cNOTRUF AKTIV\r\n12345678901234567890\rAB")
            << QStringList{ "--count", "1" }
            << QStringList{ "|NOTRUF AKTIV    |", "|AB34567890123456|+", "   ^" };
}

void TestLumctl::monitorPrintsScreensTheDeviceSendsByItself()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, options);
    QFETCH(QStringList, expected);
    DeviceSimulator device;
    QVERIFY(startDemoDevice(device));
    // The device repeats its screen on its own; every burst starts with a
    // clear screen, so whichever burst lumctl sees first is whole.
    device.setNoise(300, bytes);
    const LumctlResult result =
            runLumctl(QStringList{ "monitor", "--port", device.portPath() } + options);
    QVERIFY2(result.finished && result.exitCode == 0, qPrintable(result.err));
    QCOMPARE(result.out.split('\n', Qt::SkipEmptyParts), expected);
}

void TestLumctl::monitorSendsPipedKeysOnePerScreen()
{
    DeviceSimulator device;
    QVERIFY(startDemoDevice(device));
    // Names in any case and with blanks around them; an unknown one is
    // reported and skipped.
    const LumctlResult result =
            runLumctl({ "monitor", "--port", device.portPath(), "--count", "4" }, 60000,
                      "Esc\n  7 \nF1\nok\n+\n");
    QVERIFY2(result.finished && result.exitCode == 0, qPrintable(result.err));
    QCOMPARE(device.receivedKeys(),
             QByteArray("\x1b"
                        "7\r+"));
    QVERIFY2(result.err.contains(QLatin1String("F1")), qPrintable(result.err));
    // Each key got a screen of its own; the last one is the device's.
    const QStringList screens = result.out.split(QStringLiteral("\n\n"), Qt::SkipEmptyParts);
    QCOMPARE(screens.size(), 4);
    QCOMPARE(screens.last().section('\n', 0, 0),
             '|' + device.screen().value(0).left(16).leftJustified(16) + '|');
}

void TestLumctl::identifyPrintsDeviceIdentifier()
{
    DeviceSimulator device;
    QVERIFY(startDemoDevice(device));
    const LumctlResult result = runLumctl({ "identify", "--port", device.portPath() }, 120000);
    QVERIFY2(result.finished && result.exitCode == 0, qPrintable(result.err));
    // lumctl leaves the device on its identification screen; the demo
    // device is in programming mode, so the jumper warning follows.
    QCOMPARE(result.out.split('\n').first(), device.screen().value(0).trimmed());
    QVERIFY2(result.out.contains(QStringLiteral("Jumper zurücksetzen")), qPrintable(result.out));
}

void TestLumctl::failingDeviceJobExitsWithOneAndKeepsTarget_data()
{
    QTest::addColumn<QStringList>("arguments"); // the command, then all but --port
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("amount");
    QTest::addColumn<QString>("message");
    QTest::newRow("identify, silent device")
            << QStringList{ "identify" } << "silent" << 0 << "nicht identifiziert";
    QTest::newRow("read, silent device") << QStringList{ "read", "--output", "new.lumc" }
                                         << "silent" << 0 << "Fehler beim Auslesen!";
    QTest::newRow("read over an existing file, line lost midway")
            << QStringList{ "read", "--output", "keep.lumc" } << "drop" << 25
            << "Fehler beim Auslesen!\nVerbindung zum Gerät wurde getrennt!";
    // Every answer comes late: the robot keeps going, just too slowly.
    QTest::newRow("read, slower than its --timeout")
            << QStringList{ "read", "--output", "new.lumc", "--timeout", "2" } << "late" << 1500
            << "Zeitüberschreitung";
    QTest::newRow("monitor, fewer screens than --count within --timeout")
            << QStringList{ "monitor", "--count", "1000", "--timeout", "1" } << "silent" << 0
            << "Zeitüberschreitung";
    QTest::newRow("monitor, line lost") << QStringList{ "monitor", "--count", "5" } << "drop" << 1
                                        << "Verbindung zum Gerät wurde getrennt!";
}

void TestLumctl::failingDeviceJobExitsWithOneAndKeepsTarget()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, fault);
    QFETCH(int, amount);
    QFETCH(QString, message);
    DeviceSimulator device;
    QVERIFY(startDemoDevice(device));
    if (fault == QLatin1String("silent"))
        device.setSilentAfterKeys(amount);
    else if (fault == QLatin1String("drop"))
        device.setDropAfterKeys(amount);
    else
        device.setAnswerDelay(amount);
    const int output = arguments.indexOf(QStringLiteral("--output")) + 1;
    const QString target = output > 0 ? m_dir.filePath(arguments.at(output)) : QString();
    const bool existing = target.endsWith(QLatin1String("keep.lumc"));
    if (output > 0) {
        arguments[output] = target;
        QFile::remove(target);
    }
    if (existing)
        samplePath(QStringLiteral("keep.lumc"));

    // The key is read by the monitor only.
    const LumctlResult result =
            runLumctl(QStringList{ arguments.takeFirst(), "--port", device.portPath() } + arguments,
                      120000, "esc\n");
    QVERIFY2(result.finished && result.exitCode == 1, qPrintable(result.err));
    QVERIFY2(result.err.contains(message), qPrintable(result.err));
    if (existing) {
        QCOMPARE(readAll(target), QByteArray(sampleConfiguration));
        QCOMPARE(QDir(m_dir.path()).entryList({ "keep.lumc*" }, QDir::Files | QDir::Hidden),
                 QStringList{ "keep.lumc" });
    } else if (!target.isEmpty()) {
        QVERIFY(!QFile::exists(target));
    }
}

// The demo device as its menu describes it, which the robot's own read-out
// of the demo is held to: lumctl's read-out must equal it, and set and write
// then change the device.
void TestLumctl::readOutOfDemoMenuEqualsItsDescription()
{
    DeviceSimulator device;
    QVERIFY(startDemoDevice(device));
    const QString file = m_dir.filePath(QStringLiteral("demo-lumctl.lumc"));
    const LumctlResult result =
            runLumctl({ "read", "--port", device.portPath(), "--output", file }, 300000);
    QVERIFY2(result.finished && result.exitCode == 0, qPrintable(result.err));

    SimMenu menu;
    QVERIFY(menu.load(QStringLiteral(LUM_DEMO_MENU)));
    const QString expected =
            TreeText::canonical(TreeText::menuTreeOf(ReadOutOracle::expect(menu).document));
    DeviceProfile profile;
    QVERIFY(profile.load(file));
    const QString actual = TreeText::canonical(TreeText::menuTreeOf(profile.document()));
    QVERIFY2(actual == expected,
             qPrintable(TreeText::diff(expected.split('\n'), actual.split('\n'))));

    // The entries are the rows the window lists: sections, settings and
    // information lines, the options being part of their selection. Not a
    // terminal: one progress line per recorded entry, counting up to them.
    int rows = 0;
    for (const ConfItem *item : profile.items())
        rows += item->type() == QLatin1String("option") ? 0 : 1;
    QVERIFY2(result.out.contains(QStringLiteral("%1 Einträge ausgelesen").arg(rows)),
             qPrintable(result.out));
    const QStringList progress = result.err.split('\n', Qt::SkipEmptyParts)
                                         .filter(QStringLiteral("Ausgelesene Einträge: "));
    QVERIFY(progress.size() > 1);
    int previous = 0;
    for (const QString &line : progress) {
        QVERIFY2(line.section(' ', -1).toInt() > previous, qPrintable(line));
        previous = line.section(' ', -1).toInt();
    }
    QCOMPARE(previous, rows);
}

void TestLumctl::setAndWriteChangesTheDeviceValues()
{
    SimMenu menu;
    QVERIFY(menu.load(QStringLiteral(LUM_DEMO_MENU)));
    const QString file = m_dir.filePath(QStringLiteral("demo-write.lumc"));
    QVERIFY(writeFile(file, ReadOutOracle::expect(menu).document.toByteArray(1)));
    // One setting of each value type that takes a value, each with a value
    // the demo device does not hold yet.
    const QList<QPair<QString, QString>> wanted{
        { "Einstellungen/Notruf/Sprachansage/Ansagetext", "Individuell" },
        { "Einstellungen/Rufnummern/Rufnummer 3", "0401112233" },
        { "Einstellungen/Timer/Timerzeit Stoerung", "01:15" },
    };
    QStringList assignments;
    for (const auto &setting : wanted)
        assignments << setting.first + '=' + setting.second;
    QCOMPARE(runLumctl(QStringList{ "set", file } + assignments).exitCode, 0);
    // A read-only setting marked in the file (the window's "Alle" box does
    // not, a hand-edited file may) is passed over, and said so.
    DeviceProfile edited;
    QVERIFY(edited.load(file));
    for (ConfItem *item : edited.items()) {
        if (item->menuPath().join('/') == QLatin1String("Kommunikation/IMEI")
            && item->type() == QLatin1String("readonly"))
            item->setActive(true);
    }
    QVERIFY(edited.save(file));

    DeviceSimulator device;
    QVERIFY(startDemoDevice(device));
    const LumctlResult write = runLumctl({ "write", "--port", device.portPath(), file }, 300000);
    QVERIFY2(write.finished && write.exitCode == 0, qPrintable(write.err));
    QVERIFY2(write.out.contains(QStringLiteral("3 Einstellungen übertragen")),
             qPrintable(write.out));
    QVERIFY2(write.err.contains(QStringLiteral("Übertragene Einstellungen: 3 von 3")),
             qPrintable(write.err));
    QVERIFY2(write.err.contains(QStringLiteral("Übergangen (nicht änderbar): Kommunikation/IMEI")),
             qPrintable(write.err));
    for (const auto &setting : wanted)
        QCOMPARE(device.value(setting.first.split('/')), setting.second);
}

QTEST_GUILESS_MAIN(TestLumctl)
#include "tst_lumctl.moc"
