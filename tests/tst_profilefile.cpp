// Configuration files: the text a profile writes and reads back, the names
// and URLs it is given, the old files' encodings, files that are damaged,
// hostile or merely strange, and saves that fail or are killed part way.
// A refused file or a failed save never touches the configuration that was
// open or the file on disk, and nothing here may eat the machine's memory.
//
// The saves killed with SIGKILL need a saving process: the test runs itself
// again as `tst_profilefile --save-loop FILE`, which saves two versions of a
// large configuration into FILE, alternately, until it is killed.

#include <QDir>
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
#include <sys/resource.h>
#include <unistd.h>

#include "confitem.h"
#include "deviceprofile.h"

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// A small configuration as LUM writes it, with every kind of entry (the file
// loader's fuzzer starts from it too).
const QByteArray good = readFile(QStringLiteral(LUM_SOURCE_DIR "/fuzz/baseline.lumc"));

// Builds entries with the cursor calls the read-out walk makes. A step is
// "section|text[|sectiontype]" (stepped into), ".." (back out), "info|text"
// or "setting|text|value|valuetype|option/option".
void build(DeviceProfile &profile, const QStringList &steps)
{
    for (const QString &step : steps) {
        const QStringList f = step.split(QLatin1Char('|'));
        if (f[0] == QLatin1String("..")) {
            profile.gotoParent();
            continue;
        }
        profile.appendChildElement(f[0], f[1]);
        if (f[0] != QLatin1String("info"))
            profile.gotoLastChild();
        if (f[0] == QLatin1String("section") && f.size() > 2)
            profile.setCurrentAttribute(QStringLiteral("sectiontype"), f[2]);
        if (f[0] != QLatin1String("setting"))
            continue;
        profile.setCurrentAttribute(QStringLiteral("value"), f[2]);
        profile.setCurrentAttribute(QStringLiteral("active"), QStringLiteral("0"));
        for (const QString &option : f[4].split(QLatin1Char('/'), Qt::SkipEmptyParts))
            profile.appendChildElement(QStringLiteral("option"), option);
        profile.setCurrentAttribute(QStringLiteral("valuetype"), f[3]);
        profile.gotoParent();
    }
    profile.rebuildConfItemList();
}

// One line per item: type|menu path|value|marked|options.
QStringList describe(const DeviceProfile &profile)
{
    QStringList lines;
    for (const ConfItem *item : profile.items())
        lines << QStringList{ item->type(), item->menuPath().join('/'), item->value(),
                              QString::number(item->active()), item->options().join('/') }
                         .join('|');
    return lines;
}

