// Configuration files: the text a profile writes and reads back, the names
// and URLs it is given, the old files' encodings, files that are damaged,
// hostile or merely strange, and saves that fail or are killed part way.
// A refused file or a failed save never touches the configuration that was
// open or the file on disk, and nothing here may eat the machine's memory.
//
// The saves killed with SIGKILL need a saving process: the test runs itself
// again as `tst_profilefile --save-loop FILE`, which saves two versions of a
// large configuration into FILE, alternately, until it is killed.

#include <QtTest>

#include <csignal>
#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>

#include "confitem.h"
#include "deviceprofile.h"
#include "itemtext.h"

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// A small configuration as LUM writes it, with every kind of entry (the file
// loader's fuzzer starts from it too).
const QByteArray good = readFile(QStringLiteral(LUM_SOURCE_DIR "/fuzz/baseline.lumc"));

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
bool loadLarge(DeviceProfile &profile, const QString &path, char version)
{
    const int from = good.indexOf("  <section"), to = good.indexOf(" </menuTree>");
    QByteArray entries = good.mid(from, to - from).replace("0815", QByteArray(1, version));
    QFile file(path);
    return file.open(QIODevice::WriteOnly)
            && file.write(good.left(from) + entries.repeated(6000) + good.mid(to)) > 0
            && file.flush() && profile.load(path);
}

