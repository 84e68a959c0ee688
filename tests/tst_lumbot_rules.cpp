// The menu robot's rules, one screen at a time: a scripted device on a real
// pseudo-terminal answers every step of the robot with the next screen of its
// script, the robot reads it through the real terminal link, and the tests
// check the keys that arrive on the wire, the robot's state and the tree.

#include <QDomElement>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "deviceprofile.h"
#include "kelhandler.h"
#include "lumbot.h"
#include "menuscreen.h"
#include "robotharness.h"
#include "scripteddevice.h"

namespace {

const QByteArray esc("\x1b");
const QByteArray ok("\r");
const QByteArray plus("+");

const int jobTimeoutMs = 30000;

const QString programmingLine1 = QStringLiteral("Programmierung");
const QString programmingLine2 = QStringLiteral("beenden?");
const QString identifier = QStringLiteral("LUM 3000 V2.1");
const QString configure = QStringLiteral("konfigurieren?");

const QString jumperWarning = QStringLiteral("Hinweis: Bitte zum Abschluss \"Programmierung "
                                             "beenden\" wählen und den Jumper zurücksetzen!");

// Robot, link, profile and device wired as the window wires them.
struct Rig
{
    ScriptedDevice device;
    KelHandler link;
    DeviceProfile profile;
    LumBot bot;

    bool connectAll()
    {
        if (!device.isOpen() || !link.openSerialPortByName(device.slavePath()))
            return false;
        bot.setKelHandler(&link);
        bot.setProfile(&profile);
        return true;
    }

    // The base menu of a device in programming mode, found after one repeat,
    // then the identification screen the '+' leads to.
    void queueBaseMenuAndIdentifier()
    {
        device.queue(programmingLine1, programmingLine2);
        device.queue(programmingLine1, programmingLine2);
        device.queue(identifier, configure);
    }

    QList<QByteArray> burstKeys() const
    {
        QList<QByteArray> keys;
        for (const ScriptedDevice::Burst &burst : device.bursts())
            keys.append(burst.keys);
        return keys;
    }

    bool loadProfile(const QString &menuTreeXml)
    {
        if (!m_dir.isValid())
            return false;
        const QString path = m_dir.filePath(QStringLiteral("profile.lumc"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return false;
        file.write(QStringLiteral(
                           "<deviceProfile version=\"1.0\"><menuTree>%1</menuTree></deviceProfile>")
                           .arg(menuTreeXml)
                           .toUtf8());
        file.close();
        return profile.load(path);
    }

    QDomElement menuTree() const
    {
        return profile.document().documentElement().firstChildElement(QStringLiteral("menuTree"));
    }

private:
    QTemporaryDir m_dir;
};

QDomElement childByText(const QDomElement &parent, const QString &text)
{
    for (QDomElement e = parent.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
        if (e.attribute(QStringLiteral("text")) == text)
            return e;
    }
    return QDomElement();
}

QStringList childTextsOf(const QDomElement &parent)
{
    QStringList texts;
    for (QDomElement e = parent.firstChildElement(); !e.isNull(); e = e.nextSiblingElement())
        texts.append(e.attribute(QStringLiteral("text")));
    return texts;
}

using Keys = QList<QByteArray>;

} // namespace

Q_DECLARE_METATYPE(QList<QByteArray>)

class TestLumBotRules : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qRegisterMetaType<KelHandler *>(); }

    // ------------------------------------------------------------ screen reading

