#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include <csignal>
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
void addSetting(DeviceProfile &profile, const QString &text, const QString &value, const QString &valueType,
                const QStringList &options = QStringList())
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
    addSetting(profile, QStringLiteral("Sprache"), QStringLiteral("Deutsch"), QStringLiteral("selection"),
               {QStringLiteral("Deutsch"), QStringLiteral("English")});
    addSetting(profile, QStringLiteral("Rufnummer"), QStringLiteral("0815"), QStringLiteral("inputnum"));
    profile.gotoParent();
    profile.rebuildConfItemList();
}

// A tree as a complete read-out leaves it, with every kind of entry.
void buildReadOut(DeviceProfile &profile)
{
    profile.resetProfile();
    enterSection(profile, QStringLiteral("Einstellungen"));
    addSetting(profile, QStringLiteral("Sprache:"), QStringLiteral("Deutsch"), QStringLiteral("selection"),
               {QStringLiteral("Deutsch"), QStringLiteral("Englisch"), QStringLiteral("Français")});
    enterSection(profile, QStringLiteral("Notruf"));
    addSetting(profile, QStringLiteral("Notrufende"), QStringLiteral("Befreiung"), QStringLiteral("selection"),
               {QStringLiteral("Quittung"), QStringLiteral("Befreiung")});
    addSetting(profile, QStringLiteral("Rufnummer 1:"), QStringLiteral("0815"), QStringLiteral("inputnum"));
    addSetting(profile, QStringLiteral("Timerzeit 2"), QStringLiteral("12:30"), QStringLiteral("inputtime_hhmm"));
    profile.gotoParent();
    addSetting(profile, QStringLiteral("Uhrzeit"), QStringLiteral("09:05"), QStringLiteral("inputsystemtime"));
    addSetting(profile, QStringLiteral("Datum"), QStringLiteral("04.12.26"), QStringLiteral("inputsystemdate"));
    addSetting(profile, QStringLiteral("Seriennummer"), QStringLiteral("A-42"), QStringLiteral("readonly"));
    addSetting(profile, QStringLiteral("Service-Center"), QStringLiteral("+49 30 1234"), QStringLiteral("blocked"));
    profile.gotoParent();
    profile.appendChildElement(QStringLiteral("section"), QStringLiteral("Reset-Optionen"));
    profile.gotoLastChild();
    profile.setCurrentAttribute(QStringLiteral("sectiontype"), QStringLiteral("blocked"));
    profile.gotoParent();
    profile.appendChildElement(QStringLiteral("info"), QStringLiteral("Türöffner & Co <alt>"));
    profile.rebuildConfItemList();
}

