// Configuration files: the text a profile writes and reads back, the names
// and URLs it is given, the old files' encodings, files that are damaged,
// hostile or merely strange, and saves that fail or are killed part way.
// A file is either loaded as the vocabulary says (any well-formed document)
// or refused with a German message; a refused file or a failed save never
// touches the configuration that was open or the file on disk, and nothing
// here may crash or eat the machine's memory.
//
// The saves killed with SIGKILL need a saving process: the test runs itself
// a second time as
//   tst_profilefile --save-loop FILE
// which saves two versions of a large configuration into FILE, alternately,
// until it is killed.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
#  include <QTextCodec>
#endif

#include <csignal>
#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <unistd.h>

#include "confitem.h"
#include "deviceprofile.h"

namespace {

// The text a profile writes for the example device: one submenu holding a
// selection with two choices and a number setting.
const QByteArray elevenLines =
        "<deviceProfile version=\"1.0\">\n"
        " <menuTree>\n"
        "  <section text=\"Einstellungen\">\n"
        "   <setting text=\"Sprache\" value=\"Deutsch\" active=\"0\" valuetype=\"selection\">\n"
        "    <option text=\"Deutsch\"/>\n"
        "    <option text=\"English\"/>\n"
        "   </setting>\n"
        "   <setting text=\"Rufnummer\" value=\"0815\" active=\"0\" valuetype=\"inputnum\"/>\n"
        "  </section>\n"
        " </menuTree>\n"
        "</deviceProfile>\n";

// Builds entries below the cursor the way the read-out walk does.
void addSetting(DeviceProfile &profile, const QString &text, const QString &value,
                const QString &valueType, const QStringList &options = QStringList())
{
    profile.appendChildElement(QStringLiteral("setting"), text);
    profile.gotoLastChild();
    profile.setCurrentAttribute(QStringLiteral("value"), value);
    profile.setCurrentAttribute(QStringLiteral("active"), QStringLiteral("0"));
    for (const QString &option : options)
        profile.appendChildElement(QStringLiteral("option"), option);
    profile.setCurrentAttribute(QStringLiteral("valuetype"), valueType);
    profile.gotoParent();
}

void enterSection(DeviceProfile &profile, const QString &text)
{
    profile.appendChildElement(QStringLiteral("section"), text);
    profile.gotoLastChild();
}

void buildExampleDevice(DeviceProfile &profile)
{
    profile.resetProfile();
    enterSection(profile, QStringLiteral("Einstellungen"));
    addSetting(profile, QStringLiteral("Sprache"), QStringLiteral("Deutsch"),
               QStringLiteral("selection"),
               { QStringLiteral("Deutsch"), QStringLiteral("English") });
    addSetting(profile, QStringLiteral("Rufnummer"), QStringLiteral("0815"),
               QStringLiteral("inputnum"));
    profile.gotoParent();
    profile.rebuildConfItemList();
}

// A tree as a complete read-out leaves it, with every kind of entry.
void buildReadOut(DeviceProfile &profile)
{
    profile.resetProfile();
    enterSection(profile, QStringLiteral("Einstellungen"));
    addSetting(
            profile, QStringLiteral("Sprache:"), QStringLiteral("Deutsch"),
            QStringLiteral("selection"),
            { QStringLiteral("Deutsch"), QStringLiteral("Englisch"), QStringLiteral("Français") });
    enterSection(profile, QStringLiteral("Notruf"));
    addSetting(profile, QStringLiteral("Notrufende"), QStringLiteral("Befreiung"),
               QStringLiteral("selection"),
               { QStringLiteral("Quittung"), QStringLiteral("Befreiung") });
    addSetting(profile, QStringLiteral("Rufnummer 1:"), QStringLiteral("0815"),
               QStringLiteral("inputnum"));
    addSetting(profile, QStringLiteral("Timerzeit 2"), QStringLiteral("12:30"),
               QStringLiteral("inputtime_hhmm"));
    profile.gotoParent();
    addSetting(profile, QStringLiteral("Service-Center"), QStringLiteral("+49 30 1234"),
               QStringLiteral("blocked"));
    profile.gotoParent();
    profile.appendChildElement(QStringLiteral("section"), QStringLiteral("Reset-Optionen"));
    profile.gotoLastChild();
    profile.setCurrentAttribute(QStringLiteral("sectiontype"), QStringLiteral("blocked"));
    profile.gotoParent();
    profile.appendChildElement(QStringLiteral("info"), QStringLiteral("Türöffner & Co <alt>"));
    profile.rebuildConfItemList();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return file.readAll();
}

QStringList folderEntries(const QString &path)
{
    return QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::System
                                | QDir::NoDotAndDotDot);
}

const char goodConfiguration[] =
        "<deviceProfile version=\"1.0\">\n"
        " <menuTree>\n"
        "  <section text=\"Einstellungen?\">\n"
        "   <setting text=\"Sprache:\" value=\"Deutsch\" active=\"1\" valuetype=\"selection\">\n"
        "    <option text=\"Deutsch\"/>\n"
        "    <option text=\"Englisch\"/>\n"
        "   </setting>\n"
        "   <setting text=\"Rufnummer 1:\" value=\"0815\" active=\"0\" valuetype=\"inputnum\"/>\n"
        "  </section>\n"
        " </menuTree>\n"
        "</deviceProfile>\n";

long peakMemoryKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

QStringList describeItems(const DeviceProfile &profile)
{
    QStringList lines;
    for (const ConfItem *item : profile.items()) {
        lines << QStringLiteral("%1|%2|%3|%4|%5")
                         .arg(item->type(), item->menuPath().join(QLatin1Char('/')), item->value())
                         .arg(item->active())
                         .arg(item->options().join(QLatin1Char('/')));
    }
    return lines;
}