    void screenReading_classifiesAndNamesEntry_data()
    {
        QTest::addColumn<QString>("line1");
        QTest::addColumn<QString>("line2");
        QTest::addColumn<int>("cursorRow");
        QTest::addColumn<int>("level");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("value");

        QTest::newRow("colon on first line, cursor on first row: setting")
                << "Zeit:"
                << "12:00" << 0 << 0 << "setting"
                << "Zeit"
                << "12:00";
        QTest::newRow("every colon leaves a setting's name") << "A:B:"
                                                             << "x" << 0 << 1 << "setting"
                                                             << "AB"
                                                             << "x";
        QTest::newRow("no-entry marker gives an empty value")
                << "Rufnummer:"
                << "<KEIN EINTRAG!>" << 0 << 1 << "setting"
                << "Rufnummer"
                << "";
        QTest::newRow("cursor on second row: option named by second line")
                << "Sprache:"
                << "Deutsch" << 1 << 1 << "option"
                << "Deutsch"
                << "Deutsch";
        QTest::newRow("option keeps the no-entry marker") << "Rufnummer:"
                                                          << "<KEIN EINTRAG!>" << 1 << 1 << "option"
                                                          << "<KEIN EINTRAG!>"
                                                          << "<KEIN EINTRAG!>";
        QTest::newRow("empty input line: nameless option") << "Rufnummer:"
                                                           << "" << 1 << 1 << "option"
                                                           << ""
                                                           << "";
        QTest::newRow("SIM-Entsperren open is an option") << "SIM-Entsperren?"
                                                          << "Ja" << 1 << 1 << "option"
                                                          << "Ja"
                                                          << "Ja";
        QTest::newRow("channel text must be the whole line")
                << "ALARM 2:"
                << "VERWENDET MIC2X" << 0 << 1 << "setting"
                << "ALARM 2"
                << "VERWENDET MIC2X";
        QTest::newRow("colon wins over question mark") << "Frage?:"
                                                       << "Ja" << 0 << 1 << "setting"
                                                       << "Frage?"
                                                       << "Ja";
        QTest::newRow("section at level 0 is named by its first line")
                << "Notruf"
                << "Einstellungen?" << 0 << 0 << "section"
                << "Notruf"
                << "Einstellungen?";
        QTest::newRow("question on first line, deeper, joins both lines")
                << "Rufe?"
                << "alle" << 0 << 1 << "section"
                << "Rufe alle"
                << "alle";
        QTest::newRow("empty screen is a nameless info") << ""
                                                         << "" << 0 << 1 << "info"
                                                         << ""
                                                         << "";
        QTest::newRow("text beyond the visible width belongs to the line") << "Notrufeinstellung 2"
                                                                           << "" << 0 << 0 << "info"
                                                                           << "Notrufeinstellung 2"
                                                                           << "";
    }

    void screenReading_classifiesAndNamesEntry()
    {
        QFETCH(QString, line1);
        QFETCH(QString, line2);
        QFETCH(int, cursorRow);
        QFETCH(int, level);
        QFETCH(QString, kind);
        QFETCH(QString, name);
        QFETCH(QString, value);

        // The link mirrors 32 cells a line; the robot gets them padded with blanks.
        const MenuScreen screen =
                MenuScreen::read(line1.leftJustified(32, QLatin1Char(' '), true) + QLatin1Char('\n')
                                         + line2.leftJustified(32, QLatin1Char(' '), true),
                                 cursorRow, level);
        QCOMPARE(screen.kind, kind);
        QCOMPARE(screen.name, name);
        QCOMPARE(screen.value, value);
    }

    // --------------------------------------------------------- base-menu search

    void baseMenuSearch_countsEscapesBeforeComparing_data()
    {
        QTest::addColumn<int>("distinctScreens");
        QTest::addColumn<int>("expectedEscapes");
        QTest::addColumn<bool>("expectFound");

        // The start sends one ESC; the search sends at most ten more. The last
        // screen shown repeats: the count is checked before the comparison.
        QTest::newRow("repeat after the tenth ESC still fails") << 10 << 11 << false;
        QTest::newRow("repeat after the ninth ESC is the base menu") << 9 << 10 << true;
        QTest::newRow("settled at once") << 1 << 2 << true;
    }

    void baseMenuSearch_countsEscapesBeforeComparing()
    {
        QFETCH(int, distinctScreens);
        QFETCH(int, expectedEscapes);
        QFETCH(bool, expectFound);

        Rig rig;
        QVERIFY(rig.connectAll());
        QSignalSpy errors(&rig.bot, &LumBot::transmissionError);
        for (int i = 1; i <= distinctScreens; ++i)
            rig.device.queue(QStringLiteral("Menue %1").arg(i), QStringLiteral("Ebene %1").arg(i));
        rig.device.queue(QStringLiteral("Menue %1").arg(distinctScreens),
                         QStringLiteral("Ebene %1").arg(distinctScreens));
        rig.device.queue(identifier, configure);
        rig.bot.startDownload();

        if (expectFound) {
            QVERIFY(RobotHarness::waitFor(
                    &rig.bot, &LumBot::deviceIdentifierChanged,
                    [&] { return rig.bot.deviceIdentifier() == identifier; }, jobTimeoutMs));
            // The base menu is answered with ESC (no programming mode).
            QCOMPARE(rig.device.keys().left(expectedEscapes + 1),
                     QByteArray(expectedEscapes + 1, '\x1b'));
            QCOMPARE(errors.count(), 0);
        } else {
            QVERIFY(RobotHarness::waitFor(
                    &rig.bot, &LumBot::enabledChanged, [&] { return !rig.bot.isEnabled(); },
                    jobTimeoutMs));
            QCOMPARE(rig.device.keys(), QByteArray(expectedEscapes, '\x1b'));
            QCOMPARE(rig.bot.deviceIdentifier(), QString());
            QCOMPARE(errors.count(), 1);
            QCOMPARE(rig.bot.lastErrorString(),
                     QStringLiteral(
                             "Fehler bei Initialisierung!\nBasismenü kann nicht gefunden werden!"));
        }
        rig.bot.abort();
    }