int runSaveLoop(const QString &target)
{
    DeviceProfile versions[2];
    if (!loadLarge(versions[0], target + "A", 'A') || !loadLarge(versions[1], target + "B", 'B'))
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
    void init() { m_dir.reset(new QTemporaryDir); }
    void treeIsWrittenByteForByte();
    void nameChosenInDialogLandsInItsFolder_data();
    void nameChosenInDialogLandsInItsFolder();
    void textsAreReadInTheirEncodingAndSavedEscaped_data();
    void textsAreReadInTheirEncodingAndSavedEscaped();
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

// The text LUM writes, and what the window's title, its question before
// discarding and its count of marks follow.
void TestProfileFile::treeIsWrittenByteForByte()
{
    const QString path = m_dir->filePath(QStringLiteral("anlage 1.lumc"));
    const QString url = QUrl::fromLocalFile(path).toString();
    DeviceProfile profile;
    QVERIFY(profile.save(path));
    QCOMPARE(readFile(path),
             QByteArray("<deviceProfile version=\"1.0\">\n <menuTree/>\n</deviceProfile>\n"));

    // Opened, the language unmarked and the number edited, saved again. The
    // control characters of a garbled display line cannot be written as they
    // are: they become U+FFFD, so that the file opens again.
    writeFile(QStringLiteral("anlage 1.lumc"), good);
    profile.loadFromFile(url);
    QCOMPARE(profile.fileName(), path);
    QVERIFY(!profile.modified());
    profile.items().at(1)->setActive(false);
    profile.items().at(2)->setValue(QString::fromLatin1("47\x1b"
                                                        "11\0",
                                                        6));
    QVERIFY(profile.modified());
    QCOMPARE(profile.markedCount(), 0);
    // A failed save leaves the mark of unsaved changes; a good one clears it.
    QVERIFY(!profile.save(m_dir->filePath(QStringLiteral("fehlt/a.lumc"))));
    QVERIFY(profile.modified());
    profile.saveToFile(url);
    QVERIFY(!profile.modified());
    const QByteArray edited = QByteArray(good)
                                      .replace("0815",
                                               "47\xef\xbf\xbd"
                                               "11\xef\xbf\xbd")
                                      .replace("active=\"1\"", "active=\"0\"");
    QCOMPARE(readFile(path), edited);

    DeviceProfile loaded;
    QVERIFY(loaded.load(path));
    QCOMPARE(ItemText::describe(loaded).at(2), "inputnum|Einstellungen?/Rufnummer 1:|47\uFFFD11\uFFFD|0|");
    QCOMPARE(loaded.items().at(2)->initValue(), loaded.items().at(2)->value());
    // The attribute order is fixed, so the loaded tree writes the same text.
    QVERIFY(loaded.save(path));
    QCOMPARE(readFile(path), edited);

    loaded.setAllMarked(true);
    QCOMPARE(loaded.markedCount(), loaded.editableCount());
    QCOMPARE(loaded.editableCount(), 2);
    loaded.resetProfile();
    QCOMPARE(loaded.fileName() + QString::number(loaded.modified()), QStringLiteral("0"));
}

// What a file dialog or a caller hands over, the folder the dialog shows
// and the file meant, %1 standing for a folder.
void TestProfileFile::nameChosenInDialogLandsInItsFolder_data()
{
    QTest::addColumn<QString>("row"); // chosen > folder > path
    QTest::newRow("bare name typed") << "file:a > file://%1 > %1/a.lumc";
    QTest::newRow("picked in the list") << "file://%1/a%202.lumc > file:///anderswo > %1/a 2.lumc";
    QTest::newRow("other ending kept") << "file:///%1/a.xml > file://%1 > %1/a.xml";
    QTest::newRow("file URL without authority") << "file:%1/a.lumc >  > %1/a.lumc";
    QTest::newRow("plain name and folder") << "a > %1 > %1/a.lumc";
    QTest::newRow("percent sign in a plain path") << "%1/a%20b.lumc >  > %1/a%20b.lumc";
    QTest::newRow("double slash in a plain path") << "%1//a.lumc >  > %1/a.lumc";
    QTest::newRow("folder with blank") << "file:a > file://%1/K%20L > %1/K L/a.lumc";
    QTest::newRow("nothing chosen") << " > file://%1 > ";
}

void TestProfileFile::nameChosenInDialogLandsInItsFolder()
{
    QFETCH(QString, row);
    const QStringList f = row.arg(m_dir->path()).split(QStringLiteral(" > "));
    QCOMPARE(DeviceProfile::chosenFilePath(f[0].trimmed(), f[1].trimmed()), f[2].trimmed());
}

void TestProfileFile::textsAreReadInTheirEncodingAndSavedEscaped_data()
{
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    const QByteArray plain = "<?xml version=\"1.0\"?>\n";
    const auto declared = [](const char *name) {
        return "<?xml version=\"1.0\" encoding=\"" + QByteArray(name) + "\"?>\n";
    };
    // The old program's code page has the euro sign and typographic quotes.
    const QByteArray cp1252 = "Gr\xf6\xdf"
                              "e \x84neu\x93 \x80";
    const QString text = QStringLiteral("Größe „neu“ €");
    QTest::newRow("Windows-1252 undeclared") << QByteArray() << cp1252 << text;
    QTest::newRow("Windows-1252, no encoding declared") << plain << cp1252 << text;
    QTest::newRow("Windows-1252 declared") << declared("windows-1252") << cp1252 << text;
    QTest::newRow("UTF-8 undeclared") << QByteArray() << text.toUtf8() << text;
    QTest::newRow("UTF-8 with byte-order mark")
            << QByteArray("\xEF\xBB\xBF") << text.toUtf8() << text;
    // At 0xA4 ISO 8859-15 has the euro sign, ISO 8859-1 the currency sign.
    QTest::newRow("ISO 8859-1 declared")
            << declared("ISO-8859-1") << QByteArray("\xf6\xa4") << "ö¤";
    QTest::newRow("ISO 8859-15 declared")
            << declared("ISO-8859-15") << QByteArray("\xf6\xa4") << "ö€";
    // References are written as they were read, texts from the wire with any
    // Latin-1 letter, DEL and C1 controls in UTF-8.
    const QString latin1 = QString::fromLatin1("\xa0\xa4\xb5\xbf\xd7\xf7\xff\x7f\x85\x9f");
    QTest::newRow("Latin-1 upper half, DEL and C1") << QByteArray() << latin1.toUtf8() << latin1;
    QTest::newRow("quote") << QByteArray() << QByteArray("&quot;OK&quot;") << "\"OK\"";
    QTest::newRow("ampersand, less, greater")
            << QByteArray() << QByteArray("&lt;&amp;&gt;") << "<&>";
    QTest::newRow("line feed and tab") << QByteArray() << QByteArray("A&#xa;B&#x9;C") << "A\nB\tC";
}

void TestProfileFile::textsAreReadInTheirEncodingAndSavedEscaped()
{
    QFETCH(QByteArray, head);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    const QString path = writeFile(QStringLiteral("alt.lumc"),
                                   head + "<deviceProfile><menuTree><setting text=\"T\" value=\""
                                           + bytes + "\"/></menuTree></deviceProfile>\r\n");
    DeviceProfile profile;
    QVERIFY2(profile.load(path), qPrintable(profile.lastErrorString()));
    QCOMPARE(ItemText::describe(profile), QStringList{ "|T|" + text + "|0|" });

    // Saved as UTF-8 even where the PC's locale is Latin-1, and read back.
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0) // Qt 6 has no 8-bit locale codec
    QTextCodec *const localeCodec = QTextCodec::codecForLocale();
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("ISO-8859-1"));
#endif
    const bool saved = profile.save(path);
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    QTextCodec::setCodecForLocale(localeCodec);
#endif
    QVERIFY(saved);
    const QByteArray written = bytes.contains('&') ? bytes : text.toUtf8();
    QVERIFY(readFile(path).contains(" value=\"" + written + "\"/>"));
    QVERIFY(!readFile(path).contains("encoding"));
    DeviceProfile reloaded;
    QVERIFY2(reloaded.load(path), qPrintable(reloaded.lastErrorString()));
    QCOMPARE(ItemText::describe(reloaded), ItemText::describe(profile));
}