QByteArray nested(int depth)
{
    QByteArray text = "<deviceProfile version=\"1.0\"><menuTree>";
    for (int i = 0; i < depth; ++i)
        text += "<section text=\"Ebene " + QByteArray::number(i + 1) + "?\">";
    text += "<setting text=\"Tief:\" value=\"1\" active=\"1\" valuetype=\"inputnum\"/>";
    for (int i = 0; i < depth; ++i)
        text += "</section>";
    return text + "</menuTree></deviceProfile>";
}

QByteArray billionLaughs()
{
    QByteArray text =
            "<?xml version=\"1.0\"?>\n<!DOCTYPE deviceProfile [\n <!ENTITY lol \"lol\">\n";
    text += " <!ENTITY lol1 \"&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;\">\n";
    for (int i = 2; i <= 9; ++i) {
        const QByteArray previous = "&lol" + QByteArray::number(i - 1) + ";";
        text += " <!ENTITY lol" + QByteArray::number(i) + " \"" + previous.repeated(10) + "\">\n";
    }
    text += "]>\n<deviceProfile version=\"1.0\"><menuTree>"
            "<setting text=\"&lol9;\" value=\"&lol9;\" active=\"0\" "
            "valuetype=\"inputnum\">&lol9;</setting>"
            "</menuTree></deviceProfile>\n";
    return text;
}

QByteArray quadraticBlowup()
{
    // One entity of 100 kB referenced 10000 times: no nesting, still 1 GB.
    QByteArray text = "<?xml version=\"1.0\"?>\n<!DOCTYPE deviceProfile [\n <!ENTITY big \""
            + QByteArray(100000, 'x') + "\">\n]>\n<deviceProfile><menuTree><info text=\"a\">";
    text += QByteArray("&big;").repeated(10000);
    return text + "</info></menuTree></deviceProfile>\n";
}

// A selection and a number setting below a section, with umlauts, sharp s,
// typographic quotes and the euro sign in names and values.
const QString sectionName = QStringLiteral("Einstellungen \u00C4\u00D6\u00DC");
const QString selectionName = QStringLiteral("R\u00FCckruf");
const QString selectionValue = QStringLiteral("Stra\u00DFe \u00E4\u00F6");
const QString numberName = QStringLiteral("Gr\u00F6\u00DFe \u201Eneu\u201C");
const QString numberValue = QStringLiteral("\u20AC 5");

// The same configuration as bytes; `encode` turns each text into the file's
// encoding.
QByteArray configuration(const QByteArray &declaration,
                         const std::function<QByteArray(const QString &)> &encode)
{
    return declaration + "<deviceProfile version=\"1.0\"><menuTree><section text=\""
            + encode(sectionName) + "\"><setting text=\"" + encode(selectionName) + "\" value=\""
            + encode(selectionValue)
            + "\" active=\"1\" valuetype=\"selection\"><option text=\"Ein\"/><option text=\""
            + encode(selectionValue) + "\"/></setting><setting text=\"" + encode(numberName)
            + "\" value=\"" + encode(numberValue)
            + "\" active=\"0\" valuetype=\"inputnum\"/></section></menuTree></deviceProfile>\r\n";
}

// Windows-1252 by hand, for the few letters used here.
QByteArray windows1252(const QString &text)
{
    QByteArray bytes;
    for (const QChar c : text) {
        switch (c.unicode()) {
        case 0x20AC:
            bytes += '\x80';
            break;
        case 0x201E:
            bytes += '\x84';
            break;
        case 0x201C:
            bytes += '\x93';
            break;
        default:
            bytes += char(c.unicode());
            break; // ISO 8859-1 range
        }
    }
    return bytes;
}

// ISO 8859-1 has no euro sign and no typographic quotes; ISO 8859-15 has the
// euro sign (at 0xA4, where the old program's code page has another sign).
const QString latin1Missing = QStringLiteral("\u20AC\u201E\u201C");
const QString latin9Missing = QStringLiteral("\u201E\u201C");

QString without(const QString &text, const QString &missing)
{
    QString result = text;
    for (const QChar c : missing)
        result.remove(c);
    return result;
}

// About 30000 entries, well over a megabyte of text: a save takes long
// enough to be hit in the middle.
QByteArray largeConfiguration(char version)
{
    QByteArray text = "<deviceProfile version=\"1.0\">\n <menuTree>\n";
    for (int s = 0; s < 3000; ++s) {
        text += "  <section text=\"Bereich " + QByteArray::number(s) + "?\">\n";
        for (int i = 0; i < 8; ++i) {
            text += "   <setting text=\"Rufnummer " + QByteArray::number(i) + ":\" value=\""
                    + version + QByteArray::number(s * 10 + i)
                    + "\" active=\"0\" valuetype=\"inputnum\"/>\n";
        }
        text += "  </section>\n";
    }
    return text + " </menuTree>\n</deviceProfile>\n";
}

bool loadConfiguration(DeviceProfile &profile, const QString &folder, char version)
{
    const QString source =
            QDir(folder).filePath(QStringLiteral("quelle-%1.xml").arg(QLatin1Char(version)));
    QFile file(source);
    if (!file.open(QIODevice::WriteOnly) || file.write(largeConfiguration(version)) < 0)
        return false;
    file.close();
    return profile.load(source);
}