    void baseMenu_keyAndWarningDependOnProgrammingMode_data()
    {
        QTest::addColumn<QString>("line1");
        QTest::addColumn<QString>("line2");
        QTest::addColumn<QByteArray>("baseKey");
        QTest::addColumn<QString>("warning");

        QTest::newRow("programming mode: plus and jumper warning")
                << programmingLine1 << programmingLine2 << plus << jumperWarning;
        QTest::newRow("entry on one line") << "Programmierung beenden"
                                           << "" << plus << jumperWarning;
        QTest::newRow("other base menu: ESC and no warning") << "Bereit"
                                                             << "LUM 3000" << esc << QString();
    }

    void baseMenu_keyAndWarningDependOnProgrammingMode()
    {
        QFETCH(QString, line1);
        QFETCH(QString, line2);
        QFETCH(QByteArray, baseKey);
        QFETCH(QString, warning);

        Rig rig;
        // When each screen is complete, recorded before the robot (connected
        // later) sends its next key from inside the same emission.
        QElapsedTimer clock;
        clock.start();
        QVector<qint64> completedMs;
        QObject listening;
        connect(&rig.link, &KelHandler::displayCompleted, &listening,
                [&] { completedMs.append(clock.elapsed()); });
        QVERIFY(rig.connectAll());
        rig.device.queue(line1, line2);
        rig.device.queue(line1, line2);
        rig.device.queue(identifier, configure);
        rig.bot.startDownload();

        // ESC, ESC, the base-menu key, OK on the identification screen.
        QVERIFY(RobotHarness::waitFor(
                &rig.device, &ScriptedDevice::burstReceived,
                [&] { return rig.device.bursts().size() >= 4; }, jobTimeoutMs));
        QCOMPARE(rig.burstKeys().mid(0, 4), Keys({ esc, esc, baseKey, ok }));
        QCOMPARE(rig.bot.deviceWarning(), warning);
        QCOMPARE(rig.bot.deviceIdentifier(), identifier);
        QCOMPARE(rig.bot.mode(), int(LumBot::Download));

        // The base-menu key, sent when the second screen was complete, is sent
        // with the long wait: its answer is not taken as complete for 500 ms,
        // however fast it comes, and not a little less either. Measured where the
        // link decides, so a busy machine can only lengthen it.
        QVERIFY(completedMs.size() >= 3);
        QVERIFY2(completedMs.at(2) - completedMs.at(1) >= 499,
                 qPrintable(QStringLiteral("answer complete after %1 ms")
                                    .arg(completedMs.at(2) - completedMs.at(1))));
        rig.bot.abort();
    }

    // ------------------------------------------------------------------ read-out

    void readOut_learnsSettingKindByOpeningIt_data()
    {
        QTest::addColumn<QStringList>(
                "afterOk"); // line1|line2|row screens the device shows after OK
        QTest::addColumn<Keys>("keys"); // keys after the OK that opens the setting
        QTest::addColumn<QString>("valueType");
        QTest::addColumn<QStringList>("options");

        QTest::newRow("cursor stays on first row: read-only")
                << QStringList{ "Seriennr:|12345|0" } << Keys({ plus }) << "readonly"
                << QStringList();
        QTest::newRow("empty input line: number input")
                << QStringList{ "Seriennr:||1", "Seriennr:|12345|0" } << Keys({ esc, plus })
                << "inputnum" << QStringList();
        QTest::newRow("options until one repeats: selection")
                << QStringList{ "Seriennr:|An|1", "Seriennr:|Aus|1", "Seriennr:|An|1",
                                "Seriennr:|12345|0" }
                << Keys({ plus, plus, esc, plus }) << "selection" << QStringList{ "An", "Aus" };
        QTest::newRow("options ended by a blank screen: selection")
                << QStringList{ "Seriennr:|An|1", "Seriennr:|Aus|1", "||0", "Seriennr:|12345|0" }
                << Keys({ plus, plus, esc, plus }) << "selection" << QStringList{ "An", "Aus" };
    }

