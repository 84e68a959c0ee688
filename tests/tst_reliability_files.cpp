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
    void badFile_isRefusedAndConfigurationStays_data();
    void badFile_isRefusedAndConfigurationStays();
    void strangeButWellFormedFile_loadsAsVocabularySays_data();
    void strangeButWellFormedFile_loadsAsVocabularySays();
    void hostileEntities_areRefusedWithinBoundedMemory_data();
    void hostileEntities_areRefusedWithinBoundedMemory();
    void externalEntity_isRefusedAndNothingOutsideIsRead_data();
    void externalEntity_isRefusedAndNothingOutsideIsRead();
    void unreadableFile_isRefusedWithReason_data();
    void unreadableFile_isRefusedWithReason();
    void eightBitAndControlCharacters_surviveSaveAndLoad_data();
    void eightBitAndControlCharacters_surviveSaveAndLoad();

private:
    QString writeFile(const QString &name, const QByteArray &content);
    void loadGoodConfiguration(DeviceProfile &profile);
    void verifyRefusedUnchanged(DeviceProfile &profile, const QString &path, const QRegularExpression &message);

    QScopedPointer<QTemporaryDir> m_dir;
};

void tst_ReliabilityFiles::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
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

// Loads `path` into a profile that holds the good configuration and checks
// that the file was refused with a message matching `message` and that the
// profile still holds exactly what it held before.
void tst_ReliabilityFiles::verifyRefusedUnchanged(DeviceProfile &profile, const QString &path,
                                                  const QRegularExpression &message)
{
    const QString documentBefore = profile.document().toString(1);
    const QList<ConfItem *> itemsBefore = profile.items();
    const QStringList describedBefore = describeItems(profile);
    QSignalSpy errors(&profile, &DeviceProfile::fileError);
    QSignalSpy listChanges(&profile, &DeviceProfile::confItemListChanged);

    QVERIFY(!profile.load(path));

    QCOMPARE(errors.count(), 1);
    QCOMPARE(listChanges.count(), 0);
    const QString text = profile.lastErrorString();
    QVERIFY2(message.match(text).hasMatch(), qPrintable(text));
    QCOMPARE(profile.document().toString(1), documentBefore);
    QCOMPARE(profile.items(), itemsBefore);
    QCOMPARE(describeItems(profile), describedBefore);
}

void tst_ReliabilityFiles::badFile_isRefusedAndConfigurationStays_data()
{
    QTest::addColumn<QByteArray>("content");

    const QByteArray good(goodConfiguration);
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("truncated in a tag") << good.left(good.indexOf("Rufnummer"));
    QTest::newRow("truncated before the last end tag") << good.left(good.lastIndexOf("</deviceProfile>"));
    QTest::newRow("plain text") << QByteArray("Sprache: Deutsch\nRufnummer 1: 0815\n");
    QTest::newRow("comma separated values") << QByteArray("text;value;active\nSprache:;Deutsch;1\n");
    QByteArray garbage;
    quint32 state = 0x9e3779b9u;
    for (int i = 0; i < 4096; ++i) {
        state = state * 1664525u + 1013904223u;
        garbage += char(state >> 24);
    }
    QTest::newRow("binary garbage") << garbage;
    QTest::newRow("NUL bytes") << QByteArray(64, '\0');
    QTest::newRow("two root elements") << good + good;
    QTest::newRow("mismatched end tag") << QByteArray("<deviceProfile><menuTree></section></deviceProfile>");
    QTest::newRow("unescaped ampersand") << QByteArray("<deviceProfile><menuTree><info text=\"A & B\"/></menuTree></deviceProfile>");
    QTest::newRow("unquoted attribute") << QByteArray("<deviceProfile><menuTree><setting text=Sprache/></menuTree></deviceProfile>");
    QTest::newRow("duplicate attribute") << QByteArray("<deviceProfile><menuTree><setting text=\"a\" text=\"b\"/></menuTree></deviceProfile>");
    QTest::newRow("undefined entity") << QByteArray("<deviceProfile><menuTree><info text=\"&nirgends;\"/></menuTree></deviceProfile>");
    QTest::newRow("control character reference") << QByteArray("<deviceProfile><menuTree><info text=\"&#0;\"/></menuTree></deviceProfile>");
}