QStringList folderEntries(const QString &path)
{
    return QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

QByteArray nested(int depth)
{
    QByteArray text = "<deviceProfile version=\"1.0\"><menuTree>";
    for (int i = 0; i < depth; ++i)
        text += "<section text=\"E" + QByteArray::number(i + 1) + "\">";
    text += "<setting text=\"Tief:\" value=\"1\" active=\"1\" valuetype=\"inputnum\"/>";
    return text + QByteArray("</section>").repeated(depth) + "</menuTree></deviceProfile>";
}

// About 30000 entries, well over a megabyte: a save takes long enough to be
// hit in the middle.
bool loadLarge(DeviceProfile &profile, const QString &folder, char version)
{
    QByteArray text = "<deviceProfile version=\"1.0\"><menuTree>";
    for (int s = 0; s < 3000; ++s) {
        text += "<section text=\"Bereich " + QByteArray::number(s) + "?\">";
        for (int i = 0; i < 8; ++i)
            text += "<setting text=\"Nr " + QByteArray::number(i) + ":\" value=\"" + version
                    + QByteArray::number(s * 10 + i) + "\" active=\"0\" valuetype=\"inputnum\"/>";
        text += "</section>";
    }
    QFile file(QDir(folder).filePath(QStringLiteral("quelle-%1.xml").arg(version)));
    if (!file.open(QIODevice::WriteOnly) || file.write(text + "</menuTree></deviceProfile>") < 0)
        return false;
    file.close();
    return profile.load(file.fileName());
}

int runSaveLoop(const QString &target)
{
    QTemporaryDir work;
    DeviceProfile versions[2];
    if (!loadLarge(versions[0], work.path(), 'A') || !loadLarge(versions[1], work.path(), 'B'))
        return 3;
    for (long round = 0;; ++round) {
        if (!versions[round % 2].save(target))
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
    void treeIsWrittenByteForByte();
    void specialCharactersAreEscapedAndReadBack_data();
    void specialCharactersAreEscapedAndReadBack();
    void fileNamesAndUrlsReachTheLocalFile_data();
    void fileNamesAndUrlsReachTheLocalFile();
    void nameChosenInDialogLandsInItsFolder_data();
    void nameChosenInDialogLandsInItsFolder();
    void fileNameAndUnsavedChangesFollowTheProfile();
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
    QString writeFile(const QString &name, const QByteArray &content)
    {
        QFile file(m_dir->filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            qFatal("cannot write %s", qPrintable(file.fileName()));
        return file.fileName();
    }

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
    const QStringList entries = folderEntries(m_dir->path()) << QString();
    for (const QString &entry : entries)
        QFile::setPermissions(m_dir->filePath(entry),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                      | QFileDevice::ExeOwner);
    m_dir.reset();
}

void TestProfileFile::treeIsWrittenByteForByte()
{
    const QString path = m_dir->filePath(QStringLiteral("anlage.lumc"));
    DeviceProfile profile;
    QVERIFY(profile.save(path));
    QCOMPARE(readFile(path),
             QByteArray("<deviceProfile version=\"1.0\">\n <menuTree/>\n</deviceProfile>\n"));

    // A read-out; the technician marks the language and edits the number.
    build(profile,
          { "section|Einstellungen?", "setting|Sprache:|Deutsch|selection|Deutsch/Englisch",
            "setting|Rufnummer 1:|4711|inputnum|", "..", "section|Reset-Optionen|blocked", "..",
            "info|Türöffner & Co <alt>" });
    profile.items().at(1)->setActive(true);
    profile.items().at(2)->setValue(QStringLiteral("0815"));
    QVERIFY(profile.save(path));
    QCOMPARE(readFile(path), good);

    DeviceProfile loaded;
    QSignalSpy changes(&loaded, &DeviceProfile::confItemListChanged);
    QVERIFY(loaded.load(path));
    QCOMPARE(changes.count(), 1);
    QCOMPARE(describe(loaded), describe(profile));
    QCOMPARE(loaded.items().at(2)->initValue(), QStringLiteral("0815"));
    // The attribute order is fixed, so the loaded tree writes the same text.
    QVERIFY(loaded.save(path));
    QCOMPARE(readFile(path), good);
}

void TestProfileFile::specialCharactersAreEscapedAndReadBack_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("written"); // empty: not checked
    QTest::addColumn<QString>("readBack");

    QTest::newRow("quote") << "\"OK\"" << QByteArray("&quot;OK&quot;") << "\"OK\"";
    QTest::newRow("ampersand, less, greater") << "<&>" << QByteArray("&lt;&amp;&gt;") << "<&>";
    QTest::newRow("umlauts") << "Störung" << QByteArray("St\xc3\xb6rung") << "Störung";
    QTest::newRow("line feed and tab") << "A\nB\tC" << QByteArray("A&#xa;B&#x9;C") << "A\nB\tC";
    // Texts from the wire. XML cannot carry most control characters, not even
    // as references; they come back as U+FFFD so that the file opens again.
    const QString latin1 = QString::fromLatin1("\xa0\xa4\xb5\xbf\xd7\xf7\xff\x7f\x85\x9f");
    QTest::newRow("Latin-1 upper half, DEL and C1") << latin1 << QByteArray() << latin1;
    QTest::newRow("escape, bell and NUL")
            << QString::fromLatin1("A\x1b"
                                   "B\x07"
                                   "C\0",
                                   6)
            << QByteArray() << QStringLiteral("A\uFFFDB\uFFFDC\uFFFD");
}

void TestProfileFile::specialCharactersAreEscapedAndReadBack()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, written);
    QFETCH(QString, readBack);
    DeviceProfile profile;
    build(profile, { QStringLiteral("setting|%1|%1|selection|%1/anders").arg(text) });
    const QString path = m_dir->filePath(QStringLiteral("zeichen.lumc"));
    QVERIFY2(profile.save(path), qPrintable(profile.lastErrorString()));
    if (!written.isEmpty())
        QCOMPARE(readFile(path).count("\"" + written + "\""), 3);

    DeviceProfile loaded;
    QVERIFY2(loaded.load(path), qPrintable(loaded.lastErrorString()));
    const QDomElement setting = loaded.items().value(0)->element();
    const QStringList texts{ setting.attribute(QStringLiteral("text")), loaded.items()[0]->value(),
                             setting.firstChildElement().attribute(QStringLiteral("text")) };
    QCOMPARE(texts, QStringList({ readBack, readBack, readBack }));
}