int runSaveLoop(const QString &target)
{
    QTemporaryDir work;
    DeviceProfile first;
    DeviceProfile second;
    if (!loadConfiguration(first, work.path(), 'A') || !loadConfiguration(second, work.path(), 'B'))
        return 3;
    for (long round = 0;; ++round) {
        DeviceProfile &profile = round % 2 == 0 ? first : second;
        if (!profile.save(target))
            return 4;
        if (round == 1) {
            std::fputs("saving\n", stdout);
            std::fflush(stdout);
        }
    }
}

} // namespace

class TestProfileFile : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void profileIsWrittenByteForByte_data();
    void profileIsWrittenByteForByte();
    void readOutSurvivesSaveAndLoad();
    void specialCharactersAreEscapedAndReadBack_data();
    void specialCharactersAreEscapedAndReadBack();
    void fileNamesAndUrlsReachTheLocalFile_data();
    void fileNamesAndUrlsReachTheLocalFile();
    void nameChosenInDialogLandsInItsFolder_data();
    void nameChosenInDialogLandsInItsFolder();
    void fileNameAndUnsavedChangesFollowTheProfile();
    void savedFileIsUtf8WhateverTheLocale();
    void readsTheFileInItsEncodingAndSavesUtf8_data();
    void readsTheFileInItsEncodingAndSavesUtf8();
    void badFile_isRefusedAndConfigurationStays_data();
    void badFile_isRefusedAndConfigurationStays();
    void strangeButWellFormedFile_loadsAsVocabularySays_data();
    void strangeButWellFormedFile_loadsAsVocabularySays();
    void failedSaveKeepsOldFile_data();
    void failedSaveKeepsOldFile();
    void saveKilledPartWay_leavesOneCompleteConfiguration();

private:
    QString writeFile(const QString &name, const QByteArray &content);
    void loadGoodConfiguration(DeviceProfile &profile);

    QScopedPointer<QTemporaryDir> m_dir;
};

void TestProfileFile::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
}

void TestProfileFile::cleanup()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    // A test that locked a folder must not keep its removal from working.
    QFile::setPermissions(m_dir->path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    for (const QString &entry : folderEntries(m_dir->path()))
        QFile::setPermissions(m_dir->filePath(entry),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                      | QFileDevice::ExeOwner);
    m_dir.reset();
}

void TestProfileFile::profileIsWrittenByteForByte_data()
{
    QTest::addColumn<bool>("example");
    QTest::addColumn<QByteArray>("text");

    QTest::newRow("example device") << true << elevenLines;
    QTest::newRow("fresh profile has an empty menu tree")
            << false
            << QByteArray("<deviceProfile version=\"1.0\">\n <menuTree/>\n</deviceProfile>\n");
}

void TestProfileFile::profileIsWrittenByteForByte()
{
    QFETCH(bool, example);
    QFETCH(QByteArray, text);

    DeviceProfile profile;
    if (example)
        buildExampleDevice(profile);
    const QString path = m_dir->filePath(QStringLiteral("beispiel.lumc"));
    QVERIFY(profile.save(path));
    QCOMPARE(readFile(path), text);

    DeviceProfile loaded;
    QSignalSpy changes(&loaded, &DeviceProfile::confItemListChanged);
    QVERIFY(loaded.load(path));
    QCOMPARE(changes.count(), 1);
    QCOMPARE(loaded.items().size(), example ? 3 : 0);
    // Attribute order is fixed, so the loaded tree saves the same text.
    QVERIFY(loaded.save(path));
    QCOMPARE(readFile(path), text);
}

void TestProfileFile::readOutSurvivesSaveAndLoad()
{
    DeviceProfile profile;
    buildReadOut(profile);
    // An edit before saving: the file keeps the edited value, which becomes
    // the loaded item's initial value.
    ConfItem *rufnummer = profile.items().at(4);
    QCOMPARE(rufnummer->menuName(), QStringLiteral("Rufnummer 1:"));
    rufnummer->setValue(QStringLiteral("0171 555"));
    rufnummer->setActive(true);
    const QString path = m_dir->filePath(QStringLiteral("auslesung.lumc"));
    QVERIFY(profile.save(path));

    DeviceProfile loaded;
    QVERIFY(loaded.load(path));

    const QStringList expected{
        "section|Einstellungen||0|",
        "selection|Einstellungen/Sprache:|Deutsch|0|Deutsch/Englisch/Français",
        "section|Einstellungen/Notruf||0|",
        "selection|Einstellungen/Notruf/Notrufende|Befreiung|0|Quittung/Befreiung",
        "inputnum|Einstellungen/Notruf/Rufnummer 1:|0171 555|1|",
        "inputtime_hhmm|Einstellungen/Notruf/Timerzeit 2|12:30|0|",
        "blocked|Einstellungen/Service-Center|+49 30 1234|0|",
        "section|Reset-Optionen||0|",
        "info|Türöffner & Co <alt>||0|",
    };
    QCOMPARE(describeItems(loaded), expected);
    for (const ConfItem *item : loaded.items())
        QCOMPARE(item->initValue(), item->value());
    QCOMPARE(loaded.document()
                     .documentElement()
                     .firstChildElement()
                     .lastChildElement()
                     .previousSiblingElement()
                     .attribute(QStringLiteral("sectiontype")),
             QStringLiteral("blocked"));

    // The loaded tree writes the same text again.
    const QString again = m_dir->filePath(QStringLiteral("nochmal.lumc"));
    QVERIFY(loaded.save(again));
    QCOMPARE(readFile(again), readFile(path));
}