void TestProfileFile::badFile_isRefusedAndConfigurationStays_data()
{
    // `message` is a pattern for the text after "Die Datei <path> ". In `content`,
    // SECRET and DTD stand for URLs of files beside it holding a marker that
    // must never be read in.
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

    QTest::newRow("missing file") << QByteArray() << unopened;
    QTest::newRow("folder") << QByteArray() << "(" + unopened + "|" + anywhere + ")";
    QTest::newRow("empty file") << QByteArray() << invalid + "1" + early;
    QTest::newRow("cut off after the third line")
            << good.left(good.indexOf(" <setting") - 2) << invalid + "4" + early;
    QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << anywhere;
    QTest::newRow("undefined entity") << root + "<info text=\"&nirgends;\"/>" + end << anywhere;
    // Root, menu tree, 254 sections and the setting: one level more than a
    // file may nest.
    QTest::newRow("one level past the nesting limit") << nested(254) << anywhere;
    QTest::newRow("menu tree without its root")
            << QByteArray("<menuTree><section text=\"E\"/></menuTree>") << foreign;
    QTest::newRow("billion laughs") << bomb << anywhere;
    const QByteArray system = "<!DOCTYPE deviceProfile [<!ENTITY g SYSTEM \"SECRET\">]>";
    QTest::newRow("system entity") << system + root + "<info>&g;</info>" + end << anywhere;
    const QByteArray external = "<!DOCTYPE deviceProfile SYSTEM \"DTD\">";
    QTest::newRow("external document type")
            << external + root + "<info text=\"&geheim;\"/>" + end << anywhere;
}