// %1 is the temporary folder; `given` is what the caller hands over,
// `local` where the file must end up.
void TestProfileFile::fileNamesAndUrlsReachTheLocalFile_data()
{
    QTest::addColumn<QString>("given");
    QTest::addColumn<QString>("local");
    QTest::newRow("plain path") << "%1/a.lumc"
                                << "%1/a.lumc";
    QTest::newRow("percent-encoded file URL") << "file://%1/a%20b.lumc"
                                              << "%1/a b.lumc";
    QTest::newRow("percent sign in plain path") << "%1/a%20b.lumc"
                                                << "%1/a%20b.lumc";
    QTest::newRow("double slash is no URL") << "%1//a.lumc"
                                            << "%1/a.lumc";
    QTest::newRow("file URL without authority") << "file:%1/a.lumc"
                                                << "%1/a.lumc";
}

void TestProfileFile::fileNamesAndUrlsReachTheLocalFile()
{
    QFETCH(QString, given);
    QFETCH(QString, local);
    const QString folder = m_dir->path();
    DeviceProfile profile;
    QVERIFY(profile.load(writeFile(QStringLiteral("gut.lumc"), good)));
    QFile::remove(profile.fileName());
    QSignalSpy errors(&profile, &DeviceProfile::fileError);
    profile.saveToFile(given.arg(folder));
    QCOMPARE(readFile(local.arg(folder)), good);
    QCOMPARE(folderEntries(folder).size(), 1);
    profile.resetProfile();
    profile.loadFromFile(given.arg(folder));
    QCOMPARE(profile.items().size(), 5);
    QCOMPARE(errors.count(), 0);
}

// %1 is the folder the dialog shows; `chosen` what it hands over.
void TestProfileFile::nameChosenInDialogLandsInItsFolder_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("path");
    QTest::newRow("bare name typed") << "file:a"
                                     << "file://%1"
                                     << "%1/a.lumc";
    QTest::newRow("into a subfolder") << "file:alt/a.lumc"
                                      << "file://%1"
                                      << "%1/alt/a.lumc";
    QTest::newRow("picked in the list") << "file://%1/a%202.lumc"
                                        << "file:///anderswo"
                                        << "%1/a 2.lumc";
    QTest::newRow("other ending kept") << "file:///%1/a.xml"
                                       << "file://%1"
                                       << "%1/a.xml";
    QTest::newRow("plain name and folder") << "a"
                                           << "%1"
                                           << "%1/a.lumc";
    QTest::newRow("folder with blank") << "file:a"
                                       << "file://%1/K%20L"
                                       << "%1/K L/a.lumc";
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
    QCOMPARE(DeviceProfile::chosenFilePath(chosen.arg(dir), folder.arg(dir)), path.arg(dir));
}

// The window's title, its question before discarding and its count of marks
// follow these.
void TestProfileFile::fileNameAndUnsavedChangesFollowTheProfile()
{
    const QString path = writeFile(QStringLiteral("anlage1.lumc"), good);
    DeviceProfile profile;
    QVERIFY(profile.fileName().isEmpty());
    QVERIFY(profile.load(path));
    QCOMPARE(profile.fileName(), path);
    QVERIFY(!profile.modified());
    profile.items().at(2)->setValue(QStringLiteral("08151"));
    QVERIFY(profile.modified());
    // A failed save leaves the mark of unsaved changes; a good one clears it.
    QVERIFY(!profile.save(m_dir->filePath(QStringLiteral("fehlt/anlage1.lumc"))));
    QVERIFY(profile.modified());
    QCOMPARE(profile.fileName(), path);
    QVERIFY(profile.save(m_dir->filePath(QStringLiteral("anlage2.lumc"))));
    QCOMPARE(profile.fileName(), m_dir->filePath(QStringLiteral("anlage2.lumc")));
    QVERIFY(!profile.modified());

    QCOMPARE(profile.markedCount(), 1);
    profile.items().at(2)->setActive(true);
    QCOMPARE(profile.markedCount(), 2);
    profile.setAllMarked(false);
    QCOMPARE(profile.markedCount(), 0);
    profile.setAllMarked(true);
    QCOMPARE(profile.markedCount(), 2);
    QCOMPARE(profile.editableCount(), 2);
    profile.resetProfile();
    QVERIFY(profile.fileName().isEmpty());
    QVERIFY(!profile.modified());
}