    void readOut_learnsSettingKindByOpeningIt()
    {
        QFETCH(QStringList, afterOk);
        QFETCH(Keys, keys);
        QFETCH(QString, valueType);
        QFETCH(QStringList, options);

        Rig rig;
        QVERIFY(rig.connectAll());
        QSignalSpy rebuilt(&rig.profile, &DeviceProfile::confItemListChanged);
        rig.queueBaseMenuAndIdentifier();
        rig.device.queue(QStringLiteral("Seriennr:"), QStringLiteral("12345"));
        for (const QString &screen : afterOk) {
            const QStringList parts = screen.split(QLatin1Char('|'));
            rig.device.queue(parts.at(0), parts.at(1), parts.at(2).toInt());
        }
        // The configuration menu holds only this setting: it comes round again.
        rig.device.queue(QStringLiteral("Seriennr:"), QStringLiteral("12345"));
        rig.bot.startDownload();

        QVERIFY(RobotHarness::waitFor(
                &rig.bot, &LumBot::enabledChanged,
                [&] { return rig.bot.mode() == int(LumBot::Idle); }, jobTimeoutMs));
        QCOMPARE(rig.burstKeys(), Keys({ esc, esc, plus, ok, ok }) + keys);

        const QDomElement setting = childByText(rig.menuTree(), QStringLiteral("Seriennr"));
        QCOMPARE(rig.menuTree().childNodes().count(), 1);
        QCOMPARE(setting.tagName(), QStringLiteral("setting"));
        QCOMPARE(setting.attribute(QStringLiteral("value")), QStringLiteral("12345"));
        QCOMPARE(setting.attribute(QStringLiteral("valuetype")), valueType);
        QCOMPARE(childTextsOf(setting), options);
        // Finished, not failed: the item list was rebuilt from the tree.
        QVERIFY(rebuilt.count() >= 1);
        QCOMPARE(rig.profile.items().size(), 1);
        QCOMPARE(rig.bot.lastErrorString(), QString());
    }

    // A blank screen inside a section ends the section like a repeated entry.
    // The section must not be taken for a list of choices: its entries would
    // vanish from the editor.
    void readOut_blankScreenEndsSectionWithoutMarkingIt()
    {
        Rig rig;
        QVERIFY(rig.connectAll());
        rig.queueBaseMenuAndIdentifier();
        rig.device.queue(QStringLiteral("Netz?"), QString());
        rig.device.queue(QStringLiteral("Empfang"), QStringLiteral("gut"));
        rig.device.queue(QString(), QString());
        rig.device.queue(QStringLiteral("Netz?"), QString());
        rig.device.queue(QStringLiteral("Netz?"), QString());
        rig.bot.startDownload();

        QVERIFY(RobotHarness::waitFor(
                &rig.bot, &LumBot::enabledChanged,
                [&] { return rig.bot.mode() == int(LumBot::Idle); }, jobTimeoutMs));
        QCOMPARE(rig.burstKeys(), Keys({ esc, esc, plus, ok, ok, plus, esc, plus }));
        QCOMPARE(rig.bot.lastErrorString(), QString());
        const QDomElement section = childByText(rig.menuTree(), QStringLiteral("Netz"));
        QCOMPARE(section.tagName(), QStringLiteral("section"));
        QVERIFY(!section.hasAttribute(QStringLiteral("valuetype")));
        QCOMPARE(childTextsOf(section), QStringList{ "Empfang gut" });
        QCOMPARE(rig.profile.items().size(), 2);
    }

    // A device that falls silent on the top level shows its last screen again
    // after the link's extra wait; an entry seen before is then no end of the menu.
    void readOut_silenceOnTopLevelIsNoEndOfMenu()
    {
        Rig rig;
        QVERIFY(rig.connectAll());
        rig.queueBaseMenuAndIdentifier();
        rig.device.queue(QStringLiteral("Hinweis"), QString());
        QSignalSpy errors(&rig.bot, &LumBot::transmissionError);
        rig.bot.startDownload();

        QVERIFY2(errors.wait(jobTimeoutMs),
                 qPrintable(QStringLiteral("no error, mode %1").arg(rig.bot.mode())));
        QCOMPARE(rig.bot.lastErrorString(),
                 QStringLiteral("Fehler beim Auslesen!\nKeine Verbindung zum Gerät!"));
        QCOMPARE(rig.bot.mode(), int(LumBot::Idle));
        QCOMPARE(rig.burstKeys(), Keys({ esc, esc, plus, ok, plus }));
    }