// type | menu path | value | initial value | options | marked
QStringList describeItems(const DeviceProfile &profile)
{
    QStringList lines;
    for (const ConfItem *item : profile.items()) {
        lines.append(QStringList{item->type(), item->menuPath().join(QLatin1Char('/')), item->value(),
                                 item->initValue(), item->options().join(QLatin1Char(',')),
                                 item->active() ? "marked" : "-"}
                         .join(QStringLiteral(" | ")));
    }
    return lines;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return file.readAll();
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

QByteArray nativeLineEnds(QByteArray text)
{
#ifdef Q_OS_WIN
    text.replace("\n", "\r\n");
#endif
    return text;
}

QStringList folderEntries(const QString &path)
{
    return QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
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
    void declaredEncodingOfForeignFileIsHonoured();
    void savedFileIsUtf8WhateverTheLocale();
    void failedSaveKeepsOldFile_data();
    void failedSaveKeepsOldFile();

private:
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
    QFile::setPermissions(m_dir->path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    for (const QString &entry : folderEntries(m_dir->path()))
        QFile::setPermissions(m_dir->filePath(entry),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    m_dir.reset();
}

void TestProfileFile::profileIsWrittenByteForByte_data()
{
    QTest::addColumn<bool>("example");
    QTest::addColumn<QByteArray>("text");

    QTest::newRow("example device") << true << elevenLines;
    QTest::newRow("fresh profile has an empty menu tree")
        << false << QByteArray("<deviceProfile version=\"1.0\">\n <menuTree/>\n</deviceProfile>\n");
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
    QCOMPARE(readFile(path), nativeLineEnds(text));

    DeviceProfile loaded;
    QSignalSpy changes(&loaded, &DeviceProfile::confItemListChanged);
    QVERIFY(loaded.load(path));
    QCOMPARE(changes.count(), 1);
    QCOMPARE(loaded.items().size(), example ? 3 : 0);
    // Attribute order is fixed, so the loaded tree saves the same text.
    QVERIFY(loaded.save(path));
    QCOMPARE(readFile(path), nativeLineEnds(text));
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
    QSignalSpy errors(&loaded, &DeviceProfile::fileError);
    QVERIFY(loaded.load(path));
    QCOMPARE(errors.count(), 0);
    QVERIFY(loaded.lastErrorString().isEmpty());

    const QStringList expected{
        "section | Einstellungen |  |  |  | -",
        "selection | Einstellungen/Sprache: | Deutsch | Deutsch | Deutsch,Englisch,Français | -",
        "section | Einstellungen/Notruf |  |  |  | -",
        "selection | Einstellungen/Notruf/Notrufende | Befreiung | Befreiung | Quittung,Befreiung | -",
        "inputnum | Einstellungen/Notruf/Rufnummer 1: | 0171 555 | 0171 555 |  | marked",
        "inputtime_hhmm | Einstellungen/Notruf/Timerzeit 2 | 12:30 | 12:30 |  | -",
        "inputsystemtime | Einstellungen/Uhrzeit | 09:05 | 09:05 |  | -",
        "inputsystemdate | Einstellungen/Datum | 04.12.26 | 04.12.26 |  | -",
        "readonly | Einstellungen/Seriennummer | A-42 | A-42 |  | -",
        "blocked | Einstellungen/Service-Center | +49 30 1234 | +49 30 1234 |  | -",
        "section | Reset-Optionen |  |  |  | -",
        "info | Türöffner & Co <alt> |  |  |  | -",
    };
    QCOMPARE(describeItems(loaded), expected);
    for (const ConfItem *item : loaded.items())
        QCOMPARE(item->initValue(), item->value());
    QCOMPARE(loaded.document().documentElement().firstChildElement().lastChildElement()
                 .previousSiblingElement().attribute(QStringLiteral("sectiontype")),
             QStringLiteral("blocked"));

    // The loaded tree writes the same text again.
    const QString again = m_dir->filePath(QStringLiteral("nochmal.lumc"));
    QVERIFY(loaded.save(again));
    QCOMPARE(readFile(again), readFile(path));
}

void TestProfileFile::specialCharactersAreEscapedAndReadBack_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("written");

    QTest::newRow("double quote") << "Taste \"OK\"" << QByteArray("Taste &quot;OK&quot;");
    QTest::newRow("ampersand") << "Ein & Aus" << QByteArray("Ein &amp; Aus");
    QTest::newRow("less-than and greater-than") << "<5 s>" << QByteArray("&lt;5 s&gt;");
    QTest::newRow("umlauts") << "Störung Ä Ö Ü" << QByteArray("St\xc3\xb6rung \xc3\x84 \xc3\x96 \xc3\x9c");
    QTest::newRow("line feed and tab") << "A\nB\tC" << QByteArray("A&#xa;B&#x9;C");
}

void TestProfileFile::specialCharactersAreEscapedAndReadBack()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, written);

    DeviceProfile profile;
    addSetting(profile, text, text, QStringLiteral("selection"), {text, QStringLiteral("anders")});
    const QString path = m_dir->filePath(QStringLiteral("zeichen.lumc"));
    QVERIFY(profile.save(path));

    const QByteArray bytes = readFile(path);
    QCOMPARE(bytes.count("\"" + written + "\""), 3);

    DeviceProfile loaded;
    QVERIFY(loaded.load(path));
    QCOMPARE(loaded.items().size(), 1);
    const ConfItem *item = loaded.items().first();
    QCOMPARE(item->value(), text);
    const QDomElement setting = item->element();
    QCOMPARE(setting.attribute(QStringLiteral("text")), text);
    QCOMPARE(setting.firstChildElement().attribute(QStringLiteral("text")), text);
    QCOMPARE(setting.lastChildElement().attribute(QStringLiteral("text")), QStringLiteral("anders"));
}

void TestProfileFile::fileNamesAndUrlsReachTheLocalFile_data()
{
    // %1 is the temporary folder; `given` is what the caller hands over,
    // `local` where the file must end up.
    QTest::addColumn<QString>("given");
    QTest::addColumn<QString>("local");

    QTest::newRow("plain path") << "%1/datei.lumc" << "%1/datei.lumc";
    QTest::newRow("file URL") << "file://%1/datei.lumc" << "%1/datei.lumc";
    QTest::newRow("percent-encoded blank in URL") << "file://%1/mit%20Leerzeichen.lumc"
                                                  << "%1/mit Leerzeichen.lumc";
    QTest::newRow("URL with umlaut") << "file://%1/Gerät.lumc" << "%1/Gerät.lumc";
    QTest::newRow("percent sign in plain path stays") << "%1/50%20Rabatt.lumc" << "%1/50%20Rabatt.lumc";
    QTest::newRow("double slash is not a URL") << "%1//doppelt.lumc" << "%1/doppelt.lumc";
    QTest::newRow("file URL without authority") << "file:%1/datei.lumc" << "%1/datei.lumc";
}