void TestProfileFile::readsTheFileInItsEncodingAndSavesUtf8_data()
{
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<QString>("encoding");

    const QByteArray plain = "<?xml version=\"1.0\"?>\n";
    const QByteArray utf8Mark = "\xEF\xBB\xBF";
    const auto declared = [](const char *name) {
        return "<?xml version=\"1.0\" encoding=\"" + QByteArray(name) + "\"?>\n";
    };
    QTest::newRow("Windows-1252 undeclared") << QByteArray() << "windows-1252";
    QTest::newRow("Windows-1252, no encoding declared") << plain << "windows-1252";
    QTest::newRow("Windows-1252 declared") << declared("windows-1252") << "windows-1252";
    QTest::newRow("UTF-8 undeclared") << QByteArray() << "UTF-8";
    QTest::newRow("UTF-8 with byte-order mark") << utf8Mark << "UTF-8";
    QTest::newRow("ISO 8859-1 declared") << declared("ISO-8859-1") << "ISO-8859-1";
    QTest::newRow("ISO 8859-15 declared") << declared("ISO-8859-15") << "ISO-8859-15";
}

// Umlauts, sharp s, typographic quotes and the euro sign, less the letters the
// file's encoding lacks; ISO 8859-15 has the euro sign where Latin-1 has
// another sign.
void TestProfileFile::readsTheFileInItsEncodingAndSavesUtf8()
{
    QFETCH(QByteArray, head);
    QFETCH(QString, encoding);
    QString text = QStringLiteral("Größe „neu“");
    QString value = QStringLiteral("€ 5");
    QByteArray bytes = "<deviceProfile><menuTree><setting text=\"%1\" value=\"%2\" active=\"1\" "
                       "valuetype=\"inputnum\"/></menuTree></deviceProfile>\r\n";
    if (encoding == QLatin1String("UTF-8")) {
        bytes = bytes.replace("%1", text.toUtf8()).replace("%2", value.toUtf8());
    } else {
        if (encoding.startsWith(QLatin1String("ISO")))
            text.remove(QChar(0x201E)).remove(QChar(0x201C));
        if (encoding == QLatin1String("ISO-8859-1"))
            value.remove(QChar(0x20AC));
        const int euro = encoding == QLatin1String("windows-1252") ? 0x80 : 0xA4;
        bytes = bytes.replace("%1",
                              QString(text)
                                      .replace(QChar(0x201E), QChar(0x84))
                                      .replace(QChar(0x201C), QChar(0x93))
                                      .toLatin1())
                        .replace("%2",
                                 QString(value).replace(QChar(0x20AC), QChar(euro)).toLatin1());
    }
    DeviceProfile profile;
    QVERIFY2(profile.load(writeFile(QStringLiteral("alt.lumc"), head + bytes)),
             qPrintable(profile.lastErrorString()));
    const QStringList expected{ "inputnum|" + text + "|" + value + "|1|" };
    QCOMPARE(describe(profile), expected);

    // Saved as UTF-8 even where the PC's locale is Latin-1, and read back.
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0) // Qt 6 has no 8-bit locale codec
    QTextCodec *const localeCodec = QTextCodec::codecForLocale();
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("ISO-8859-1"));
#endif
    const QString saved = m_dir->filePath(QStringLiteral("neu.lumc"));
    const bool savedOk = profile.save(saved);
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    QTextCodec::setCodecForLocale(localeCodec);
#endif
    QVERIFY(savedOk);
    QVERIFY(readFile(saved).contains("text=\"" + text.toUtf8() + "\""));
    QVERIFY(!readFile(saved).contains("encoding"));
    DeviceProfile reloaded;
    QVERIFY2(reloaded.load(saved), qPrintable(reloaded.lastErrorString()));
    QCOMPARE(describe(reloaded), expected);
}

