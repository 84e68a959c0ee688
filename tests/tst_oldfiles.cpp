// Configuration files as the former Windows program and other tools left
// them: in its 8-bit code page without a declaration, with a declared
// encoding, and XML files that are no configuration at all.

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "deviceprofile.h"

namespace {

// A selection and a number setting below a section, with umlauts, sharp s,
// typographic quotes and the euro sign in names and values.
const QString sectionName = QStringLiteral("Einstellungen \u00C4\u00D6\u00DC");
const QString selectionName = QStringLiteral("R\u00FCckruf");
const QString selectionValue = QStringLiteral("Stra\u00DFe \u00E4\u00F6");
const QString numberName = QStringLiteral("Gr\u00F6\u00DFe \u201Eneu\u201C");
const QString numberValue = QStringLiteral("\u20AC 5");

// The same configuration as bytes; `encode` turns each text into the file's
// encoding.
QByteArray configuration(const QByteArray &declaration, const std::function<QByteArray(const QString &)> &encode)
{
    return declaration + "<deviceProfile version=\"1.0\"><menuTree><section text=\"" + encode(sectionName)
        + "\"><setting text=\"" + encode(selectionName) + "\" value=\"" + encode(selectionValue)
        + "\" active=\"1\" valuetype=\"selection\"><option text=\"Ein\"/><option text=\"" + encode(selectionValue)
        + "\"/></setting><setting text=\"" + encode(numberName) + "\" value=\"" + encode(numberValue)
        + "\" active=\"0\" valuetype=\"inputnum\"/></section></menuTree></deviceProfile>\r\n";
}

// Windows-1252 by hand, for the few letters used here.
QByteArray windows1252(const QString &text)
{
    QByteArray bytes;
    for (const QChar c : text) {
        switch (c.unicode()) {
        case 0x20AC: bytes += '\x80'; break;
        case 0x201E: bytes += '\x84'; break;
        case 0x201C: bytes += '\x93'; break;
        default: bytes += char(c.unicode()); break; // ISO 8859-1 range
        }
    }
    return bytes;
}

// ISO 8859-1 has no euro sign and no typographic quotes; ISO 8859-15 has the
// euro sign (at 0xA4, where the code page of the old program has another sign).
const QString latin1Missing = QStringLiteral("\u20AC\u201E\u201C");
const QString latin9Missing = QStringLiteral("\u201E\u201C");

QString without(const QString &text, const QString &missing)
{
    QString result = text;
    for (const QChar c : missing)
        result.remove(c);
    return result;
}

QStringList entries(const DeviceProfile &profile)
{
    QStringList result;
    for (const ConfItem *item : profile.items()) {
        result << QStringList{item->menuPath().join('/'), item->type(), item->value(), item->options().join('|'),
                              item->active() ? "1" : "0"}
                      .join('\t');
    }
    return result;
}

} // namespace

class TestOldFiles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void readsTheFileInItsEncodingAndSavesUtf8_data();
    void readsTheFileInItsEncodingAndSavesUtf8();
    void refusesXmlThatIsNoConfiguration_data();
    void refusesXmlThatIsNoConfiguration();

private:
    QString writeFile(const QString &name, const QByteArray &bytes);
    QTemporaryDir m_dir;
};

void TestOldFiles::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

QString TestOldFiles::writeFile(const QString &name, const QByteArray &bytes)
{
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        return QString();
    return path;
}