void TestProfileFile::specialCharactersAreEscapedAndReadBack_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("written"); // empty: not checked
    QTest::addColumn<QString>("readBack");

    QTest::newRow("double quote") << "Taste \"OK\"" << QByteArray("Taste &quot;OK&quot;")
                                  << "Taste \"OK\"";
    QTest::newRow("ampersand") << "Ein & Aus" << QByteArray("Ein &amp; Aus") << "Ein & Aus";
    QTest::newRow("less-than and greater-than") << "<5 s>" << QByteArray("&lt;5 s&gt;") << "<5 s>";
    QTest::newRow("umlauts") << "Störung Ä Ö Ü"
                             << QByteArray("St\xc3\xb6rung \xc3\x84 \xc3\x96 \xc3\x9c")
                             << "Störung Ä Ö Ü";
    QTest::newRow("line feed and tab") << "A\nB\tC" << QByteArray("A&#xa;B&#x9;C") << "A\nB\tC";
    // Texts from the wire. XML cannot carry most control characters at all,
    // not even as character references; they come back as the replacement
    // character, so that the file always opens again.
    const QString latin1 = QString::fromLatin1("\xa0\xa4\xb5\xbf\xd7\xf7\xff");
    QTest::newRow("ISO 8859-1 upper half") << latin1 << QByteArray() << latin1;
    QTest::newRow("escape and bell") << QString::fromLatin1("A\x1b"
                                                            "B\x07"
                                                            "C")
                                     << QByteArray() << QStringLiteral("A\uFFFDB\uFFFDC");
    QTest::newRow("NUL") << QString::fromLatin1("A\0B", 3) << QByteArray()
                         << QStringLiteral("A\uFFFDB");
    const QString c1 = QString::fromLatin1("A\x7f\x85\x9f"
                                           "B");
    QTest::newRow("DEL and C1 controls") << c1 << QByteArray() << c1;
}

void TestProfileFile::specialCharactersAreEscapedAndReadBack()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, written);
    QFETCH(QString, readBack);

    DeviceProfile profile;
    addSetting(profile, text, text, QStringLiteral("selection"),
               { text, QStringLiteral("anders") });
    const QString path = m_dir->filePath(QStringLiteral("zeichen.lumc"));
    QVERIFY2(profile.save(path), qPrintable(profile.lastErrorString()));
    if (!written.isEmpty())
        QCOMPARE(readFile(path).count("\"" + written + "\""), 3);

    DeviceProfile loaded;
    QVERIFY2(loaded.load(path), qPrintable(loaded.lastErrorString()));
    QCOMPARE(loaded.items().size(), 1);
    const ConfItem *item = loaded.items().first();
    QCOMPARE(item->value(), readBack);
    const QDomElement setting = item->element();
    QCOMPARE(setting.attribute(QStringLiteral("text")), readBack);
    QCOMPARE(setting.firstChildElement().attribute(QStringLiteral("text")), readBack);
    QCOMPARE(setting.lastChildElement().attribute(QStringLiteral("text")),
             QStringLiteral("anders"));
}

void TestProfileFile::fileNamesAndUrlsReachTheLocalFile_data()
{
    // %1 is the temporary folder; `given` is what the caller hands over,
    // `local` where the file must end up.
    QTest::addColumn<QString>("given");
    QTest::addColumn<QString>("local");

    QTest::newRow("plain path") << "%1/datei.lumc"
                                << "%1/datei.lumc";
    QTest::newRow("file URL") << "file://%1/datei.lumc"
                              << "%1/datei.lumc";
    QTest::newRow("percent-encoded blank in URL") << "file://%1/mit%20Leerzeichen.lumc"
                                                  << "%1/mit Leerzeichen.lumc";
    QTest::newRow("percent sign in plain path stays") << "%1/50%20Rabatt.lumc"
                                                      << "%1/50%20Rabatt.lumc";
    QTest::newRow("double slash is not a URL") << "%1//doppelt.lumc"
                                               << "%1/doppelt.lumc";
    QTest::newRow("file URL without authority") << "file:%1/datei.lumc"
                                                << "%1/datei.lumc";
}

void TestProfileFile::nameChosenInDialogLandsInItsFolder_data()
{
    // %1 is the folder the dialog shows; `chosen` what it hands over.
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("path");

    QTest::newRow("bare name typed") << "file:anlage1"
                                     << "file://%1"
                                     << "%1/anlage1.lumc";
    QTest::newRow("bare name with ending") << "file:anlage1.lumc"
                                           << "file://%1"
                                           << "%1/anlage1.lumc";
    QTest::newRow("relative name into a subfolder") << "file:alt/anlage1"
                                                    << "file://%1"
                                                    << "%1/alt/anlage1.lumc";
    QTest::newRow("picked in the list") << "file://%1/anlage%202.lumc"
                                        << "file:///anderswo"
                                        << "%1/anlage 2.lumc";
    QTest::newRow("other ending kept") << "file:///%1/anlage1.xml"
                                       << "file://%1"
                                       << "%1/anlage1.xml";
    QTest::newRow("plain path and folder") << "anlage1"
                                           << "%1"
                                           << "%1/anlage1.lumc";
    QTest::newRow("folder with blank") << "file:anlage1"
                                       << "file://%1/Kestrom%20LUM"
                                       << "%1/Kestrom LUM/anlage1.lumc";
    QTest::newRow("nothing chosen") << ""
                                    << "file://%1"
                                    << "";
}

void TestProfileFile::nameChosenInDialogLandsInItsFolder()
{
    QFETCH(QString, chosen);
    QFETCH(QString, folder);
    QFETCH(QString, path);
    const QString dir = m_dir->path();
    const QString chosenPath = DeviceProfile::chosenFilePath(chosen.arg(dir), folder.arg(dir));
    QCOMPARE(chosenPath, path.arg(dir));
}

