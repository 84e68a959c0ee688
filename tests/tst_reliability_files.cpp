// Configuration files that are damaged, hostile or merely strange. A file is
// either loaded as the vocabulary says (any well-formed document) or refused
// with a German message; a refused file never touches the configuration that
// was open, and nothing here may crash or eat the machine's memory.

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/resource.h>
#include <unistd.h>

#include "confitem.h"
#include "deviceprofile.h"

namespace {

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
    rusage usage {};
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
    QByteArray text = "<?xml version=\"1.0\"?>\n<!DOCTYPE deviceProfile [\n <!ENTITY lol \"lol\">\n";
    text += " <!ENTITY lol1 \"&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;\">\n";
    for (int i = 2; i <= 9; ++i) {
        const QByteArray previous = "&lol" + QByteArray::number(i - 1) + ";";
        text += " <!ENTITY lol" + QByteArray::number(i) + " \"" + previous.repeated(10) + "\">\n";
    }
    text += "]>\n<deviceProfile version=\"1.0\"><menuTree>"
            "<setting text=\"&lol9;\" value=\"&lol9;\" active=\"0\" valuetype=\"inputnum\">&lol9;</setting>"
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

QByteArray tenMegabytesOfAttributes()
{
    QByteArray text = "<deviceProfile version=\"1.0\"><menuTree><setting text=\"Viel:\" value=\"";
    text += QByteArray(5 * 1024 * 1024, 'v');
    text += "\" active=\"0\" valuetype=\"inputnum\"";
    const QByteArray filler(500, 'a');
    for (int i = 0; i < 10000; ++i)
        text += " x" + QByteArray::number(i) + "=\"" + filler + "\"";
    return text + "/></menuTree></deviceProfile>\n";
}

} // namespace

class tst_ReliabilityFiles : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void badFile_isRefusedAndConfigurationStays_data();
    void badFile_isRefusedAndConfigurationStays();
    void strangeButWellFormedFile_loadsAsVocabularySays_data();
    void strangeButWellFormedFile_loadsAsVocabularySays();
    void tenMegabytesOfAttributes_stayWithinBoundedMemory();
    void eightBitAndControlCharacters_surviveSaveAndLoad_data();
    void eightBitAndControlCharacters_surviveSaveAndLoad();

private:
    QString writeFile(const QString &name, const QByteArray &content);
    void loadGoodConfiguration(DeviceProfile &profile);

    QScopedPointer<QTemporaryDir> m_dir;
};

void tst_ReliabilityFiles::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
}

void tst_ReliabilityFiles::cleanup()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QString tst_ReliabilityFiles::writeFile(const QString &name, const QByteArray &content)
{
    const QString path = m_dir->filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

void tst_ReliabilityFiles::loadGoodConfiguration(DeviceProfile &profile)
{
    QVERIFY(profile.load(writeFile(QStringLiteral("good.lumc"), goodConfiguration)));
    QCOMPARE(profile.items().size(), 3);
}

void tst_ReliabilityFiles::badFile_isRefusedAndConfigurationStays_data()
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
    QTest::newRow("cut off after the third line") << "file" << good.left(good.indexOf(" <setting") - 2)
                                                  << invalid + "Zeile 4, Spalte 0: Premature end of document\\.";
    QTest::newRow("truncated in a tag") << "file" << good.left(good.indexOf("Rufnummer")) << anyPosition;
    QTest::newRow("mismatched end tag") << "file" << QByteArray("<a>\n<b>\n</c>\n</a>")
                                        << invalid + "Zeile 3, Spalte 4: .+";
    QTest::newRow("plain text") << "file" << QByteArray("Sprache: Deutsch\nRufnummer 1: 0815\n") << anyPosition;
    QByteArray garbage;
    quint32 state = 0x9e3779b9u;
    for (int i = 0; i < 4096; ++i) {
        state = state * 1664525u + 1013904223u;
        garbage += char(state >> 24);
    }
    QTest::newRow("binary garbage") << "file" << garbage << anyPosition;
    QTest::newRow("undefined entity")
        << "file" << QByteArray("<deviceProfile><menuTree><info text=\"&nirgends;\"/></menuTree></deviceProfile>")
        << anyPosition;
    QTest::newRow("absurdly deep nesting") << "file" << nested(300) << anyPosition;
    // Root, menu tree, 254 sections and the setting: 257 elements deep, one
    // more than a file may nest.
    QTest::newRow("one level past the nesting limit") << "file" << nested(254) << anyPosition;
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
    QTest::newRow("external document type")
        << "file"
        << "<!DOCTYPE deviceProfile SYSTEM \"DTD\">\n" + root + "<info text=\"&geheim;\"/></menuTree></deviceProfile>\n"
        << anyPosition;
}