    void readOut_wayBackAfterLeavingLevel_data()
    {
        QTest::addColumn<QString>("outer");
        QTest::addColumn<QString>("inner");
        QTest::addColumn<QString>("line1");
        QTest::addColumn<QString>("line2");
        QTest::addColumn<int>("row");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<bool>("searchEnds");

        // Inside section 'outer' (level 1) the section 'inner' was walked and
        // left with ESC; the device now shows the screen below.
        QTest::newRow("A,B: setting B ends the search") << "A"
                                                        << "B"
                                                        << "B:"
                                                        << "1" << 0 << plus << true;
        QTest::newRow("A,B: section B ends the search") << "A"
                                                        << "B"
                                                        << "Menue"
                                                        << "B?" << 0 << plus << true;
        QTest::newRow("A,B: section A is entered") << "A"
                                                   << "B"
                                                   << "Menue"
                                                   << "A?" << 0 << ok << false;
        QTest::newRow("A,B: setting A is passed") << "A"
                                                  << "B"
                                                  << "A:"
                                                  << "1" << 0 << plus << false;
        QTest::newRow("B,B: section B is taken for the enclosing one and entered")
                << "B"
                << "B"
                << "Menue"
                << "B?" << 0 << ok << false;
        QTest::newRow("B,B: setting B ends the search") << "B"
                                                        << "B"
                                                        << "B:"
                                                        << "1" << 0 << plus << true;
        QTest::newRow("B,B: info B ends nothing and is passed") << "B"
                                                                << "B"
                                                                << "B"
                                                                << "" << 0 << plus << false;
    }

    void readOut_wayBackAfterLeavingLevel()
    {
        QFETCH(QString, outer);
        QFETCH(QString, inner);
        QFETCH(QString, line1);
        QFETCH(QString, line2);
        QFETCH(int, row);
        QFETCH(QByteArray, key);
        QFETCH(bool, searchEnds);

        Rig rig;
        QVERIFY(rig.connectAll());
        rig.queueBaseMenuAndIdentifier();
        rig.device.queue(outer + QLatin1Char('?'), QString()); // level 0: section outer, OK
        rig.device.queue(QStringLiteral("Menue"),
                         inner + QLatin1Char('?')); // level 1: section inner, OK
        rig.device.queue(QStringLiteral("P"), QString()); // level 2: info P, '+'
        rig.device.queue(QStringLiteral("P"), QString()); // P again: ESC
        rig.device.queue(line1, line2, row); // the screen under test
        // A new entry of the outer level: recorded only once the search is over.
        rig.device.queue(QStringLiteral("Z"), QString());
        rig.bot.startDownload();

        QVERIFY(RobotHarness::waitFor(
                &rig.device, &ScriptedDevice::burstReceived,
                [&] { return rig.device.bursts().size() >= 10; }, jobTimeoutMs));
        const QList<QByteArray> keys = rig.burstKeys();
        QCOMPARE(keys.mid(0, 8), Keys({ esc, esc, plus, ok, ok, ok, plus, esc }));
        QCOMPARE(keys.at(8), key);

        const QDomElement outerSection = childByText(rig.menuTree(), outer);
        const QDomElement innerSection = childByText(outerSection, inner);
        QCOMPARE(innerSection.tagName(), QStringLiteral("section"));
        QCOMPARE(childTextsOf(innerSection), QStringList{ "P" });
        QCOMPARE(childTextsOf(outerSection).contains(QStringLiteral("Z")), searchEnds);
        // Leaving the inner level recorded nothing for the search screen.
        QCOMPARE(childTextsOf(outerSection).size(), searchEnds ? 2 : 1);
        QCOMPARE(keys.at(9), plus);
        rig.bot.abort();
    }