// The window's title and its question before discarding follow these two.
void TestProfileFile::fileNameAndUnsavedChangesFollowTheProfile()
{
    DeviceProfile profile;
    buildExampleDevice(profile);
    QVERIFY(profile.fileName().isEmpty());
    const QString path = m_dir->filePath(QStringLiteral("anlage1.lumc"));
    QVERIFY(profile.save(path));
    QCOMPARE(profile.fileName(), path);
    QVERIFY(!profile.modified());

    DeviceProfile loaded;
    QVERIFY(loaded.load(path));
    QCOMPARE(loaded.fileName(), path);
    QVERIFY(!loaded.modified());
    ConfItem *setting = loaded.items().at(1);
    QVERIFY(setting->editable());
    setting->setValue(setting->value() + QStringLiteral("1"));
    QVERIFY(loaded.modified());
    QCOMPARE(loaded.markedCount(), 0);
    setting->setActive(true);
    QCOMPARE(loaded.markedCount(), 1);

    // A failed save leaves the mark of unsaved changes.
    QVERIFY(!loaded.save(m_dir->filePath(QStringLiteral("fehlt/anlage1.lumc"))));
    QVERIFY(loaded.modified());
    QCOMPARE(loaded.fileName(), path);

    loaded.setAllMarked(true);
    QCOMPARE(loaded.markedCount(), loaded.editableCount());
    loaded.setAllMarked(false);
    QCOMPARE(loaded.markedCount(), 0);

    loaded.resetProfile();
    QVERIFY(loaded.fileName().isEmpty());
    QVERIFY(!loaded.modified());
}

void TestProfileFile::fileNamesAndUrlsReachTheLocalFile()
{
    QFETCH(QString, given);
    QFETCH(QString, local);
    const QString folder = m_dir->path();
    given = given.arg(folder);
    local = local.arg(folder);

    DeviceProfile profile;
    buildExampleDevice(profile);
    QSignalSpy errors(&profile, &DeviceProfile::fileError);
    profile.saveToFile(given);
    QCOMPARE(errors.count(), 0);
    QCOMPARE(readFile(local), elevenLines);
    QCOMPARE(folderEntries(folder).size(), 1);

    DeviceProfile loaded;
    loaded.loadFromFile(given);
    QCOMPARE(describeItems(loaded), describeItems(profile));
}

// A PC set to a Latin-1 locale must still write the UTF-8 the file is read as.
void TestProfileFile::savedFileIsUtf8WhateverTheLocale()
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0) // Qt 6 has no 8-bit locale codec
    QTextCodec *const localeCodec = QTextCodec::codecForLocale();
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("ISO-8859-1"));
#endif
    DeviceProfile profile;
    profile.appendChildElement(QStringLiteral("info"), QStringLiteral("Türöffner"));
    const QString path = m_dir->filePath(QStringLiteral("utf8.lumc"));
    const bool saved = profile.save(path);
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    QTextCodec::setCodecForLocale(localeCodec);
#endif
    QVERIFY(saved);
    QVERIFY(readFile(path).contains(QStringLiteral("<info text=\"Türöffner\"/>").toUtf8()));
}

void TestProfileFile::failedSaveKeepsOldFile_data()
{
    QTest::addColumn<QString>("situation");

    QTest::newRow("read-only folder") << "read-only folder";
    QTest::newRow("target is a folder") << "folder";
    QTest::newRow("system folder no one may write") << "proc";
    QTest::newRow("disk full while writing") << "file size limit";
}

void TestProfileFile::failedSaveKeepsOldFile()
{
    QFETCH(QString, situation);

    const QByteArray oldContent = "<deviceProfile version=\"1.0\"><menuTree><info "
                                  "text=\"alt\"/></menuTree></deviceProfile>\n";
    const QString folder = m_dir->filePath(QStringLiteral("ablage"));
    QVERIFY(QDir().mkpath(folder));
    QString path = writeFile(QStringLiteral("ablage/konfig.lumc"), oldContent);

    if (situation == QLatin1String("read-only folder")) {
        if (geteuid() == 0)
            QSKIP("root writes into read-only folders");
        QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    } else if (situation == QLatin1String("folder")) {
        path = folder + QStringLiteral("/ordner.lumc");
        QVERIFY(QDir(folder).mkdir(QStringLiteral("ordner.lumc")));
    } else if (situation == QLatin1String("proc")) {
        path = QStringLiteral("/proc/lum-konfig.lumc");
    }
    const QStringList entriesBefore = folderEntries(folder);

    DeviceProfile profile;
    buildExampleDevice(profile);
    const QList<ConfItem *> itemsBefore = profile.items();
    const QString textBefore = profile.document().toString();
    QSignalSpy errors(&profile, &DeviceProfile::fileError);

    if (situation == QLatin1String("file size limit")) {
        // Writes past 64 bytes fail as on a full disk (even for root).
        rlimit previous{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &previous), 0);
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = previous;
        limited.rlim_cur = 64;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);
        const bool saved = profile.save(path);
        setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, previousHandler);
        QVERIFY(!saved);
    } else {
        QVERIFY(!profile.save(path));
    }

    QCOMPARE(errors.count(), 1);
    const QString prefix =
            QStringLiteral("Die Datei %1 konnte nicht gespeichert werden:\n").arg(path);
    QVERIFY2(profile.lastErrorString().startsWith(prefix), qPrintable(profile.lastErrorString()));
    const QString reason = profile.lastErrorString().mid(prefix.size());
    QVERIFY2(!reason.isEmpty() && reason != QLatin1String("Unknown error"),
             "the system's reason is missing");
    QCOMPARE(readFile(folder + QStringLiteral("/konfig.lumc")), oldContent);
    QCOMPARE(folderEntries(folder), entriesBefore);
    QCOMPARE(profile.items(), itemsBefore);
    QCOMPARE(profile.document().toString(), textBefore);
}