void TestProfileFile::badFile_isRefusedAndConfigurationStays_data()
{
    // `kind` is "file" (write `content`), "missing", "folder" or "unreadable";
    // `message` a pattern for the text after "Die Datei <path> ". In `content`,
    // SECRET and DTD stand for URLs of files beside it holding a marker that
    // must never be read in.
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("message");

    const QString unopened = QStringLiteral("konnte nicht geöffnet werden:\\n.+");
    const QString invalid = QStringLiteral("ist keine gültige Konfigurationsdatei:\\nZeile ");
    const QString anywhere = invalid + QStringLiteral("-?\\d+, Spalte -?\\d+: .+");
    const QString foreign = QStringLiteral("ist keine LUM-Konfigurationsdatei\\.");
    const QString early = QStringLiteral(", Spalte 0: Premature end of document\\.");
    const QByteArray root = "<deviceProfile version=\"1.0\"><menuTree>";
    const QByteArray end = "</menuTree></deviceProfile>\n";
    // Entities nested ten by ten: a gigabyte when expanded.
    QByteArray bomb = "<!DOCTYPE deviceProfile [<!ENTITY e0 \"lol\">";
    for (int i = 1; i <= 9; ++i)
        bomb += "<!ENTITY e" + QByteArray::number(i) + " \""
                + ("&e" + QByteArray::number(i - 1) + ";").repeated(10) + "\">";
    bomb += "]>" + root + "<info text=\"&e9;\">&e9;</info>" + end;

    QTest::newRow("missing file") << "missing" << QByteArray() << unopened;
    QTest::newRow("folder") << "folder" << QByteArray() << "(" + unopened + "|" + anywhere + ")";
    QTest::newRow("no read permission") << "unreadable" << good << unopened;
    QTest::newRow("empty file") << "file" << QByteArray() << invalid + "1" + early;
    QTest::newRow("cut off after the third line")
            << "file" << good.left(good.indexOf(" <setting") - 2) << invalid + "4" + early;
    QTest::newRow("mismatched end tag")
            << "file" << QByteArray("<a>\n<b>\n</c>\n</a>") << invalid + "3, Spalte 4: .+";
    QTest::newRow("binary") << "file" << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)
                            << anywhere;
    QTest::newRow("undefined entity")
            << "file" << root + "<info text=\"&nirgends;\"/>" + end << anywhere;
    // Root, menu tree, 254 sections and the setting: one level more than a
    // file may nest.
    QTest::newRow("one level past the nesting limit") << "file" << nested(254) << anywhere;
    QTest::newRow("web page") << "file" << QByteArray("<html><body>Hallo</body></html>") << foreign;
    QTest::newRow("menu tree without its root")
            << "file" << QByteArray("<menuTree><section text=\"E\"/></menuTree>") << foreign;
    QTest::newRow("billion laughs") << "file" << bomb << anywhere;
    QTest::newRow("system entity") << "file"
                                   << "<!DOCTYPE deviceProfile [<!ENTITY g SYSTEM \"SECRET\">]>"
                    + root + "<info text=\"x\">&g;</info>" + end
                                   << anywhere;
    QTest::newRow("parameter entity")
            << "file"
            << "<!DOCTYPE deviceProfile [<!ENTITY % g SYSTEM \"SECRET\"> %g;]>" + root + end
            << anywhere;
    QTest::newRow("external document type")
            << "file"
            << "<!DOCTYPE deviceProfile SYSTEM \"DTD\">" + root + "<info text=\"&geheim;\"/>" + end
            << anywhere;
}