    void readOut_dotsOnlyOptionScreenWaitsWithoutKey()
    {
        Rig rig;
        QVERIFY(rig.connectAll());
        QSignalSpy completed(&rig.link, &KelHandler::displayCompleted);
        rig.queueBaseMenuAndIdentifier();
        rig.device.queue(QStringLiteral("Netzsuche?"), QString());
        // The device is busy: a line of dots on the second row inside a section.
        rig.device.queue(QStringLiteral("Suche:"), QStringLiteral("....."), 1);
        rig.bot.startDownload();

        // ESC, ESC, '+', OK (configure), OK (section): then the dots.
        QVERIFY(RobotHarness::waitFor(
                &rig.device, &ScriptedDevice::burstReceived,
                [&] { return rig.device.bursts().size() >= 5; }, jobTimeoutMs));
        const int screensBeforeDots = 4; // the start's ESC is not answered by a step
        QVERIFY(RobotHarness::waitFor(
                &rig.link, &KelHandler::displayCompleted,
                [&] { return completed.count() >= screensBeforeDots + 1; }, jobTimeoutMs));
        // Nothing must follow the dots; give a wrong key time to show up.
        QTest::qWait(400);
        QCOMPARE(rig.device.keys(), esc + esc + plus + ok + ok);
        QCOMPARE(rig.bot.mode(), int(LumBot::Download));
        const QDomElement section = childByText(rig.menuTree(), QStringLiteral("Netzsuche"));
        QVERIFY(!section.isNull());
        QVERIFY(!section.hasChildNodes());

        // The device finishes by itself; the robot goes on with that screen.
        rig.device.show(
                ScriptedDevice::screen(QStringLiteral("Suche:"), QStringLiteral("Netz.A"), 1));
        QVERIFY(RobotHarness::waitFor(
                &rig.device, &ScriptedDevice::burstReceived,
                [&] { return rig.device.bursts().size() >= 6; }, jobTimeoutMs));
        QCOMPARE(rig.burstKeys().at(5), plus);
        QCOMPARE(childTextsOf(section), QStringList{ "NetzA" });
        QCOMPARE(section.firstChildElement().tagName(), QStringLiteral("option"));
        rig.bot.abort();
    }

    // ------------------------------------------------------------------ transfer

    void transfer_visitsMarkedSettingsAcrossSectionsInOrder_data()
    {
        QTest::addColumn<QString>("firstSetting");

        QTest::newRow("plain names") << "X";
        // Right after the first value the screen still shows that setting while
        // the robot climbs out with ESC; its name must not be taken for the
        // next section's entry.
        QTest::newRow("setting left is named like the next section") << "B";
    }

    void transfer_visitsMarkedSettingsAcrossSectionsInOrder()
    {
        QFETCH(QString, firstSetting);

        Rig rig;
        QVERIFY(rig.connectAll());
        QVERIFY(rig.loadProfile(
                QStringLiteral(
                        "<section text=\"A\">"
                        "<setting text=\"%1\" value=\"12\" active=\"1\" valuetype=\"inputnum\"/>"
                        "<setting text=\"W\" value=\"7\" active=\"1\" valuetype=\"readonly\"/>"
                        "<setting text=\"Y\" value=\"Aus\" active=\"0\" "
                        "valuetype=\"selection\"><option text=\"An\"/><option "
                        "text=\"Aus\"/></setting>"
                        "</section>"
                        "<section text=\"B\">"
                        "<setting text=\"Z\" value=\"12:30\" active=\"1\" "
                        "valuetype=\"inputtime_hhmm\"/>"
                        "</section>")
                        .arg(firstSetting)));

        QList<QPair<int, int>> progress;
        connect(&rig.bot, &LumBot::progressChanged, &rig.bot, [&] {
            progress.append({ rig.bot.itemsDone(), rig.bot.itemsTotal() });
        });
        QSignalSpy errors(&rig.bot, &LumBot::transmissionError);

        const QString name1 = firstSetting + QLatin1Char(':');
        rig.queueBaseMenuAndIdentifier();
        rig.device.queue(QStringLiteral("A?"), QString()); // '+' from identification
        rig.device.queue(name1, QStringLiteral("5")); // OK into A
        rig.device.queue(name1, QString(), 1); // OK opens the setting
        rig.device.queue(name1, QStringLiteral("12")); // "12" and OK: verified
        rig.device.queue(QStringLiteral("B?"), QString()); // ESC and '+' in one step
        rig.device.queue(QStringLiteral("Z:"), QStringLiteral("08:00")); // OK into B
        rig.device.queue(QStringLiteral("Z:"), QString(), 1); // OK opens Z
        rig.device.queue(QStringLiteral("Z:"), QStringLiteral("12:30")); // "1230" and OK
        rig.device.queue(programmingLine1, programmingLine2); // startInit's ESC
        rig.device.queue(programmingLine1, programmingLine2);
        rig.device.queue(QStringLiteral("LUM 3000 V2.2"), configure);
        rig.bot.startUpload();

        QVERIFY(RobotHarness::waitFor(
                &rig.bot, &LumBot::deviceIdentifierChanged,
                [&] { return rig.bot.deviceIdentifier() == QStringLiteral("LUM 3000 V2.2"); },
                jobTimeoutMs));
        QCOMPARE(rig.bot.mode(), int(LumBot::Idle));
        QCOMPARE(errors.count(), 0);
        QCOMPARE(rig.burstKeys(),
                 Keys({ esc, esc, plus, plus, ok, ok, QByteArray("12\r"), esc + plus, ok, ok,
                        QByteArray("1230\r"), esc, esc, plus }));
        // Counted once the transfer began (the read-only setting is not among
        // them), one up per verified value, back to 0 by the closing start.
        QCOMPARE(progress, (QList<QPair<int, int>>{ { 0, 2 }, { 1, 2 }, { 2, 2 }, { 0, 0 } }));
        // The transfer leaves the marks as they were.
        QCOMPARE(childByText(childByText(rig.menuTree(), "B"), "Z").attribute("active"),
                 QStringLiteral("1"));
    }