QString TestProfileFile::writeFile(const QString &name, const QByteArray &content)
{
    const QString path = m_dir->filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

void TestProfileFile::loadGoodConfiguration(DeviceProfile &profile)
{
    QVERIFY(profile.load(writeFile(QStringLiteral("good.lumc"), goodConfiguration)));
    QCOMPARE(profile.items().size(), 3);
}

void TestProfileFile::badFile_isRefusedAndConfigurationStays_data()
{
    // `kind` is "file" (write `content`), "missing", "folder" or "unreadable";
    // `message` is a pattern for the text after "Die Datei <path> ". In
    // `content`, SECRET and DTD stand for URLs of files beside it holding a
    // marker that must never be read in.
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("message");

    const QString unopened = QStringLiteral("konnte nicht geöffnet werden:\\n.+");
    const QString invalid = QStringLiteral("ist keine gültige Konfigurationsdatei:\\n");
    const QString anyPosition = invalid + QStringLiteral("Zeile -?\\d+, Spalte -?\\d+: .+");
    const QByteArray good(goodConfiguration);
    QTest::newRow("missing file") << "missing" << QByteArray() << unopened;
    QTest::newRow("folder") << "folder" << QByteArray() << "(" + unopened + "|" + anyPosition + ")";
    QTest::newRow("no read permission") << "unreadable" << good << unopened;
    QTest::newRow("empty file") << "file" << QByteArray()
                                << invalid + "Zeile 1, Spalte 0: Premature end of document\\.";
    QTest::newRow("cut off after the third line")
            << "file" << good.left(good.indexOf(" <setting") - 2)
            << invalid + "Zeile 4, Spalte 0: Premature end of document\\.";
    QTest::newRow("mismatched end tag")
            << "file" << QByteArray("<a>\n<b>\n</c>\n</a>") << invalid + "Zeile 3, Spalte 4: .+";
    QTest::newRow("plain text") << "file" << QByteArray("Sprache: Deutsch\nRufnummer 1: 0815\n")
                                << anyPosition;
    QByteArray garbage(4096, '\0');
    QRandomGenerator bytes(4711);
    for (char &c : garbage)
        c = char(bytes.generate());
    QTest::newRow("binary garbage") << "file" << garbage << anyPosition;
    QTest::newRow("undefined entity")
            << "file"
            << QByteArray("<deviceProfile><menuTree><info "
                          "text=\"&nirgends;\"/></menuTree></deviceProfile>")
            << anyPosition;
    // Root, menu tree, 254 sections and the setting: 257 elements deep, one
    // more than a file may nest.
    QTest::newRow("one level past the nesting limit") << "file" << nested(254) << anyPosition;
    // Well-formed, but no configuration: refused rather than taken as empty.
    const QString foreign = QStringLiteral("ist keine LUM-Konfigurationsdatei\\.");
    QTest::newRow("web page") << "file" << QByteArray("<html><body><p>Hallo</p></body></html>")
                              << foreign;
    QTest::newRow("menu tree without its root")
            << "file" << QByteArray("<menuTree><section text=\"Einstellungen\"/></menuTree>")
            << foreign;
    QTest::newRow("billion laughs") << "file" << billionLaughs() << anyPosition;
    QTest::newRow("quadratic blowup") << "file" << quadraticBlowup() << anyPosition;
    const QByteArray root = "<deviceProfile version=\"1.0\"><menuTree>";
    QTest::newRow("system entity")
            << "file"
            << "<!DOCTYPE deviceProfile [<!ENTITY geheim SYSTEM \"SECRET\">]>\n" + root
                    + "<info text=\"x\">&geheim;</info></menuTree></deviceProfile>\n"
            << anyPosition;
    QTest::newRow("parameter entity")
            << "file"
            << "<!DOCTYPE deviceProfile [<!ENTITY % geheim SYSTEM \"SECRET\"> %geheim;]>\n" + root
                    + "</menuTree></deviceProfile>\n"
            << anyPosition;
    QTest::newRow("external document type") << "file"
                                            << "<!DOCTYPE deviceProfile SYSTEM \"DTD\">\n" + root
                    + "<info text=\"&geheim;\"/></menuTree></deviceProfile>\n"
                                            << anyPosition;
}

void TestProfileFile::badFile_isRefusedAndConfigurationStays()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, content);
    QFETCH(QString, message);

    const QByteArray marker = "LUM-GEHEIMNIS-4711";
    content.replace(
            "SECRET",
            QUrl::fromLocalFile(writeFile(QStringLiteral("secret.txt"), marker)).toEncoded());
    content.replace("DTD",
                    QUrl::fromLocalFile(writeFile(QStringLiteral("secret.dtd"),
                                                  "<!ENTITY geheim \"" + marker + "\">\n"))
                            .toEncoded());
    QString path = m_dir->filePath(QStringLiteral("bad.lumc"));
    if (kind == QLatin1String("file")) {
        writeFile(QStringLiteral("bad.lumc"), content);
    } else if (kind == QLatin1String("folder")) {
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("bad.lumc")));
    } else if (kind == QLatin1String("unreadable")) {
        if (geteuid() == 0)
            QSKIP("root reads every file");
        writeFile(QStringLiteral("bad.lumc"), content);
        QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
    }

    DeviceProfile profile;
    loadGoodConfiguration(profile);
    ConfItem *edited = profile.items().at(1);
    edited->setValue(QStringLiteral("Englisch"));
    const QString documentBefore = profile.document().toString(1);
    const QList<ConfItem *> itemsBefore = profile.items();
    const QStringList describedBefore = describeItems(profile);
    QSignalSpy errors(&profile, &DeviceProfile::fileError);
    QSignalSpy listChanges(&profile, &DeviceProfile::confItemListChanged);
    const long peakBefore = peakMemoryKb();

    QVERIFY(!profile.load(path));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // A fully expanded bomb would need gigabytes; the files are a few MB.
    const long grownKb = peakMemoryKb() - peakBefore;
    QVERIFY2(grownKb < 400 * 1024,
             qPrintable(QStringLiteral("peak memory grew by %1 MB").arg(grownKb / 1024)));
    QCOMPARE(errors.count(), 1);
    QCOMPARE(listChanges.count(), 0);
    const QString text = profile.lastErrorString();
    const QRegularExpression expected(
            QStringLiteral("^Die Datei %1 %2$").arg(QRegularExpression::escape(path), message));
    QVERIFY2(expected.match(text).hasMatch(), qPrintable(text));
    QVERIFY(!text.contains(QString::fromLatin1(marker)));
    QVERIFY(!profile.document().toString().contains(QString::fromLatin1(marker)));
    QCOMPARE(profile.document().toString(1), documentBefore);
    QCOMPARE(profile.items(), itemsBefore);
    QCOMPARE(describeItems(profile), describedBefore);

    // The kept items are still bound to the kept tree.
    edited->setValue(QStringLiteral("Deutsch"));
    QVERIFY(edited->element().ownerDocument() == profile.document());
    QCOMPARE(edited->element().attribute(QStringLiteral("value")), QStringLiteral("Deutsch"));

    // The refused file on disk is left as it was.
    if (kind == QLatin1String("file")) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), content);
    }
}