void TestProfileFile::badFile_isRefusedAndConfigurationStays()
{
    const QByteArray kind = QTest::currentDataTag();
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    const QByteArray marker = "LUM-GEHEIMNIS-4711";
    const QString secret = writeFile(QStringLiteral("secret.txt"), marker);
    const QString dtd =
            writeFile(QStringLiteral("secret.dtd"), "<!ENTITY geheim \"" + marker + "\">");
    content.replace("SECRET", QUrl::fromLocalFile(secret).toEncoded())
            .replace("DTD", QUrl::fromLocalFile(dtd).toEncoded());
    const QString path = m_dir->filePath(QStringLiteral("bad.lumc"));
    if (kind == "folder")
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("bad.lumc")));
    else if (kind != "missing file")
        writeFile(QStringLiteral("bad.lumc"), content);

    DeviceProfile profile;
    QVERIFY(profile.load(writeFile(QStringLiteral("gut.lumc"), good)));
    ConfItem *edited = profile.items().at(1);
    edited->setValue(QStringLiteral("Englisch"));
    const QString documentBefore = profile.document().toString(1);
    const QList<ConfItem *> itemsBefore = profile.items();
    const QStringList describedBefore = ItemText::describe(profile);
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
    QVERIFY2(text.contains(
                     QRegularExpression(pattern.arg(QRegularExpression::escape(path), message))),
             qPrintable(text));
    QVERIFY(!text.contains(QString::fromLatin1(marker)));
    QCOMPARE(profile.document().toString(1), documentBefore);
    QCOMPARE(profile.items(), itemsBefore);
    QCOMPARE(ItemText::describe(profile), describedBefore);
    // The kept items are still bound to the kept tree; the file is untouched.
    edited->setValue(QStringLiteral("Deutsch"));
    QVERIFY(profile.document().toString(1) != documentBefore);
    if (!content.isEmpty())
        QCOMPARE(readFile(path), content);
}

void TestProfileFile::strangeButWellFormedFile_loadsAsVocabularySays_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("items"); // type|path|value|marked|options
    QTest::addColumn<int>("entries"); // as counted for the technician
    const auto doc = [](const char *inside) {
        return "<deviceProfile>" + QByteArray(inside) + "</deviceProfile>";
    };

    QTest::newRow("wrong tree and entry names")
            << doc("<baum><setting text=\"A\" value=\"1\" active=\"1\" valuetype=\"x\"/>"
                   "<zweig text=\"B\"><info text=\"C\"/></zweig></baum><rest/>")
            << QStringList{ "x|A|1|1|", "zweig|B||0|", "info|B/C||0|" } << 2;
    QTest::newRow("missing attributes")
            << doc("<menuTree><setting/><section><info/></section></menuTree>")
            << QStringList{ "|||0|", "section|||0|", "info|||0|" } << 3;
    QTest::newRow("root without children") << doc("") << QStringList() << 0;
    QTest::newRow("text and a processing instruction between entries")
            << doc("<menuTree>Text<?notiz Werkstatt?>mehr<info text=\"I\"/></menuTree>")
            << QStringList{ "|||0|", "|||0|", "|||0|", "info|I||0|" } << 1;
    // An information screen's second line is its value; files written
    // before LUM kept it have none and load as they always did.
    QTest::newRow("information with and without its second line")
            << doc("<menuTree><section text=\"Info\">"
                   "<info text=\"Wartung\" value=\"fällig 2027\"/>"
                   "<info text=\"Version\" value=\"2.07 &amp; &quot;neu&quot;\"/>"
                   "<info text=\"Status\"/></section></menuTree>")
            << QStringList{ "section|Info||0|", "info|Info/Wartung|fällig 2027|0|",
                            "info|Info/Version|2.07 & \"neu\"|0|", "info|Info/Status||0|" }
            << 4;
    // Old read-outs wrote a selection's type on a section left on an
    // option-like screen: its entries are still entries, not options.
    QTest::newRow("old file with a selection type on a section")
            << doc("<menuTree><section text=\"Relais\" valuetype=\"selection\">"
                   "<setting text=\"Relais 1\" value=\"Aus\" active=\"1\" valuetype=\"selection\">"
                   "<option text=\"An\"/><option text=\"Aus\"/></setting>"
                   "<section text=\"Zeiten\"><setting text=\"Timerzeit\" value=\"01:00\" "
                   "active=\"0\" valuetype=\"inputtime_hhmm\"/></section>"
                   "</section><info text=\"Ende\"/></menuTree>")
            << QStringList{ "section|Relais||0|", "selection|Relais/Relais 1|Aus|1|An/Aus",
                            "section|Relais/Zeiten||0|",
                            "inputtime_hhmm|Relais/Zeiten/Timerzeit|01:00|0|", "info|Ende||0|" }
            << 5;
    QStringList deep;
    QString path;
    for (int i = 1; i <= 253; ++i)
        deep << "section|" + (path += QStringLiteral("E%1/").arg(i)).chopped(1) + "||0|";
    QTest::newRow("nested as deep as a file may")
            << nested(253) << (deep << "inputnum|" + path + "Tief:|1|1|") << 254;
}

