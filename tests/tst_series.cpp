// The table of a series of lifts as the technician's spreadsheet writes it:
// read alike whatever separator, encoding and quoting; checked against the
// template with each problem at its row and column; the row picked by the
// device's serial number and never one tied to another device; the lift's
// configuration; and the status kept beside the table.

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "confitem.h"
#include "deviceprofile.h"
#include "readoutoracle.h"
#include "robotharness.h"
#include "seriessession.h"
#include "seriesstatus.h"
#include "seriestable.h"
#include "simmenu.h"

namespace {

// A template as a read-out saves it: its device and serial number on the
// root, settings of every kind the table may or may not name.
const QByteArray templateFile = R"(<deviceProfile version="1.0" deviceIdentifier="ORV-NR4000 V2.31" serialNumber="4711-0815">
 <menuTree>
  <section text="Einstellungen">
   <section text="Rufnummern">
    <setting text="Rufnummer 1" value="0800123456" active="0" valuetype="inputnum"/>
    <setting text="Rufnummer 2" value="" active="0" valuetype="inputnum"/>
   </section>
   <setting text="Ansagetext" value="Standort" active="0" valuetype="selection">
    <option text="Standort"/>
    <option text="Aufzug"/>
   </setting>
   <setting text="Timerzeit" value="00:30" active="0" valuetype="inputtime_hhmm"/>
   <setting text="Uhrzeit" value="12:00" active="0" valuetype="inputsystemtime"/>
   <setting text="Rufversuche" value="5" active="0" valuetype="inputnum"/>
  </section>
  <section text="Geräteinfo">
   <setting text="Seriennummer" value="4711-0815" active="0" valuetype="readonly"/>
  </section>
 </menuTree>
</deviceProfile>
)";

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
            && file.write(content) == content.size();
}

// "name|serial|value|value..." per lift, lifts joined by "\n".
QString liftsText(const SeriesTable &table)
{
    QStringList lines;
    for (const SeriesTable::Lift &lift : table.lifts())
        lines << (QStringList{ lift.name, lift.serialNumber } + lift.values).join('|');
    return lines.join('\n');
}

} // namespace