void TestProfileFile::nameChosenInDialogLandsInItsFolder_data()
{
    // %1 is the folder the dialog shows; `chosen` what it hands over.
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("path");

    QTest::newRow("bare name typed") << "file:anlage1" << "file://%1" << "%1/anlage1.lumc";
    QTest::newRow("bare name with ending") << "file:anlage1.lumc" << "file://%1" << "%1/anlage1.lumc";
    QTest::newRow("relative name into a subfolder") << "file:alt/anlage1" << "file://%1" << "%1/alt/anlage1.lumc";
    QTest::newRow("picked in the list") << "file://%1/anlage%202.lumc" << "file:///anderswo" << "%1/anlage 2.lumc";
    QTest::newRow("other ending kept") << "file:///%1/anlage1.xml" << "file://%1" << "%1/anlage1.xml";
    QTest::newRow("plain path and folder") << "anlage1" << "%1" << "%1/anlage1.lumc";
    QTest::newRow("folder with blank") << "file:anlage1" << "file://%1/Kestrom%20LUM" << "%1/Kestrom LUM/anlage1.lumc";
    QTest::newRow("nothing chosen") << "" << "file://%1" << "";
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
    QSignalSpy modified(&profile, &DeviceProfile::modifiedChanged);
    QVERIFY(profile.fileName().isEmpty());
    const QString path = m_dir->filePath(QStringLiteral("anlage1.lumc"));
    QVERIFY(profile.save(path));
    QCOMPARE(profile.fileName(), path);
    QVERIFY(!profile.modified());

    DeviceProfile loaded;
    QVERIFY(loaded.load(path));
    QCOMPARE(loaded.fileName(), path);
    QVERIFY(!loaded.modified());
    ConfItem *setting = nullptr;
    for (ConfItem *item : loaded.items())
        if (item->editable() && !setting)
            setting = item;
    QVERIFY(setting);
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
    QVERIFY(folder.startsWith(QLatin1Char('/')));
    given = given.arg(folder);
    local = local.arg(folder);

    DeviceProfile profile;
    buildExampleDevice(profile);
    QSignalSpy errors(&profile, &DeviceProfile::fileError);
    profile.saveToFile(given);
    QCOMPARE(errors.count(), 0);
    QCOMPARE(readFile(local), nativeLineEnds(elevenLines));
    QCOMPARE(folderEntries(folder).size(), 1);

    DeviceProfile loaded;
    QSignalSpy changes(&loaded, &DeviceProfile::confItemListChanged);
    QSignalSpy loadErrors(&loaded, &DeviceProfile::fileError);
    loaded.loadFromFile(given);
    QCOMPARE(loadErrors.count(), 0);
    QCOMPARE(changes.count(), 1);
    QCOMPARE(describeItems(loaded), describeItems(profile));
}

// Files edited with other tools may say how they are encoded; the
// declaration is honoured on reading.
void TestProfileFile::declaredEncodingOfForeignFileIsHonoured()
{
    const QString text = QStringLiteral("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
                                        "<deviceProfile version=\"1.0\"><menuTree>"
                                        "<info text=\"Türöffner\"/></menuTree></deviceProfile>\n");
    const QString path = m_dir->filePath(QStringLiteral("latin1.lumc"));
    QVERIFY(writeFile(path, text.toLatin1()));

    DeviceProfile profile;
    QVERIFY(profile.load(path));
    QCOMPARE(profile.items().first()->menuName(), QStringLiteral("Türöffner"));
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

    const QByteArray oldContent = "<deviceProfile version=\"1.0\"><menuTree><info text=\"alt\"/></menuTree></deviceProfile>\n";
    const QString folder = m_dir->filePath(QStringLiteral("ablage"));
    QVERIFY(QDir().mkpath(folder));
    QString path = folder + QStringLiteral("/konfig.lumc");
    QVERIFY(writeFile(path, oldContent));

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
        rlimit previous {};
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
    const QString prefix = QStringLiteral("Die Datei %1 konnte nicht gespeichert werden:\n").arg(path);
    QVERIFY2(profile.lastErrorString().startsWith(prefix), qPrintable(profile.lastErrorString()));
    const QString reason = profile.lastErrorString().mid(prefix.size());
    QVERIFY2(!reason.isEmpty() && reason != QLatin1String("Unknown error"), "the system's reason is missing");
    QCOMPARE(readFile(folder + QStringLiteral("/konfig.lumc")), oldContent);
    QCOMPARE(folderEntries(folder), entriesBefore);
    QCOMPARE(profile.items(), itemsBefore);
    QCOMPARE(profile.document().toString(), textBefore);
}

QTEST_GUILESS_MAIN(TestProfileFile)
#include "tst_profilefile.moc"