    void transfer_endsAtOnceWithoutKeyWhenNothingTransferable_data()
    {
        QTest::addColumn<QString>("tree");

        QTest::newRow("nothing marked") << "<section text=\"A\"><setting text=\"X\" value=\"1\" "
                                           "active=\"0\" valuetype=\"inputnum\"/></section>";
        QTest::newRow("only settings that cannot be keyed in are marked")
                << "<section text=\"A\"><setting text=\"X\" value=\"1\" active=\"1\" "
                   "valuetype=\"readonly\"/>"
                   "<setting text=\"S\" value=\"1\" active=\"1\" valuetype=\"blocked\"/></section>";
    }

    void transfer_endsAtOnceWithoutKeyWhenNothingTransferable()
    {
        QFETCH(QString, tree);

        Rig rig;
        QVERIFY(rig.connectAll());
        QVERIFY(rig.loadProfile(tree));
        QSignalSpy errors(&rig.bot, &LumBot::transmissionError);
        QSignalSpy enabled(&rig.bot, &LumBot::enabledChanged);
        rig.queueBaseMenuAndIdentifier();
        rig.device.queue(QStringLiteral("A?"), QString()); // only if a key were sent
        rig.bot.startUpload();

        QVERIFY(RobotHarness::waitFor(
                &rig.bot, &LumBot::deviceIdentifierChanged,
                [&] { return rig.bot.deviceIdentifier() == identifier; }, jobTimeoutMs));
        QCOMPARE(rig.bot.mode(), int(LumBot::Idle));
        QCOMPARE(enabled.count(), 2); // on at the start, off at the end
        // No key after the identification screen, no return to the base menu.
        QTest::qWait(400);
        QCOMPARE(rig.burstKeys(), Keys({ esc, esc, plus }));
        QCOMPARE(rig.bot.mode(), int(LumBot::Idle));
        QCOMPARE(errors.count(), 0);
        QCOMPARE(rig.bot.itemsTotal(), 0);
        QCOMPARE(rig.bot.itemsDone(), 0);
    }

    // ------------------------------------------------------------------ wiring

    void runningReadOut_ignoresStartsAndAbortDiscardsTree()
    {
        Rig rig;
        QVERIFY(rig.connectAll());
        rig.queueBaseMenuAndIdentifier();
        rig.device.queue(QStringLiteral("Netz?"), QString());
        rig.device.queue(QStringLiteral("Empfang"), QStringLiteral("gut"));
        rig.bot.startDownload();
        QVERIFY(RobotHarness::waitFor(
                &rig.device, &ScriptedDevice::burstReceived,
                [&] { return rig.device.bursts().size() >= 6; }, jobTimeoutMs));
        QCOMPARE(rig.bot.mode(), int(LumBot::Download));
        const QByteArray keysBefore = rig.device.keys();

        QSignalSpy enabled(&rig.bot, &LumBot::enabledChanged);
        rig.bot.startDownload();
        rig.bot.startUpload();
        rig.bot.startInit();
        QCOMPARE(rig.bot.mode(), int(LumBot::Download));
        QCOMPARE(enabled.count(), 0);
        QCOMPARE(childTextsOf(childByText(rig.menuTree(), QStringLiteral("Netz"))),
                 QStringList{ "Empfang gut" });

        QSignalSpy identity(&rig.bot, &LumBot::deviceIdentifierChanged);
        rig.bot.abort();
        QCOMPARE(rig.bot.mode(), int(LumBot::Idle));
        QCOMPARE(enabled.count(), 1);
        QCOMPARE(identity.count(), 1);
        QCOMPARE(rig.bot.deviceIdentifier(), QString());
        QVERIFY(!rig.menuTree().hasChildNodes());
        // The device is left where it stands.
        QTest::qWait(300);
        QCOMPARE(rig.device.keys(), keysBefore);
        rig.bot.abort();
        QCOMPARE(enabled.count(), 1);
    }