void TestProfileFile::badFile_isRefusedAndConfigurationStays()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    const QByteArray marker = "LUM-GEHEIMNIS-4711";
    const QString secret = writeFile(QStringLiteral("secret.txt"), marker);
    const QString dtd =
            writeFile(QStringLiteral("secret.dtd"), "<!ENTITY geheim \"" + marker + "\">");
    content.replace("SECRET", QUrl::fromLocalFile(secret).toEncoded())
            .replace("DTD", QUrl::fromLocalFile(dtd).toEncoded());
    const QString path = m_dir->filePath(QStringLiteral("bad.lumc"));
    if (kind == QLatin1String("folder"))
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("bad.lumc")));
    else if (kind != QLatin1String("missing"))
        writeFile(QStringLiteral("bad.lumc"), content);
    if (kind == QLatin1String("unreadable")) {
        if (geteuid() == 0)
            QSKIP("root reads every file");
        QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
    }

    DeviceProfile profile;
    QVERIFY(profile.load(writeFile(QStringLiteral("gut.lumc"), good)));
    ConfItem *edited = profile.items().at(1);
    edited->setValue(QStringLiteral("Englisch"));
    const QString documentBefore = profile.document().toString(1);
    const QList<ConfItem *> itemsBefore = profile.items();
    const QStringList describedBefore = describe(profile);
    QSignalSpy errors(&profile, &DeviceProfile::fileError);
    QSignalSpy listChanges(&profile, &DeviceProfile::confItemListChanged);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const long peakBefore = usage.ru_maxrss;

    QVERIFY(!profile.load(path));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    getrusage(RUSAGE_SELF, &usage); // a bomb expanded would take gigabytes
    QVERIFY2(usage.ru_maxrss - peakBefore < 400 * 1024, "the file was expanded in memory");
    QCOMPARE(errors.count(), 1);
    QCOMPARE(listChanges.count(), 0);
    const QString text = profile.lastErrorString();
    const QString pattern = QStringLiteral("^Die Datei %1 %2$");
    QVERIFY2(QRegularExpression(pattern.arg(QRegularExpression::escape(path), message))
                     .match(text)
                     .hasMatch(),
             qPrintable(text));
    QVERIFY(!text.contains(QString::fromLatin1(marker)));
    QCOMPARE(profile.document().toString(1), documentBefore);
    QCOMPARE(profile.items(), itemsBefore);
    QCOMPARE(describe(profile), describedBefore);
    // The kept items are still bound to the kept tree; the file is untouched.
    edited->setValue(QStringLiteral("Deutsch"));
    QVERIFY(profile.document().toString(1) != documentBefore);
    if (kind == QLatin1String("file"))
        QCOMPARE(readFile(path), content);
}

void TestProfileFile::strangeButWellFormedFile_loadsAsVocabularySays_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("items"); // type|path|value|marked|options
    const auto doc = [](const char *inside) {
        return "<deviceProfile>" + QByteArray(inside) + "</deviceProfile>";
    };

    QTest::newRow("wrong tree and entry names")
            << doc("<baum><setting text=\"A\" value=\"1\" active=\"1\" valuetype=\"x\"/>"
                   "<zweig text=\"B\"><info text=\"C\"/></zweig></baum><rest/>")
            << QStringList{ "x|A|1|1|", "zweig|B||0|", "info|B/C||0|" };
    QTest::newRow("missing attributes")
            << doc("<menuTree><setting/><section><info/></section></menuTree>")
            << QStringList{ "|||0|", "section|||0|", "info|||0|" };
    QTest::newRow("marks other than 0 and 1")
            << doc("<menuTree><setting text=\"A\" active=\"abc\" valuetype=\"x\"/>"
                   "<setting text=\"B\" active=\"\" valuetype=\"x\"/>"
                   "<setting text=\"C\" active=\"-3\" valuetype=\"selection\"/></menuTree>")
            << QStringList{ "x|A||0|", "x|B||0|", "selection|C||1|" };
    QTest::newRow("root without children") << doc("") << QStringList();
    QTest::newRow("text and a processing instruction between entries")
            << doc("<menuTree>Text<?notiz Werkstatt?>mehr<info text=\"I\"/></menuTree>")
            << QStringList{ "|||0|", "|||0|", "|||0|", "info|I||0|" };
    QStringList deep;
    QString path;
    for (int i = 1; i <= 253; ++i)
        deep << "section|" + (path += QStringLiteral("E%1/").arg(i)).chopped(1) + "||0|";
    QTest::newRow("nested as deep as a file may")
            << nested(253) << (deep << "inputnum|" + path + "Tief:|1|1|");
}