void tst_ReliabilityFiles::badFile_isRefusedAndConfigurationStays()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, content);
    QFETCH(QString, message);

    const QByteArray marker = "LUM-GEHEIMNIS-4711";
    content.replace("SECRET", QUrl::fromLocalFile(writeFile(QStringLiteral("secret.txt"), marker)).toEncoded());
    content.replace("DTD", QUrl::fromLocalFile(writeFile(QStringLiteral("secret.dtd"),
                                                         "<!ENTITY geheim \"" + marker + "\">\n")).toEncoded());
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
    QVERIFY2(grownKb < 400 * 1024, qPrintable(QStringLiteral("peak memory grew by %1 MB").arg(grownKb / 1024)));
    QCOMPARE(errors.count(), 1);
    QCOMPARE(listChanges.count(), 0);
    const QString text = profile.lastErrorString();
    const QRegularExpression expected(QStringLiteral("^Die Datei %1 %2$").arg(QRegularExpression::escape(path), message));
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

void tst_ReliabilityFiles::strangeButWellFormedFile_loadsAsVocabularySays_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("expectedItems"); // type|path|value|active|options

    // Another root is no configuration at all and is refused.
    QTest::newRow("wrong tree and entry names")
            << QByteArray("<deviceProfile><baum><setting text=\"A:\" value=\"1\" active=\"1\" valuetype=\"inputnum\"/>"
                          "<zweig text=\"B?\"><info text=\"C\"/></zweig></baum><rest/></deviceProfile>")
            << QStringList {QStringLiteral("inputnum|A:|1|1|"), QStringLiteral("zweig|B?||0|"),
                            QStringLiteral("info|B?/C||0|")};
    QTest::newRow("missing attributes")
            << QByteArray("<deviceProfile><menuTree><setting/><section><info/></section></menuTree></deviceProfile>")
            << QStringList {QStringLiteral("|||0|"), QStringLiteral("section|||0|"), QStringLiteral("info|||0|")};
    QTest::newRow("active not a number")
            << QByteArray("<deviceProfile><menuTree>"
                          "<setting text=\"A:\" value=\"x\" active=\"abc\" valuetype=\"inputnum\"/>"
                          "<setting text=\"B:\" value=\"y\" active=\"\" valuetype=\"inputnum\"/>"
                          "<setting text=\"C:\" value=\"z\" active=\"-3\" valuetype=\"inputnum\"/>"
                          "</menuTree></deviceProfile>")
            << QStringList {QStringLiteral("inputnum|A:|x|0|"), QStringLiteral("inputnum|B:|y|0|"),
                            QStringLiteral("inputnum|C:|z|1|")};
    QTest::newRow("selection without options")
            << QByteArray("<deviceProfile><menuTree><setting text=\"S:\" value=\"Ein\" active=\"1\" valuetype=\"selection\"/>"
                          "</menuTree></deviceProfile>")
            << QStringList {QStringLiteral("selection|S:|Ein|1|")};
    QTest::newRow("root without children")
            << QByteArray("<deviceProfile/>") << QStringList();

    QStringList deep;
    QStringList path;
    for (int i = 0; i < 50; ++i) {
        path << QStringLiteral("Ebene %1?").arg(i + 1);
        deep << QStringLiteral("section|%1||0|").arg(path.join(QLatin1Char('/')));
    }
    deep << QStringLiteral("inputnum|%1/Tief:|1|1|").arg(path.join(QLatin1Char('/')));
    QTest::newRow("50 levels of nesting") << nested(50) << deep;
    QTest::newRow("text and a processing instruction between entries")
            << QByteArray("<deviceProfile><menuTree>Text<?notiz Werkstatt?>mehr Text<info text=\"I\"/>"
                          "</menuTree></deviceProfile>")
            << QStringList {QStringLiteral("|||0|"), QStringLiteral("|||0|"), QStringLiteral("|||0|"),
                            QStringLiteral("info|I||0|")};
}