void TestOldFiles::readsTheFileInItsEncodingAndSavesUtf8_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("missing"); // letters the file's encoding cannot hold

    const auto utf8 = [](const QString &text) { return text.toUtf8(); };
    const auto latin1 = [](const QString &text) { return without(text, latin1Missing).toLatin1(); };
    // ISO 8859-15 is Latin-1 with the euro sign at 0xA4 (and seven letters
    // these texts do not hold).
    const auto latin9 = [](const QString &text) {
        return without(text, latin9Missing).replace(QChar(0x20AC), QChar(0xA4)).toLatin1();
    };
    QTest::newRow("Windows-1252 without declaration") << configuration(QByteArray(), windows1252) << QString();
    QTest::newRow("Windows-1252 with a declaration naming no encoding")
        << configuration("<?xml version=\"1.0\"?>\n", windows1252) << QString();
    QTest::newRow("Windows-1252 declared")
        << configuration("<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n", windows1252) << QString();
    QTest::newRow("UTF-8 without declaration") << configuration(QByteArray(), utf8) << QString();
    QTest::newRow("UTF-8 with byte-order mark") << "\xEF\xBB\xBF" + configuration(QByteArray(), utf8) << QString();
    QTest::newRow("ISO 8859-1 declared")
        << configuration("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n", latin1) << latin1Missing;
    QTest::newRow("ISO 8859-15 declared")
        << configuration("<?xml version=\"1.0\" encoding=\"ISO-8859-15\"?>\n", latin9) << latin9Missing;
}

void TestOldFiles::readsTheFileInItsEncodingAndSavesUtf8()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, missing);
    const auto shown = [&missing](const QString &text) { return without(text, missing); };
    const QString original = writeFile(QStringLiteral("old.lumc"), bytes);
    QVERIFY(!original.isEmpty());

    DeviceProfile profile;
    QVERIFY2(profile.load(original), qPrintable(profile.lastErrorString()));
    const QStringList expected{
        QStringList{shown(sectionName), "section", "", "", "0"}.join('\t'),
        QStringList{shown(sectionName) + '/' + shown(selectionName), "selection", shown(selectionValue),
                    "Ein|" + shown(selectionValue), "1"}
            .join('\t'),
        QStringList{shown(sectionName) + '/' + shown(numberName), "inputnum", shown(numberValue), "", "0"}.join('\t'),
    };
    QCOMPARE(entries(profile), expected);

    // Saved as UTF-8, and read back with the same entries.
    const QString saved = m_dir.filePath(QStringLiteral("saved.lumc"));
    QVERIFY(profile.save(saved));
    QFile file(saved);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray savedBytes = file.readAll();
    QVERIFY(savedBytes.contains(shown(selectionName).toUtf8()));
    QVERIFY(!savedBytes.contains("encoding"));
    DeviceProfile reloaded;
    QVERIFY2(reloaded.load(saved), qPrintable(reloaded.lastErrorString()));
    QCOMPARE(entries(reloaded), expected);
}

void TestOldFiles::refusesXmlThatIsNoConfiguration_data()
{
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("web page") << QByteArray("<html><body><p>Hallo</p></body></html>");
    QTest::newRow("menu tree without its root") << QByteArray("<menuTree><section text=\"Einstellungen\"/></menuTree>");
}

// The window and lumctl both refuse it with the model's text; what was
// shown before stays.
void TestOldFiles::refusesXmlThatIsNoConfiguration()
{
    QFETCH(QByteArray, bytes);
    const QString good = writeFile(QStringLiteral("good.lumc"), configuration(QByteArray(), windows1252));
    const QString foreign = writeFile(QStringLiteral("foreign.xml"), bytes);
    DeviceProfile profile;
    QVERIFY(profile.load(good));
    const QStringList before = entries(profile);
    QSignalSpy fileError(&profile, &DeviceProfile::fileError);
    QSignalSpy listChanged(&profile, &DeviceProfile::confItemListChanged);

    QVERIFY(!profile.load(foreign));
    QCOMPARE(fileError.count(), 1);
    QCOMPARE(profile.lastErrorString(),
             QStringLiteral("Die Datei %1 ist keine LUM-Konfigurationsdatei.").arg(QDir::toNativeSeparators(foreign)));
    QCOMPARE(listChanged.count(), 0);
    QCOMPARE(entries(profile), before);
}

QTEST_GUILESS_MAIN(TestOldFiles)
#include "tst_oldfiles.moc"