void TestProfileFile::strangeButWellFormedFile_loadsAsVocabularySays_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("expectedItems"); // type|path|value|active|options

    // Another root is no configuration at all and is refused.
    QTest::newRow("wrong tree and entry names") << QByteArray(
            "<deviceProfile><baum><setting text=\"A:\" value=\"1\" active=\"1\" "
            "valuetype=\"inputnum\"/>"
            "<zweig text=\"B?\"><info text=\"C\"/></zweig></baum><rest/></deviceProfile>")
                                                << QStringList{ QStringLiteral("inputnum|A:|1|1|"),
                                                                QStringLiteral("zweig|B?||0|"),
                                                                QStringLiteral("info|B?/C||0|") };
    QTest::newRow("missing attributes")
            << QByteArray("<deviceProfile><menuTree><setting/><section><info/></section></"
                          "menuTree></deviceProfile>")
            << QStringList{ QStringLiteral("|||0|"), QStringLiteral("section|||0|"),
                            QStringLiteral("info|||0|") };
    QTest::newRow("active not a number")
            << QByteArray("<deviceProfile><menuTree>"
                          "<setting text=\"A:\" value=\"x\" active=\"abc\" valuetype=\"inputnum\"/>"
                          "<setting text=\"B:\" value=\"y\" active=\"\" valuetype=\"inputnum\"/>"
                          "<setting text=\"C:\" value=\"z\" active=\"-3\" valuetype=\"inputnum\"/>"
                          "</menuTree></deviceProfile>")
            << QStringList{ QStringLiteral("inputnum|A:|x|0|"), QStringLiteral("inputnum|B:|y|0|"),
                            QStringLiteral("inputnum|C:|z|1|") };
    QTest::newRow("selection without options")
            << QByteArray("<deviceProfile><menuTree><setting text=\"S:\" value=\"Ein\" "
                          "active=\"1\" valuetype=\"selection\"/>"
                          "</menuTree></deviceProfile>")
            << QStringList{ QStringLiteral("selection|S:|Ein|1|") };
    QTest::newRow("root without children") << QByteArray("<deviceProfile/>") << QStringList();

    QStringList deep;
    QStringList path;
    for (int i = 0; i < 50; ++i) {
        path << QStringLiteral("Ebene %1?").arg(i + 1);
        deep << QStringLiteral("section|%1||0|").arg(path.join(QLatin1Char('/')));
    }
    deep << QStringLiteral("inputnum|%1/Tief:|1|1|").arg(path.join(QLatin1Char('/')));
    QTest::newRow("50 levels of nesting") << nested(50) << deep;
    QTest::newRow("text and a processing instruction between entries")
            << QByteArray(
                       "<deviceProfile><menuTree>Text<?notiz Werkstatt?>mehr Text<info text=\"I\"/>"
                       "</menuTree></deviceProfile>")
            << QStringList{ QStringLiteral("|||0|"), QStringLiteral("|||0|"),
                            QStringLiteral("|||0|"), QStringLiteral("info|I||0|") };
}

void TestProfileFile::strangeButWellFormedFile_loadsAsVocabularySays()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, expectedItems);
    DeviceProfile profile;
    loadGoodConfiguration(profile);
    QSignalSpy errors(&profile, &DeviceProfile::fileError);
    QSignalSpy listChanges(&profile, &DeviceProfile::confItemListChanged);

    QVERIFY2(profile.load(writeFile(QStringLiteral("strange.lumc"), content)),
             qPrintable(profile.lastErrorString()));

    QCOMPARE(errors.count(), 0);
    QCOMPARE(listChanges.count(), 1);
    QCOMPARE(describeItems(profile), expectedItems);

    // What LUM opened it must be able to open again after a save.
    const QString resaved = writeFile(QStringLiteral("resaved.lumc"), QByteArray());
    QVERIFY(profile.save(resaved));
    DeviceProfile reread;
    QVERIFY2(reread.load(resaved), qPrintable(reread.lastErrorString()));
    QCOMPARE(describeItems(reread), expectedItems);
}