void TestProfileFile::strangeButWellFormedFile_loadsAsVocabularySays()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, items);
    DeviceProfile profile;
    const QString file = writeFile(QStringLiteral("seltsam.lumc"), content);
    QVERIFY2(profile.load(file), qPrintable(profile.lastErrorString()));
    QCOMPARE(describe(profile), items);

    // What LUM opened it must be able to open again after a save.
    QVERIFY(profile.save(file));
    DeviceProfile reread;
    QVERIFY2(reread.load(file), qPrintable(reread.lastErrorString()));
    QCOMPARE(describe(reread), items);
}

void TestProfileFile::failedSaveKeepsOldFile_data()
{
    QTest::addColumn<QString>("situation");
    QTest::newRow("read-only folder") << "read-only";
    QTest::newRow("target is a folder") << "folder";
    QTest::newRow("system folder no one may write") << "proc";
    QTest::newRow("disk full while writing") << "full";
}

void TestProfileFile::failedSaveKeepsOldFile()
{
    QFETCH(QString, situation);
    const QString folder = m_dir->filePath(QStringLiteral("ablage"));
    QVERIFY(QDir().mkpath(folder + QStringLiteral("/ordner.lumc")));
    QString path = writeFile(QStringLiteral("ablage/konfig.lumc"), "<alt/>");
    if (situation == QLatin1String("folder"))
        path = folder + QStringLiteral("/ordner.lumc");
    else if (situation == QLatin1String("proc"))
        path = QStringLiteral("/proc/lum-konfig.lumc");
    if (situation == QLatin1String("read-only") && geteuid() == 0)
        QSKIP("root writes into read-only folders");
    const QStringList entriesBefore = folderEntries(folder);
    DeviceProfile profile;
    QVERIFY(profile.load(writeFile(QStringLiteral("gut.lumc"), good)));
    const QString textBefore = profile.document().toString();
    QSignalSpy errors(&profile, &DeviceProfile::fileError);

    // Past 64 bytes, writes fail as on a full disk (even for root).
    rlimit previous{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &previous), 0);
    rlimit limited = previous;
    if (situation == QLatin1String("full"))
        limited.rlim_cur = 64;
    if (situation == QLatin1String("read-only"))
        QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const bool saved = profile.save(path);
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    QVERIFY(!saved);
    QCOMPARE(errors.count(), 1);
    const QString prefix = QStringLiteral("Die Datei %1 konnte nicht gespeichert werden:\n");
    QVERIFY2(profile.lastErrorString().startsWith(prefix.arg(path)),
             qPrintable(profile.lastErrorString()));
    const QString reason = profile.lastErrorString().mid(prefix.arg(path).size());
    QVERIFY2(!reason.isEmpty() && reason != QLatin1String("Unknown error"), "no reason given");
    QCOMPARE(readFile(folder + QStringLiteral("/konfig.lumc")), QByteArray("<alt/>"));
    QCOMPARE(folderEntries(folder), entriesBefore);
    QCOMPARE(profile.document().toString(), textBefore);
}

void TestProfileFile::saveKilledPartWay_leavesOneCompleteConfiguration()
{
    // What each version looks like when saved without interruption.
    const QString target = m_dir->filePath(QStringLiteral("anlage.lumc"));
    QByteArray saved[2];
    for (int v = 0; v < 2; ++v) {
        DeviceProfile profile;
        QVERIFY(loadLarge(profile, m_dir->path(), char('A' + v)) && profile.save(target));
        saved[v] = readFile(target);
        QVERIFY(saved[v].size() > 1000000);
    }
    for (int kill = 0; kill < 8; ++kill) {
        QProcess saver;
        saver.start(QCoreApplication::applicationFilePath(), { "--save-loop", target });
        while (!saver.canReadLine() && saver.waitForReadyRead(120000)) { }
        QCOMPARE(saver.state(), QProcess::Running);
        QTest::qWait(QRandomGenerator::global()->bounded(20, 400)); // any moment in a save
        saver.kill(); // SIGKILL: no handler, no flush, no clean-up
        QVERIFY(saver.waitForFinished(30000));
        const QByteArray content = readFile(target);
        QVERIFY2(content == saved[0] || content == saved[1],
                 qPrintable(QStringLiteral("kill %1 left %2 bytes").arg(kill).arg(content.size())));
    }
    // The next ordinary save still goes through.
    DeviceProfile profile;
    QVERIFY(loadLarge(profile, m_dir->path(), 'A') && profile.save(target));
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