void tst_ReliabilityFiles::badFile_isRefusedAndConfigurationStays()
{
    QFETCH(QByteArray, content);
    DeviceProfile profile;
    loadGoodConfiguration(profile);
    const QString path = writeFile(QStringLiteral("bad.lumc"), content);

    verifyRefusedUnchanged(profile, path, QRegularExpression(
            QStringLiteral("^Die Datei %1 ist keine gültige Konfigurationsdatei:\\nZeile -?\\d+, Spalte -?\\d+: .+$")
                    .arg(QRegularExpression::escape(path))));

    // The refused file on disk is left as it was.
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), content);
}

void tst_ReliabilityFiles::strangeButWellFormedFile_loadsAsVocabularySays_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("expectedItems"); // type|path|value|active|options

    QTest::newRow("wrong root and tree names")
            << QByteArray("<konfiguration><baum><setting text=\"A:\" value=\"1\" active=\"1\" valuetype=\"inputnum\"/>"
                          "<zweig text=\"B?\"><info text=\"C\"/></zweig></baum><rest/></konfiguration>")
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
    QTest::newRow("empty menu tree")
            << QByteArray("<deviceProfile version=\"9.9\"><menuTree/></deviceProfile>") << QStringList();
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
}

void tst_ReliabilityFiles::hostileEntities_areRefusedWithinBoundedMemory_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("mayLoad");

    QTest::newRow("billion laughs") << billionLaughs() << false;
    QTest::newRow("quadratic blowup") << quadraticBlowup() << false;
    // Large but honest: it may load, as long as it does so in bounded memory.
    QTest::newRow("10 MB of attributes") << tenMegabytesOfAttributes() << true;
}

void tst_ReliabilityFiles::hostileEntities_areRefusedWithinBoundedMemory()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, mayLoad);
    DeviceProfile profile;
    loadGoodConfiguration(profile);
    const QString path = writeFile(QStringLiteral("hostile.lumc"), content);
    const long peakBefore = peakMemoryKb();

    if (mayLoad) {
        if (profile.load(path)) {
            QCOMPARE(profile.items().size(), 1);
            QCOMPARE(profile.items().first()->value().size(), 5 * 1024 * 1024);
        } else {
            QVERIFY(profile.lastErrorString().startsWith(QStringLiteral("Die Datei ")));
            QCOMPARE(profile.items().size(), 3);
        }
    } else {
        verifyRefusedUnchanged(profile, path, QRegularExpression(
                QStringLiteral("^Die Datei %1 ist keine gültige Konfigurationsdatei:\\n")
                        .arg(QRegularExpression::escape(path))));
    }

    // A fully expanded bomb would need gigabytes; the file itself is a few MB.
    const long grownKb = peakMemoryKb() - peakBefore;
    QVERIFY2(grownKb < 400 * 1024, qPrintable(QStringLiteral("peak memory grew by %1 MB").arg(grownKb / 1024)));
}

void tst_ReliabilityFiles::externalEntity_isRefusedAndNothingOutsideIsRead_data()
{
    QTest::addColumn<QByteArray>("declaration");
    QTest::addColumn<QByteArray>("use");

    QTest::newRow("system entity in element content")
            << QByteArray("<!ENTITY geheim SYSTEM \"SECRET\">")
            << QByteArray("<info text=\"x\">&geheim;</info>");
    QTest::newRow("system entity in attribute")
            << QByteArray("<!ENTITY geheim SYSTEM \"SECRET\">")
            << QByteArray("<info text=\"&geheim;\"/>");
    QTest::newRow("public entity")
            << QByteArray("<!ENTITY geheim PUBLIC \"-//LUM//geheim\" \"SECRET\">")
            << QByteArray("<info text=\"x\">&geheim;</info>");
    QTest::newRow("parameter entity")
            << QByteArray("<!ENTITY % geheim SYSTEM \"SECRET\"> %geheim;")
            << QByteArray("<info text=\"x\"/>");
    QTest::newRow("external document type")
            << QByteArray()
            << QByteArray("<info text=\"&geheim;\"/>");
}