void TestProfileFile::strangeButWellFormedFile_loadsAsVocabularySays()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, items);
    QFETCH(int, entries);
    DeviceProfile profile;
    const QString file = writeFile(QStringLiteral("seltsam.lumc"), content);
    QVERIFY2(profile.load(file), qPrintable(profile.lastErrorString()));
    QCOMPARE(ItemText::describe(profile), items);
    QCOMPARE(profile.entryCount(), entries);

    // What LUM opened it must be able to open again after a save.
    QVERIFY(profile.save(file));
    DeviceProfile reread;
    QVERIFY2(reread.load(file), qPrintable(reread.lastErrorString()));
    QCOMPARE(ItemText::describe(reread), items);
}

void TestProfileFile::failedSaveKeepsOldFile_data()
{
    QTest::addColumn<QString>("target"); // in the folder holding the old file
    QTest::newRow("read-only folder") << "konfig.lumc";
    QTest::newRow("target is a folder") << "ordner.lumc";
    QTest::newRow("system folder no one may write") << "/proc/lum-konfig.lumc";
    QTest::newRow("disk full while writing") << "konfig.lumc";
}

void TestProfileFile::failedSaveKeepsOldFile()
{
    QFETCH(QString, target);
    const QByteArray situation = QTest::currentDataTag();
    if (situation == "read-only folder" && geteuid() == 0)
        QSKIP("root writes into read-only folders");
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("ablage/ordner.lumc")));
    writeFile(QStringLiteral("ablage/konfig.lumc"), "<alt/>");
    const QString folder = m_dir->filePath(QStringLiteral("ablage"));
    const QString path = QDir(folder).filePath(target);
    const QStringList entriesBefore = folderEntries(folder);
    DeviceProfile profile;
    QVERIFY(profile.load(writeFile(QStringLiteral("gut.lumc"), good)));
    QSignalSpy errors(&profile, &DeviceProfile::fileError);

    // Past 64 bytes, writes fail as on a full disk (even for root).
    rlimit previous{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &previous), 0);
    rlimit limited = previous;
    if (situation == "disk full while writing")
        limited.rlim_cur = 64;
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    const auto all = QFile::permissions(folder);
    QFile::setPermissions(
            folder, situation == "read-only folder" ? QFile::ReadOwner | QFile::ExeOwner : all);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const bool saved = profile.save(path);
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);
    QFile::setPermissions(folder, all);

    QVERIFY(!saved);
    QCOMPARE(errors.count(), 1);
    // The message gives the system's reason.
    const QString message =
            QStringLiteral("^Die Datei %1 konnte nicht gespeichert werden:\n(?!Unknown error$).+$");
    QVERIFY2(QRegularExpression(message.arg(QRegularExpression::escape(path)))
                     .match(profile.lastErrorString())
                     .hasMatch(),
             qPrintable(profile.lastErrorString()));
    QCOMPARE(readFile(folder + QStringLiteral("/konfig.lumc")), QByteArray("<alt/>"));
    QCOMPARE(folderEntries(folder), entriesBefore);
}

void TestProfileFile::saveKilledPartWay_leavesOneCompleteConfiguration()
{
    // What each version looks like when saved without interruption.
    const QString target = m_dir->filePath(QStringLiteral("anlage.lumc"));
    QByteArray saved[2];
    for (int v = 0; v < 2; ++v) {
        DeviceProfile profile;
        QVERIFY(loadLarge(profile, target + char('A' + v), char('A' + v)) && profile.save(target));
        saved[v] = readFile(target);
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
    QVERIFY(loadLarge(profile, target + 'A', 'A') && profile.save(target));
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