void TestProfileFile::readsTheFileInItsEncodingAndSavesUtf8_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("missing"); // letters the file's encoding cannot hold

    const auto utf8 = [](const QString &text) { return text.toUtf8(); };
    const auto latin1 = [](const QString &text) { return without(text, latin1Missing).toLatin1(); };
    // ISO 8859-15 is Latin-1 with the euro sign at 0xA4 (and seven letters
    // these texts do not hold): read with another encoding, the € is lost.
    const auto latin9 = [](const QString &text) {
        return without(text, latin9Missing).replace(QChar(0x20AC), QChar(0xA4)).toLatin1();
    };
    QTest::newRow("Windows-1252 without declaration")
            << configuration(QByteArray(), windows1252) << QString();
    QTest::newRow("Windows-1252 with a declaration naming no encoding")
            << configuration("<?xml version=\"1.0\"?>\n", windows1252) << QString();
    QTest::newRow("Windows-1252 declared")
            << configuration("<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n", windows1252)
            << QString();
    QTest::newRow("UTF-8 without declaration") << configuration(QByteArray(), utf8) << QString();
    QTest::newRow("UTF-8 with byte-order mark")
            << "\xEF\xBB\xBF" + configuration(QByteArray(), utf8) << QString();
    QTest::newRow("ISO 8859-1 declared")
            << configuration("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n", latin1)
            << latin1Missing;
    QTest::newRow("ISO 8859-15 declared")
            << configuration("<?xml version=\"1.0\" encoding=\"ISO-8859-15\"?>\n", latin9)
            << latin9Missing;
}

void TestProfileFile::readsTheFileInItsEncodingAndSavesUtf8()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, missing);
    const auto shown = [&missing](const QString &text) { return without(text, missing); };
    const QString original = writeFile(QStringLiteral("old.lumc"), bytes);

    DeviceProfile profile;
    QVERIFY2(profile.load(original), qPrintable(profile.lastErrorString()));
    const QString section = shown(sectionName);
    const QStringList expected{
        QStringLiteral("section|%1||0|").arg(section),
        QStringLiteral("selection|%1/%2|%3|1|Ein/%3")
                .arg(section, shown(selectionName), shown(selectionValue)),
        QStringLiteral("inputnum|%1/%2|%3|0|").arg(section, shown(numberName), shown(numberValue)),
    };
    QCOMPARE(describeItems(profile), expected);

    // Saved as UTF-8, and read back with the same entries.
    const QString saved = m_dir->filePath(QStringLiteral("saved.lumc"));
    QVERIFY(profile.save(saved));
    const QByteArray savedBytes = readFile(saved);
    QVERIFY(savedBytes.contains(shown(selectionName).toUtf8()));
    QVERIFY(!savedBytes.contains("encoding"));
    DeviceProfile reloaded;
    QVERIFY2(reloaded.load(saved), qPrintable(reloaded.lastErrorString()));
    QCOMPARE(describeItems(reloaded), expected);
}

void TestProfileFile::saveKilledPartWay_leavesOneCompleteConfiguration()
{
    QTemporaryDir &dir = *m_dir;
    const QString target = dir.filePath(QStringLiteral("anlage.lumc"));

    // What each version looks like when saved without interruption.
    QByteArray saved[2];
    for (int v = 0; v < 2; ++v) {
        DeviceProfile profile;
        QVERIFY(loadConfiguration(profile, dir.path(), v == 0 ? 'A' : 'B'));
        const QString reference = dir.filePath(QStringLiteral("referenz-%1.lumc").arg(v));
        QVERIFY(profile.save(reference));
        saved[v] = readFile(reference);
        QVERIFY(saved[v].size() > 1000000);
    }
    QVERIFY(saved[0] != saved[1]);

    const int kills = 8;
    for (int k = 0; k < kills; ++k) {
        QProcess saver;
        saver.start(QCoreApplication::applicationFilePath(),
                    { QStringLiteral("--save-loop"), target });
        QVERIFY(saver.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(saver.canReadLine() || saver.state() == QProcess::NotRunning,
                                 120000);
        QCOMPARE(saver.state(), QProcess::Running);
        QTest::qWait(QRandomGenerator::global()->bounded(20, 400));
        saver.kill(); // SIGKILL: no handler, no flush, no clean-up
        QVERIFY(saver.waitForFinished(30000));
        QCOMPARE(saver.exitStatus(), QProcess::CrashExit);

        const QByteArray content = readFile(target);
        const int version = content == saved[0] ? 0 : content == saved[1] ? 1 : -1;
        QVERIFY2(version >= 0,
                 qPrintable(QStringLiteral("kill %1 left %2 bytes that are neither version")
                                    .arg(k)
                                    .arg(content.size())));
    }

    // The next ordinary save still goes through.
    DeviceProfile profile;
    QVERIFY(loadConfiguration(profile, dir.path(), 'A'));
    QVERIFY(profile.save(target));
    QCOMPARE(readFile(target), saved[0]);
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--save-loop") == 0)
        return runSaveLoop(QString::fromLocal8Bit(argv[2]));
    TestProfileFile test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_profilefile.moc"