void tst_ReliabilityFiles::externalEntity_isRefusedAndNothingOutsideIsRead()
{
    QFETCH(QByteArray, declaration);
    QFETCH(QByteArray, use);
    const QByteArray marker = "LUM-GEHEIMNIS-4711";
    const QString secretPath = writeFile(QStringLiteral("secret.txt"), marker + "\n");
    const QString dtdPath = writeFile(QStringLiteral("secret.dtd"),
                                      "<!ENTITY geheim \"" + marker + "\">\n");
    QByteArray doctype;
    if (declaration.isEmpty()) {
        doctype = "<!DOCTYPE deviceProfile SYSTEM \"" + QUrl::fromLocalFile(dtdPath).toEncoded() + "\">\n";
    } else {
        QByteArray resolved = declaration;
        resolved.replace("SECRET", QUrl::fromLocalFile(secretPath).toEncoded());
        doctype = "<!DOCTYPE deviceProfile [\n" + resolved + "\n]>\n";
    }
    const QByteArray content = "<?xml version=\"1.0\"?>\n" + doctype
            + "<deviceProfile version=\"1.0\"><menuTree>" + use + "</menuTree></deviceProfile>\n";

    DeviceProfile profile;
    loadGoodConfiguration(profile);
    const QString path = writeFile(QStringLiteral("external.lumc"), content);
    verifyRefusedUnchanged(profile, path, QRegularExpression(
            QStringLiteral("^Die Datei %1 ist keine gültige Konfigurationsdatei:\\n")
                    .arg(QRegularExpression::escape(path))));
    QVERIFY(!profile.document().toString().contains(QString::fromLatin1(marker)));
    QVERIFY(!profile.lastErrorString().contains(QString::fromLatin1(marker)));
}

void tst_ReliabilityFiles::unreadableFile_isRefusedWithReason_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing file") << QStringLiteral("missing");
    QTest::newRow("folder") << QStringLiteral("folder");
    QTest::newRow("no read permission") << QStringLiteral("unreadable");
}

void tst_ReliabilityFiles::unreadableFile_isRefusedWithReason()
{
    QFETCH(QString, kind);
    QString path = m_dir->filePath(QStringLiteral("nirgends.lumc"));
    if (kind == QLatin1String("folder")) {
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("ordner.lumc")));
        path = m_dir->filePath(QStringLiteral("ordner.lumc"));
    } else if (kind == QLatin1String("unreadable")) {
        if (geteuid() == 0)
            QSKIP("root reads every file");
        path = writeFile(QStringLiteral("gesperrt.lumc"), goodConfiguration);
        QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
    }
    DeviceProfile profile;
    loadGoodConfiguration(profile);
    verifyRefusedUnchanged(profile, path, QRegularExpression(
            QStringLiteral("^Die Datei %1 (konnte nicht geöffnet werden|ist keine gültige Konfigurationsdatei):\\n.+$")
                    .arg(QRegularExpression::escape(path))));
}

void tst_ReliabilityFiles::eightBitAndControlCharacters_surviveSaveAndLoad_data()
{
    QTest::addColumn<QString>("text");
    // XML cannot carry most control characters at all, not even as character
    // references; they come back as the replacement character, and
    // everything else comes back exactly.
    QTest::newRow("umlauts and degree sign") << QStringLiteral("Türöffner ä ß °C");
    QTest::newRow("ISO 8859-1 upper half") << QString::fromLatin1("\xa0\xa4\xb5\xbf\xd7\xf7\xff");
    QTest::newRow("escape and bell from the wire") << QString::fromLatin1("A\x1b" "B\x07" "C");
    QTest::newRow("NUL from the wire") << QString::fromLatin1("A\0B", 3);
    QTest::newRow("DEL and C1 controls") << QString::fromLatin1("A\x7f\x85\x9f" "B");
    QTest::newRow("tab, line feed, carriage return") << QStringLiteral("A\tB\nC\rD");
    QTest::newRow("markup characters") << QStringLiteral("<a href=\"x\">&amp;</a> '");
    QTest::newRow("leading and trailing blanks") << QStringLiteral("  Wert  ");
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