    void destroyedLinkOrProfile_isForgottenAndStopsJob_data()
    {
        QTest::addColumn<bool>("destroyLink");

        QTest::newRow("link destroyed") << true;
        QTest::newRow("profile destroyed") << false;
    }

    void destroyedLinkOrProfile_isForgottenAndStopsJob()
    {
        QFETCH(bool, destroyLink);

        ScriptedDevice device;
        auto *link = new KelHandler;
        auto *profile = new DeviceProfile;
        LumBot bot;
        QVERIFY(link->openSerialPortByName(device.slavePath()));
        bot.setKelHandler(link);
        bot.setProfile(profile);
        bot.startDownload();
        QVERIFY(bot.isEnabled());

        if (destroyLink) {
            delete link;
            link = nullptr;
            QCOMPARE(bot.kelHandler(), static_cast<KelHandler *>(nullptr));
        } else {
            delete profile;
            profile = nullptr;
            QCOMPARE(bot.profile(), static_cast<DeviceProfile *>(nullptr));
        }
        QCOMPARE(bot.mode(), int(LumBot::Idle));
        // Later starts find the missing object and refuse instead of using it;
        // only the identification needs no profile.
        bot.startDownload();
        bot.startUpload();
        QCOMPARE(bot.mode(), int(LumBot::Idle));
        bot.startInit();
        QCOMPARE(bot.isEnabled(), !destroyLink);
        bot.abort();
        delete link;
        delete profile;
    }

    // Each screen is one step of the identification, answered with one key,
    // also when the device shows its base menu before the start or the robot
    // was given its link again: a screen handled twice would be taken for the
    // base menu at once and answered with two keys in one step.
    void identification_answersEachScreenOnce_data()
    {
        QTest::addColumn<int>("linksSet"); // 0: the base menu is shown before the start

        QTest::newRow("base menu shown before the start") << 0;
        QTest::newRow("same handler set twice") << 1;
        QTest::newRow("other handler, then this one again") << 2;
    }

    void identification_answersEachScreenOnce()
    {
        QFETCH(int, linksSet);

        Rig rig;
        QVERIFY(rig.connectAll());
        KelHandler other;
        const QByteArray base =
                ScriptedDevice::screen(QStringLiteral("Bereit"), QStringLiteral("LUM"));
        if (linksSet == 0) {
            QSignalSpy completed(&rig.link, &KelHandler::displayCompleted);
            rig.device.show(base);
            QVERIFY(completed.wait(5000));
        } else {
            QSignalSpy changed(&rig.bot, &LumBot::kelHandlerChanged);
            if (linksSet == 2)
                rig.bot.setKelHandler(&other);
            rig.bot.setKelHandler(&rig.link);
            QCOMPARE(changed.count(), linksSet);
            QCOMPARE(changed.last().at(0).value<KelHandler *>(), &rig.link);
        }
        rig.device.queue(base);
        rig.device.queue(base);
        rig.device.queue(identifier, configure);
        rig.bot.startInit();
        // Were the robot still listening to the other handler, this would be
        // a step of its own, with a key of its own.
        emit other.displayCompleted();
        QVERIFY(RobotHarness::waitFor(
                &rig.bot, &LumBot::deviceIdentifierChanged,
                [&] { return rig.bot.deviceIdentifier() == identifier; }, jobTimeoutMs));
        QCOMPARE(rig.burstKeys(), Keys({ esc, esc, esc }));
        QCOMPARE(rig.bot.mode(), int(LumBot::Idle));
    }
};

QTEST_GUILESS_MAIN(TestLumBotRules)
#include "tst_lumbot_rules.moc"