class TestSeries : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_template = m_dir.filePath("vorlage.lumc");
        QVERIFY(writeFile(m_template, templateFile));
        QVERIFY(m_profile.load(m_template));
    }

    void tableIsReadAsSpreadsheetsWriteIt_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("paths");
        QTest::addColumn<QString>("lifts");
        const QString paths = "Einstellungen/Rufnummern/Rufnummer 1|Einstellungen/Ansagetext";
        const QString lifts = "Aufzug 7|4711-0816|0711000007|Aufzug\nAufzug 8||0711000008|Standort";
        // clang-format off
        QTest::newRow("semicolons, UTF-8") << QByteArray("Anlage;Seriennummer;Einstellungen/Rufnummern/Rufnummer 1;Einstellungen/Ansagetext\nAufzug 7;4711-0816;0711000007;Aufzug\nAufzug 8;;0711000008;Standort\n") << paths << lifts;
        QTest::newRow("commas, CR LF, no final line break") << QByteArray("Anlage,Seriennummer,Einstellungen/Rufnummern/Rufnummer 1,Einstellungen/Ansagetext\r\nAufzug 7,4711-0816,0711000007,Aufzug\r\nAufzug 8,,0711000008,Standort") << paths << lifts;
        QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBF" "Anlage;Seriennummer;Einstellungen/Rufnummern/Rufnummer 1;Einstellungen/Ansagetext\r\nAufzug 7;4711-0816;0711000007;Aufzug\r\nAufzug 8;;0711000008;Standort\r\n") << paths << lifts;
        QTest::newRow("columns in another order") << QByteArray("Anlage;Einstellungen/Ansagetext;Einstellungen/Rufnummern/Rufnummer 1;Seriennummer\nAufzug 7;Aufzug;0711000007;4711-0816\nAufzug 8;Standort;0711000008;\n") << "Einstellungen/Ansagetext|Einstellungen/Rufnummern/Rufnummer 1" << "Aufzug 7|4711-0816|Aufzug|0711000007\nAufzug 8||Standort|0711000008";
        QTest::newRow("quoted cells: separators, doubled quotes, line break") << QByteArray("\"Anlage\";\"Einstellungen/Rufnummern/Rufnummer 1\"\n\"Haus 2; \"\"Nord\"\"\";\"0711\"\n\"Haus\n3\";0712\n") << "Einstellungen/Rufnummern/Rufnummer 1" << "Haus 2; \"Nord\"||0711\nHaus\n3||0712";
        QTest::newRow("commas inside quotes do not decide") << QByteArray("\"Anlage, Haus, Seite\";Einstellungen/Rufnummern/Rufnummer 1\n\"Haus 1, links\";0711\n") << "Einstellungen/Rufnummern/Rufnummer 1" << "Haus 1, links||0711";
        QTest::newRow("Windows-1252") << QByteArray("Anlage;Einstellungen/Rufnummern/Rufnummer 1\r\nAufzug S\xFC" "d \x80;0711\r\n") << "Einstellungen/Rufnummern/Rufnummer 1" << QString::fromUtf8("Aufzug Süd €||0711");
        QTest::newRow("UTF-8 umlauts") << QByteArray("Anlage;Einstellungen/Rufnummern/Rufnummer 1\nAufzug S\xC3\xBC" "d;0711\n") << "Einstellungen/Rufnummern/Rufnummer 1" << QString::fromUtf8("Aufzug Süd||0711");
        QTest::newRow("blank rows and an empty column after the table") << QByteArray("Anlage;Einstellungen/Rufnummern/Rufnummer 1;\n\nAufzug 1;0711;\n;;\n") << "Einstellungen/Rufnummern/Rufnummer 1" << "Aufzug 1||0711";
        QTest::newRow("missing cells at the end are empty") << QByteArray("Anlage;Einstellungen/Rufnummern/Rufnummer 1;Einstellungen/Rufnummern/Rufnummer 2\nAufzug 1;0711\n") << "Einstellungen/Rufnummern/Rufnummer 1|Einstellungen/Rufnummern/Rufnummer 2" << "Aufzug 1||0711|";
        // clang-format on
    }

    void tableIsReadAsSpreadsheetsWriteIt()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, paths);
        QFETCH(QString, lifts);
        SeriesTable table;
        QVERIFY(table.parse(bytes));
        QCOMPARE(SeriesTable::messages(table.check(m_profile)), QStringList());
        QCOMPARE(table.settingPaths().join('|'), paths);
        QCOMPARE(liftsText(table), lifts);
    }

    // Every problem of a table, in the spreadsheet's rows and columns, before
    // anything is sent.
    void tableProblemsNameRowAndColumn_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("problems");
        // clang-format off
        QTest::newRow("unknown path") << QByteArray("Anlage;Einstellungen/Rufnummern/Rufnummer 9\nAufzug 1;0711\n") << QStringList{ "Zeile 1, Spalte 2 (Einstellungen/Rufnummern/Rufnummer 9): keine solche Einstellung in der Vorlage" };
        QTest::newRow("value the setting refuses") << QByteArray("Anlage;Einstellungen/Rufnummern/Rufnummer 1;Einstellungen/Ansagetext\nAufzug 1;0711;Aufzug\nAufzug 2;07-11;Keller\n") << QStringList{ "Zeile 3, Spalte 2 (Einstellungen/Rufnummern/Rufnummer 1): \"07-11\": nur Ziffern 0-9, # und * möglich", "Zeile 3, Spalte 3 (Einstellungen/Ansagetext): \"Keller\": keine der Auswahlmöglichkeiten \"Standort\", \"Aufzug\"" };
        QTest::newRow("time written by a spreadsheet") << QByteArray("Anlage,Einstellungen/Timerzeit\nAufzug 1,8:00\n") << QStringList{ "Zeile 2, Spalte 2 (Einstellungen/Timerzeit): \"8:00\": Stunden zweistellig, bitte hh:mm" };
        QTest::newRow("empty cell where a value is needed") << QByteArray("Anlage;Einstellungen/Timerzeit;Einstellungen/Rufnummern/Rufnummer 2\nAufzug 1;;\n") << QStringList{ "Zeile 2, Spalte 2 (Einstellungen/Timerzeit): leere Zelle, die Einstellung braucht einen Wert (unvollständige Uhrzeit, bitte hh:mm)" };
        QTest::newRow("lift without name") << QByteArray("Anlage;Einstellungen/Rufnummern/Rufnummer 1\n;0711\n") << QStringList{ "Zeile 2, Spalte 1 (Anlage): leere Zelle: der Name der Anlage fehlt" };
        QTest::newRow("duplicate lift") << QByteArray("Anlage;Einstellungen/Rufnummern/Rufnummer 1\nAufzug 1;0711\nAufzug 2;0712\nAufzug 1;0713\n") << QStringList{ "Zeile 4, Spalte 1 (Anlage): \"Aufzug 1\" steht schon in Zeile 2" };
        QTest::newRow("serial number twice") << QByteArray("Anlage;Seriennummer;Einstellungen/Rufnummern/Rufnummer 1\nAufzug 1;4711-0816;0711\nAufzug 2;4711-0816;0712\n") << QStringList{ "Zeile 3, Spalte 2 (Seriennummer): Seriennummer \"4711-0816\" steht schon in Zeile 2" };
        QTest::newRow("read-only and PC clock columns") << QByteArray("Anlage;Geräteinfo/Seriennummer;Einstellungen/Uhrzeit;Einstellungen/Rufnummern\nAufzug 1;1;12:00;x\n") << QStringList{ "Zeile 1, Spalte 2 (Geräteinfo/Seriennummer): kann nicht geändert werden (Werttyp \"readonly\")", "Zeile 1, Spalte 3 (Einstellungen/Uhrzeit): wird bei der Übertragung auf die Uhrzeit des PCs gesetzt", "Zeile 1, Spalte 4 (Einstellungen/Rufnummern): keine Einstellung, sondern \"section\"" };
        QTest::newRow("column twice") << QByteArray("Anlage;Einstellungen/Rufnummern/Rufnummer 1;Einstellungen/Rufnummern/Rufnummer 1\nAufzug 1;0711;0712\n") << QStringList{ "Zeile 1, Spalte 3 (Einstellungen/Rufnummern/Rufnummer 1): Spalte steht schon als Spalte 2 in der Tabelle" };
        QTest::newRow("cell beyond the header") << QByteArray("Anlage;Einstellungen/Rufnummern/Rufnummer 1\nAufzug 1;0711;0712\n") << QStringList{ "Zeile 2, Spalte 3: Zelle ohne Spalte in der Kopfzeile" };
        QTest::newRow("quote not closed") << QByteArray("Anlage;Einstellungen/Rufnummern/Rufnummer 1\nAufzug 1;0711\n\"Aufzug 2;0712\n") << QStringList{ "Zeile 3: Anführungszeichen nicht geschlossen" };
        QTest::newRow("no lift") << QByteArray("Anlage;Einstellungen/Rufnummern/Rufnummer 1\n") << QStringList{ "Zeile 2: keine Anlage in der Tabelle" };
        QTest::newRow("empty file") << QByteArray() << QStringList{ "Zeile 1: keine Kopfzeile: die erste Zeile nennt die Anlage und die Pfade der Einstellungen" };
        // clang-format on
    }

    void tableProblemsNameRowAndColumn()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, problems);
        SeriesTable table;
        table.parse(bytes);
        QCOMPARE(SeriesTable::messages(table.check(m_profile)), problems);
    }

    // The row for the connected device: by its serial number where the
    // table has that column, else by name; a row tied to another device is
    // never the answer, whatever is asked for.
    void rowIsPickedByTheDevice_data()
    {
        QTest::addColumn<QString>("deviceSerial");
        QTest::addColumn<QString>("requested");
        QTest::addColumn<QString>("lift"); // empty: refused
        QTest::addColumn<QString>("problem");
        // clang-format off
        QTest::newRow("by serial number") << "4711-0817" << "" << "Aufzug 8" << "";
        QTest::newRow("by serial number and the same name") << "4711-0816" << "Aufzug 7" << "Aufzug 7" << "";
        QTest::newRow("named row is another device's") << "4711-0816" << "Aufzug 8" << "" << "Das Gerät Nr. 4711-0816 gehört laut Tabelle zu \"Aufzug 7\" (Zeile 2), nicht zu \"Aufzug 8\".";
        QTest::newRow("device of another row asks for a free row") << "4711-0816" << "Aufzug 9" << "" << "Das Gerät Nr. 4711-0816 gehört laut Tabelle zu \"Aufzug 7\" (Zeile 2), nicht zu \"Aufzug 9\".";
        QTest::newRow("unknown device, row tied to another") << "4711-0999" << "Aufzug 8" << "" << "\"Aufzug 8\" (Zeile 3) gehört zum Gerät Nr. 4711-0817; angeschlossen ist Nr. 4711-0999.";
        QTest::newRow("unknown device, row without serial number") << "4711-0999" << "Aufzug 9" << "Aufzug 9" << "";
        QTest::newRow("unknown device, no name") << "4711-0999" << "" << "" << "Keine Zeile der Tabelle gehört zum Gerät Nr. 4711-0999.";
        QTest::newRow("device without serial number, row tied") << "" << "Aufzug 7" << "" << "\"Aufzug 7\" (Zeile 2) gehört zum Gerät Nr. 4711-0816; das angeschlossene Gerät zeigt keine Seriennummer.";
        QTest::newRow("device without serial number, free row") << "" << "Aufzug 9" << "Aufzug 9" << "";
        QTest::newRow("device without serial number, no name") << "" << "" << "" << "Das Gerät zeigt keine Seriennummer; die Anlage muss genannt werden.";
        QTest::newRow("no such lift") << "4711-0999" << "Aufzug 10" << "" << "Keine Anlage \"Aufzug 10\" in der Tabelle.";
        // clang-format on
    }

    void rowIsPickedByTheDevice()
    {
        QFETCH(QString, deviceSerial);
        QFETCH(QString, requested);
        QFETCH(QString, lift);
        QFETCH(QString, problem);
        SeriesTable table;
        QVERIFY(table.parse("Anlage;Seriennummer;Einstellungen/Rufnummern/Rufnummer 1\n"
                            "Aufzug 7;4711-0816;0711\nAufzug 8;4711-0817;0712\nAufzug 9;;0713\n"));
        QString said;
        const int index = table.pickLift(deviceSerial, requested, &said);
        QCOMPARE(index < 0 ? QString() : table.lifts().at(index).name, lift);
        QCOMPARE(said, problem);
    }

    void rowWithoutSerialColumnIsPickedByName()
    {
        SeriesTable table;
        QVERIFY(table.parse("Anlage;Einstellungen/Rufnummern/Rufnummer 1\nAufzug 1;0711\n"));
        QString said;
        QCOMPARE(table.pickLift("4711-0816", "", &said), -1);
        QCOMPARE(said, QStringLiteral("Die Tabelle hat keine Spalte \"Seriennummer\"; die Anlage "
                                      "muss genannt werden."));
        QCOMPARE(table.pickLift("4711-0816", "Aufzug 1", &said), 0);
    }

    // The lift's configuration: the template with the row's values, those
    // marked and only those; tied to the row's device.
    void liftConfigurationIsTheTemplateWithTheRow()
    {
        SeriesTable table;
        QVERIFY(table.parse("Anlage;Seriennummer;Einstellungen/Ansagetext;"
                            "Einstellungen/Rufnummern/Rufnummer 2\n"
                            "Aufzug 7;4711-0816;Aufzug;0711000007\nAufzug 8;;Standort;\n"));
        QVERIFY(table.check(m_profile).isEmpty());
        for (int index : { 0, 1 }) {
            DeviceProfile lift;
            QVERIFY(lift.load(m_template));
            QVERIFY(table.applyLift(index, &lift));
            QStringList marked;
            QStringList values;
            for (const ConfItem *item : lift.items()) {
                if (item->active())
                    marked << SeriesTable::pathOf(item);
                if (!item->value().isEmpty())
                    values << SeriesTable::pathOf(item) + '=' + item->value();
            }
            QCOMPARE(marked,
                     QStringList({ "Einstellungen/Rufnummern/Rufnummer 2",
                                   "Einstellungen/Ansagetext" }));
            const QStringList common{ "Einstellungen/Timerzeit=00:30",
                                      "Einstellungen/Uhrzeit=12:00",
                                      "Einstellungen/Rufversuche=5",
                                      "Geräteinfo/Seriennummer=4711-0815" };
            if (index == 0) {
                QCOMPARE(values,
                         QStringList({ "Einstellungen/Rufnummern/Rufnummer 1=0800123456",
                                       "Einstellungen/Rufnummern/Rufnummer 2=0711000007",
                                       "Einstellungen/Ansagetext=Aufzug" })
                                 + common);
                QCOMPARE(lift.origin().serialNumber, QStringLiteral("4711-0816"));
                QVERIFY(!lift.origin().isTemplate);
            } else {
                QCOMPARE(values,
                         QStringList({ "Einstellungen/Rufnummern/Rufnummer 1=0800123456",
                                       "Einstellungen/Ansagetext=Standort" })
                                 + common);
                QVERIFY(lift.origin().isTemplate);
            }
            QCOMPARE(lift.origin().identifier, QStringLiteral("ORV-NR4000 V2.31"));
        }
    }

    // The status is a file beside the table: another program (the next
    // day's) reads what the first recorded, texts with separators and quotes
    // included.
    void statusSurvivesRestart()
    {
        const QString table = m_dir.filePath("anlagen.csv");
        QCOMPARE(SeriesStatus::statusPathFor(table), table + ".status");
        QFile::remove(SeriesStatus::statusPathFor(table));
        QString error;
        {
            SeriesStatus first;
            QVERIFY(first.load(table, &error));
            QCOMPARE(first.entry("Aufzug 7").outcome, SeriesStatus::Open);
            const QDateTime when(QDate(2026, 12, 7), QTime(9, 15, 30));
            QVERIFY(first.record({ "Aufzug 7", "4711-0816", SeriesStatus::Written, when,
                                   "2 Einstellungen übertragen; \"bestätigt\"" },
                                 &error));
            QVERIFY(first.record({ "Aufzug 8", "4711-0817", SeriesStatus::Failed, when,
                                   "Verbindung getrennt" },
                                 &error));
            QVERIFY(first.record({ "Aufzug 8", "4711-0817", SeriesStatus::Unchanged,
                                   when.addSecs(60), "unverändert" },
                                 &error));
        }
        SeriesStatus second;
        QVERIFY(second.load(table, &error));
        const SeriesStatus::Entry seven = second.entry("Aufzug 7");
        QCOMPARE(seven.outcome, SeriesStatus::Written);
        QCOMPARE(seven.serialNumber, QStringLiteral("4711-0816"));
        QCOMPARE(seven.note, QStringLiteral("2 Einstellungen übertragen; \"bestätigt\""));
        QCOMPARE(seven.time, QDateTime(QDate(2026, 12, 7), QTime(9, 15, 30)));
        QCOMPARE(second.entry("Aufzug 8").outcome, SeriesStatus::Unchanged);
        QCOMPARE(second.summary({ "Aufzug 7", "Aufzug 8", "Aufzug 9" }),
                 QStringLiteral("Erledigt: 2 von 3; offen: Aufzug 9"));
    }

    // The example beside docs/series.md fits the demo device's read-out.
    void exampleTableFitsTheDemoDevice()
    {
        SimMenu menu;
        QVERIFY(menu.load(QStringLiteral(LUM_DEMO_MENU)));
        const QString readOut = m_dir.filePath("demo.lumc");
        QVERIFY(ReadOutOracle::writeReadOut(menu, readOut));
        DeviceProfile demo;
        QVERIFY(demo.load(readOut));
        SeriesTable table;
        QVERIFY(table.load(QStringLiteral(LUM_SOURCE_DIR "/docs/anlagen.csv")));
        QCOMPARE(SeriesTable::messages(table.check(demo)), QStringList());
        QCOMPARE(table.lifts().size(), 3);
        QCOMPARE(table.lifts().at(2).name, QStringLiteral("Aufzug 3 Haus Süd"));
    }

    // The window's series on a simulated lift: the lift of the device's
    // serial number is chosen once a check shows it, a row of another device
    // is not loaded, the loaded lift's row is marked, its transfer recorded
    // beside the table and the next open lift chosen; another session (the
    // next day) reads the record.
    void windowSeriesRecordsTheLiftAndChoosesTheNext()
    {
        QFile menuFile(QStringLiteral(LUM_DEMO_MENU));
        QVERIFY(menuFile.open(QIODevice::ReadOnly));
        const QString menuText = QString::fromUtf8(menuFile.readAll());
        QVERIFY(menuText.contains("readonly Seriennummer = 4711-0815"));
        SimMenu menu;
        QVERIFY(menu.parse(menuText));
        const QString templatePath = m_dir.filePath("serie-vorlage.lumc");
        QVERIFY(ReadOutOracle::writeReadOut(menu, templatePath));
        const QString tablePath = m_dir.filePath("serie.csv");
        QVERIFY(writeFile(tablePath,
                          "Anlage;Seriennummer;Einstellungen/Rufnummern/Rufnummer 1;"
                          "Einstellungen/Notruf/Sprachansage/Ansagetext\n"
                          "Aufzug 1;4711-0816;0800111111;Kabine\n"
                          "Aufzug 2;4711-0817;0800222222;Individuell\n"
                          "Aufzug 3;;0800333333;Kabine\n"));
        QFile::remove(tablePath + ".status");

        RobotHarness harness;
        QString error;
        QVERIFY2(harness.startWithMenuText(QString(menuText).replace(
                                                   "readonly Seriennummer = 4711-0815",
                                                   "readonly Seriennummer = 4711-0817"),
                                           &error),
                 qPrintable(error));
        SeriesSession series(&harness.profile(), &harness.bot());
        QVERIFY(series.open(QUrl::fromLocalFile(templatePath).toString(), tablePath));
        QCOMPARE(series.currentIndex(), 0);
        QCOMPARE(series.summary(), QStringLiteral("Erledigt: 0 von 3; offen: Aufzug 1, Aufzug 2, Aufzug 3"));

        // The first lift loads while the device is not known yet; the check
        // shows the device is the second lift's.
        QVERIFY(series.loadLift());
        QCOMPARE(series.loadedIndex(), 0);
        harness.bot().startCheck(false);
        QVERIFY(harness.waitUntilIdle(120000));
        QCOMPARE(series.deviceSerialNumber(), QStringLiteral("4711-0817"));
        QCOMPARE(series.currentIndex(), 1);
        QCOMPARE(series.lifts().at(0).toMap().value("outcome").toString(), QStringLiteral("offen"));
        QCOMPARE(series.problemText(),
                 QStringLiteral("Das Gerät Nr. 4711-0817 gehört laut Tabelle zu \"Aufzug 2\" "
                                "(Zeile 3), nicht zu \"Aufzug 1\"."));
        series.setCurrentIndex(0);
        QVERIFY(!series.loadLift());
        series.setCurrentIndex(1);

        QVERIFY(series.loadLift());
        QStringList marked;
        for (const ConfItem *item : harness.profile().items()) {
            if (item->active())
                marked << SeriesTable::pathOf(item) + '=' + item->value();
        }
        QCOMPARE(marked,
                 QStringList({ "Einstellungen/Notruf/Sprachansage/Ansagetext=Individuell",
                               "Einstellungen/Rufnummern/Rufnummer 1=0800222222" }));
        QCOMPARE(QFileInfo(harness.profile().fileName()).absoluteFilePath(),
                 QFileInfo(m_dir.filePath("serie Anlagen/Aufzug 2.lumc")).absoluteFilePath());
        // Reading the serial number alone (the window's transfer does so
        // first) compares nothing: the lift is not taken for unchanged.
        harness.bot().startSerialCheck();
        QVERIFY(harness.waitUntilIdle(120000));
        QCOMPARE(harness.bot().lastResult().deviceSerialNumber, QStringLiteral("4711-0817"));
        QCOMPARE(series.lifts().at(1).toMap().value("outcome").toString(), QStringLiteral("offen"));
        harness.bot().startCheck(false);
        QVERIFY(harness.waitUntilIdle(120000));
        QCOMPARE(harness.profile().differenceCount(), 2);
        harness.bot().startUpload();
        QVERIFY(harness.waitUntilIdle(120000));
        QCOMPARE(harness.device().value({ "Einstellungen", "Rufnummern", "Rufnummer 1" }),
                 QStringLiteral("0800222222"));
        QCOMPARE(harness.device().value({ "Einstellungen", "Notruf", "Sprachansage", "Ansagetext" }),
                 QStringLiteral("Individuell"));
        QCOMPARE(series.lifts().at(1).toMap().value("outcome").toString(),
                 QStringLiteral("übertragen"));
        QCOMPARE(series.loadedIndex(), -1);
        QCOMPARE(series.currentIndex(), 2);

        // The template itself is untouched.
        DeviceProfile templateAfter;
        QVERIFY(templateAfter.load(templatePath));
        QCOMPARE(templateAfter.markedCount(), 0);

        SeriesSession nextDay(&harness.profile(), &harness.bot());
        QVERIFY(nextDay.open(templatePath, tablePath));
        QCOMPARE(nextDay.lifts().at(1).toMap().value("done").toBool(), true);
        QCOMPARE(nextDay.summary(), QStringLiteral("Erledigt: 1 von 3; offen: Aufzug 1, Aufzug 3"));
        QCOMPARE(nextDay.currentIndex(), 0);
    }

    void windowSeriesRefusesABadTable()
    {
        DeviceProfile profile;
        LumBot bot;
        SeriesSession series(&profile, &bot);
        const QString tablePath = m_dir.filePath("fehler.csv");
        QVERIFY(writeFile(tablePath, "Anlage;Einstellungen/Timerzeit\nAufzug 1;8:00\n"));
        QVERIFY(!series.open(m_template, tablePath));
        QVERIFY(!series.isOpen());
        QCOMPARE(series.problemText(),
                 QStringLiteral("Zeile 2, Spalte 2 (Einstellungen/Timerzeit): \"8:00\": Stunden "
                                "zweistellig, bitte hh:mm"));
        QVERIFY(series.lifts().isEmpty());
    }

private:
    QTemporaryDir m_dir;
    QString m_template;
    DeviceProfile m_profile;
};

QTEST_GUILESS_MAIN(TestSeries)
#include "tst_series.moc"