void tst_ReliabilityFiles::strangeButWellFormedFile_loadsAsVocabularySays()
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

// Large but honest: it may load or be refused, as long as memory stays bounded.
void tst_ReliabilityFiles::tenMegabytesOfAttributes_stayWithinBoundedMemory()
{
    DeviceProfile profile;
    loadGoodConfiguration(profile);
    const QString path = writeFile(QStringLiteral("gross.lumc"), tenMegabytesOfAttributes());
    const long peakBefore = peakMemoryKb();
    if (profile.load(path)) {
        QCOMPARE(profile.items().size(), 1);
        QCOMPARE(profile.items().first()->value().size(), 5 * 1024 * 1024);
    } else {
        QVERIFY(profile.lastErrorString().startsWith(QStringLiteral("Die Datei ")));
        QCOMPARE(profile.items().size(), 3);
    }
    QVERIFY(peakMemoryKb() - peakBefore < 400 * 1024);
}

void tst_ReliabilityFiles::eightBitAndControlCharacters_surviveSaveAndLoad_data()
{
    QTest::addColumn<QString>("text");
    // XML cannot carry most control characters at all, not even as character
    // references; they come back as the replacement character, and
    // everything else comes back exactly. Markup characters, tab and line
    // feed belong to the file-format test's escaping table.
    QTest::newRow("ISO 8859-1 upper half") << QString::fromLatin1("\xa0\xa4\xb5\xbf\xd7\xf7\xff");
    QTest::newRow("escape and bell from the wire") << QString::fromLatin1("A\x1b" "B\x07" "C");
    QTest::newRow("NUL from the wire") << QString::fromLatin1("A\0B", 3);
    QTest::newRow("DEL and C1 controls") << QString::fromLatin1("A\x7f\x85\x9f" "B");
}

void tst_ReliabilityFiles::eightBitAndControlCharacters_surviveSaveAndLoad()
{
    QFETCH(QString, text);
    DeviceProfile profile;
    loadGoodConfiguration(profile);
    // Put the text where a read-out would: as a setting's name, value and option.
    ConfItem *setting = profile.items().at(1);
    QCOMPARE(setting->type(), QStringLiteral("selection"));
    setting->setValue(text);
    QDomElement element = setting->element();
    element.setAttribute(QStringLiteral("text"), text);
    element.firstChildElement().setAttribute(QStringLiteral("text"), text);
    profile.rebuildConfItemList();
    const QStringList written = describeItems(profile);

    const QString path = m_dir->filePath(QStringLiteral("zeichen.lumc"));
    QVERIFY2(profile.save(path), qPrintable(profile.lastErrorString()));
    DeviceProfile reread;
    QVERIFY2(reread.load(path), qPrintable(reread.lastErrorString()));
    QString readable = text;
    for (QChar &c : readable) {
        const ushort code = c.unicode();
        if (code < 0x20 && code != '\t' && code != '\n' && code != '\r')
            c = QChar(QChar::ReplacementCharacter);
    }
    QCOMPARE(describeItems(reread), QStringList(written).replaceInStrings(text, readable));
}

QTEST_GUILESS_MAIN(tst_ReliabilityFiles)
#include "tst_reliability_files.moc"
