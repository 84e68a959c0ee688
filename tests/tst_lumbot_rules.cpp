// The menu robot's rules, one screen at a time: a scripted device on a real
// pseudo-terminal answers every step of the robot with the next screen of its
// script, the robot reads it through the real terminal link, and the tests
// check the keys that arrive on the wire, the robot's state and the tree.
// Screens are written "line 1|line 2|cursor row" (row 0 when left out),
// keys one step after another, ESC as E and OK as K.

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

const int jobTimeoutMs = 30000;
const QString identifier = QStringLiteral("LUM 3000 V2.1");
const QString jumperWarning = QStringLiteral("Hinweis: Bitte zum Abschluss \"Programmierung "
                                             "beenden\" wählen und den Jumper zurücksetzen!");
const QString noConnection = QStringLiteral("Fehler beim Auslesen!\nKeine Verbindung zum Gerät!");
// The base menu of a device in programming mode, found after one repeat,
// then the identification screen the '+' leads to.
const QString baseAndIdentifier = QStringLiteral(
        "Programmierung|beenden?;Programmierung|beenden?;LUM 3000 V2.1|konfigurieren?");

// An element's entries as "tag:text=value(type){children}", comma-separated.
QString render(const QDomElement &parent)
{
    QStringList parts;
    for (QDomElement e = parent.firstChildElement(); !e.isNull(); e = e.nextSiblingElement()) {
        QString part = e.tagName() + QLatin1Char(':') + e.attribute(QStringLiteral("text"));
        if (e.hasAttribute(QStringLiteral("value")))
            part += QLatin1Char('=') + e.attribute(QStringLiteral("value"));
        for (const char *type : { "valuetype", "sectiontype" })
            if (e.hasAttribute(QLatin1String(type)))
                part += QLatin1Char('(') + e.attribute(QLatin1String(type)) + QLatin1Char(')');
        if (!e.firstChildElement().isNull())
            part += QLatin1Char('{') + render(e) + QLatin1Char('}');
        parts.append(part);
    }
    return parts.join(QStringLiteral(", "));
}

// Robot, link, profile and device wired as the window wires them.
struct Rig
{
    ScriptedDevice device;
    KelHandler link;
    DeviceProfile profile;
    LumBot bot;
    QTemporaryDir dir;

    bool connectAll()
    {
        if (!device.isOpen() || !link.openSerialPortByName(device.slavePath()))
            return false;
        bot.setKelHandler(&link);
        bot.setProfile(&profile);
        return true;
    }

    // Queues the screens of `script`, separated by ';'.
    void script(const QString &script)
    {
        for (const QString &screen : script.split(QLatin1Char(';'))) {
            const QStringList lines = screen.split(QLatin1Char('|'));
            device.queue(lines.value(0), lines.value(1), lines.value(2).toInt());
        }
    }

    QString keys() const
    {
        QStringList steps;
        for (QByteArray burst : device.bursts())
            steps.append(QString::fromLatin1(burst.replace('\x1b', 'E').replace('\r', 'K')));
        return steps.join(QLatin1Char(' '));
    }

    bool waitForSteps(int steps)
    {
        return RobotHarness::waitFor(
                &device, &ScriptedDevice::burstReceived,
                [&] { return device.bursts().size() >= steps; }, jobTimeoutMs);
    }

    bool waitForIdle()
    {
        return RobotHarness::waitFor(
                &bot, &LumBot::enabledChanged, [&] { return bot.mode() == LumBot::Idle; },
                jobTimeoutMs);
    }

    bool waitForIdentifier(const QString &expected)
    {
        return RobotHarness::waitFor(
                &bot, &LumBot::deviceIdentifierChanged,
                [&] { return bot.deviceIdentifier() == expected; }, jobTimeoutMs);
    }

    bool loadProfile(const QString &menuTreeXml)
    {
        QFile file(dir.filePath(QStringLiteral("profile.lumc")));
        return file.open(QIODevice::WriteOnly)
                && file.write(
                           QStringLiteral("<deviceProfile version=\"1.0\"><menuTree>%1</menuTree>"
                                          "</deviceProfile>")
                                   .arg(menuTreeXml)
                                   .toUtf8())
                > 0
                && (file.close(), profile.load(file.fileName()));
    }

    QString tree() const
    {
        return render(profile.document().documentElement().firstChildElement());
    }
};

} // namespace

class TestLumBotRules : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qRegisterMetaType<KelHandler *>(); }

    void screenReading_classifiesAndNamesEntry_data()
    {
        // line1|line2|cursor row|level => kind|name|value
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QString>("expected");
        const char *const rows[][3] = {
            { "colon on first line, cursor on first row: setting", "Zeit:|12:00|0|0",
              "setting|Zeit|12:00" },
            { "every colon leaves a setting's name", "A:B:|x|0|1", "setting|AB|x" },
            { "no-entry marker gives an empty value", "Rufnummer:|<KEIN EINTRAG!>|0|1",
              "setting|Rufnummer|" },
            { "cursor on second row: option named by second line", "Sprache:|Deutsch|1|1",
              "option|Deutsch|Deutsch" },
            { "option keeps the no-entry marker", "Rufnummer:|<KEIN EINTRAG!>|1|1",
              "option|<KEIN EINTRAG!>|<KEIN EINTRAG!>" },
            { "empty input line: nameless option", "Rufnummer:||1|1", "option||" },
            { "SIM-Entsperren open is an option", "SIM-Entsperren?|Ja|1|1", "option|Ja|Ja" },
            { "channel text must be the whole line", "ALARM 2:|VERWENDET MIC2X|0|1",
              "setting|ALARM 2|VERWENDET MIC2X" },
            { "colon wins over question mark", "Frage?:|Ja|0|1", "setting|Frage?|Ja" },
            { "section at level 0 is named by its first line", "Notruf|Einstellungen?|0|0",
              "section|Notruf|Einstellungen?" },
            { "question on first line, deeper, joins both lines", "Rufe?|alle|0|1",
              "section|Rufe alle|alle" },
            { "empty screen is a nameless info", "||0|1", "info||" },
            { "text beyond the visible width belongs to the line", "Notrufeinstellung 2||0|0",
              "info|Notrufeinstellung 2|" },
        };
        for (const auto &row : rows)
            QTest::newRow(row[0]) << row[1] << row[2];
    }

    void screenReading_classifiesAndNamesEntry()
    {
        QFETCH(QString, screen);
        QFETCH(QString, expected);
        const QStringList parts = screen.split(QLatin1Char('|'));
        // The link mirrors 32 cells a line; the robot gets them padded with blanks.
        const MenuScreen read = MenuScreen::read(parts.at(0).leftJustified(32) + QLatin1Char('\n')
                                                         + parts.at(1).leftJustified(32),
                                                 parts.at(2).toInt(), parts.at(3).toInt());
        QCOMPARE(QStringList({ read.kind, read.name, read.value }).join(QLatin1Char('|')),
                 expected);
    }

    void baseMenuSearch_countsEscapesBeforeComparing_data()
    {
        QTest::addColumn<int>("distinctScreens");
        // The start sends one ESC; the search sends at most ten more. The last
        // screen shown repeats: the count is checked before the comparison.
        QTest::newRow("repeat after the tenth ESC still fails") << 10;
        QTest::newRow("repeat after the ninth ESC is the base menu") << 9;
        QTest::newRow("settled at once") << 1;
    }

    void baseMenuSearch_countsEscapesBeforeComparing()
    {
        QFETCH(int, distinctScreens);
        const bool found = distinctScreens < 10;
        Rig rig;
        QVERIFY(rig.connectAll());
        QSignalSpy errors(&rig.bot, &LumBot::transmissionError);
        QStringList screens;
        for (int i = 1; i <= distinctScreens; ++i)
            screens.append(QStringLiteral("Menue %1|Ebene %1").arg(i));
        rig.script(screens.join(QLatin1Char(';')) + QLatin1Char(';') + screens.last()
                   + QStringLiteral(";LUM 3000 V2.1|konfigurieren?"));
        rig.bot.startDownload();

        QVERIFY(found ? rig.waitForIdentifier(identifier) : rig.waitForIdle());
        // The base menu is answered with ESC (no programming mode).
        const QString escapes = QStringLiteral("E ").repeated(distinctScreens + 1).trimmed();
        QCOMPARE(found ? rig.keys().left(escapes.size() + 2) : rig.keys(),
                 found ? escapes + QStringLiteral(" E") : escapes);
        QCOMPARE(errors.count(), found ? 0 : 1);
        QCOMPARE(rig.bot.lastErrorString(),
                 found ? QString()
                       : QStringLiteral("Fehler bei Initialisierung!\nBasismenü kann nicht "
                                        "gefunden werden!"));
        QCOMPARE(rig.bot.deviceIdentifier(), found ? identifier : QString());
    }

    void baseMenu_keyAndWarningDependOnProgrammingMode_data()
    {
        QTest::addColumn<QString>("baseMenu");
        QTest::addColumn<QString>("baseKey");
        QTest::addColumn<QString>("warning");
        QTest::newRow("programming mode: plus and jumper warning") << "Programmierung|beenden?"
                                                                   << "+" << jumperWarning;
        QTest::newRow("entry on one line") << "Programmierung beenden|"
                                           << "+" << jumperWarning;
        QTest::newRow("other base menu: ESC and no warning") << "Bereit|LUM 3000"
                                                             << "E" << QString();
    }

    void baseMenu_keyAndWarningDependOnProgrammingMode()
    {
        QFETCH(QString, baseMenu);
        QFETCH(QString, baseKey);
        QFETCH(QString, warning);

        Rig rig;
        // When each screen is complete, recorded before the robot (connected
        // later) sends its next key from inside the same emission.
        QElapsedTimer clock;
        clock.start();
        QVector<qint64> completedMs;
        connect(&rig.link, &KelHandler::displayCompleted, &rig.link,
                [&] { completedMs.append(clock.elapsed()); });
        QVERIFY(rig.connectAll());
        rig.script(baseMenu + QLatin1Char(';') + baseMenu
                   + QStringLiteral(";LUM 3000 V2.1|konfigurieren?"));
        rig.bot.startDownload();

        QVERIFY(rig.waitForSteps(4));
        QCOMPARE(rig.keys().left(7), QStringLiteral("E E %1 K").arg(baseKey));
        QCOMPARE(rig.bot.deviceWarning(), warning);
        QCOMPARE(rig.bot.deviceIdentifier(), identifier);
        QCOMPARE(rig.bot.mode(), int(LumBot::Download));
        // The base-menu key, sent when the second screen was complete, is sent
        // with the long wait: its answer is not taken as complete for 500 ms,
        // however fast it comes. Measured where the link decides, so a busy
        // machine can only lengthen it.
        QVERIFY(completedMs.size() >= 3);
        QVERIFY2(completedMs.at(2) - completedMs.at(1) >= 499,
                 qPrintable(QString::number(completedMs.at(2) - completedMs.at(1))));
        rig.bot.abort();
    }

    // A read-out of a scripted configuration menu, from the identification
    // on: the keys of every step and the tree; ended by the entry that comes
    // round again, or cut short by silence.
    void readOut_followsTheScreens_data()
    {
        QTest::addColumn<QString>("screens");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("tree");
        QTest::addColumn<QString>("error");

        // A setting is opened with OK; what it shows then tells its kind.
        QTest::newRow("cursor stays on first row: read-only")
                << "Seriennr:|12345;Seriennr:|12345;Seriennr:|12345"
                << "E E + K K +"
                << "setting:Seriennr=12345(readonly)" << QString();
        QTest::newRow("empty input line: number input")
                << "Seriennr:|12345;Seriennr:||1;Seriennr:|12345;Seriennr:|12345"
                << "E E + K K E +"
                << "setting:Seriennr=12345(inputnum)" << QString();
        QTest::newRow("options until one repeats: selection")
                << "Seriennr:|12345;Seriennr:|An|1;Seriennr:|Aus|1;Seriennr:|An|1;Seriennr:|12345;"
                   "Seriennr:|12345"
                << "E E + K K + + E +"
                << "setting:Seriennr=12345(selection){option:An, option:Aus}" << QString();
        QTest::newRow("options ended by a blank screen: selection")
                << "Seriennr:|12345;Seriennr:|An|1;Seriennr:|Aus|1;||0;Seriennr:|12345;"
                   "Seriennr:|12345"
                << "E E + K K + + E +"
                << "setting:Seriennr=12345(selection){option:An, option:Aus}" << QString();
        // A blank screen inside a section ends the section like a repeated
        // entry; the section is no list of choices, or its entries would
        // vanish from the editor.
        QTest::newRow("blank screen ends a section without marking it")
                << "Netz?|;Empfang|gut;|;Netz?|;Netz?|"
                << "E E + K K + E +"
                << "section:Netz{info:Empfang gut}" << QString();
        // Silent on the top level, the device's last screen comes again after
        // the link's extra wait: an entry seen before is no end of the menu.
        QTest::newRow("silence on the top level is no end of the menu")
                << "Hinweis|"
                << "E E + K +" << QString() << noConnection;
    }

    void readOut_followsTheScreens()
    {
        QFETCH(QString, screens);
        QFETCH(QString, keys);
        QFETCH(QString, tree);
        QFETCH(QString, error);

        Rig rig;
        QVERIFY(rig.connectAll());
        QSignalSpy errors(&rig.bot, &LumBot::transmissionError);
        rig.script(baseAndIdentifier + QLatin1Char(';') + screens);
        rig.bot.startDownload();
        QVERIFY(rig.waitForIdle());
        QCOMPARE(rig.keys(), keys);
        QCOMPARE(rig.tree(), tree);
        QCOMPARE(rig.bot.lastErrorString(), error);
        QCOMPARE(errors.count(), error.isEmpty() ? 0 : 1);
        // Finished, not failed: the item list was rebuilt from the tree.
        if (error.isEmpty())
            QCOMPARE(rig.profile.items().size(),
                     tree.count(QLatin1Char(':')) - tree.count("option:"));
    }

    void readOut_wayBackAfterLeavingLevel_data()
    {
        // Inside section 'outer' (level 1) the section 'inner' was walked and
        // left with ESC; the device now shows the screen below. When the
        // screen ends the search, the next entry Z belongs to 'outer'.
        QTest::addColumn<QString>("outer");
        QTest::addColumn<QString>("inner");
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("searchEnds");
        QTest::newRow("A,B: setting B ends the search") << "A"
                                                        << "B"
                                                        << "B:|1"
                                                        << "+" << true;
        QTest::newRow("A,B: section B ends the search") << "A"
                                                        << "B"
                                                        << "Menue|B?"
                                                        << "+" << true;
        QTest::newRow("A,B: section A is entered") << "A"
                                                   << "B"
                                                   << "Menue|A?"
                                                   << "K" << false;
        QTest::newRow("A,B: setting A is passed") << "A"
                                                  << "B"
                                                  << "A:|1"
                                                  << "+" << false;
        QTest::newRow("B,B: section B is taken for the enclosing one and entered") << "B"
                                                                                   << "B"
                                                                                   << "Menue|B?"
                                                                                   << "K" << false;
        QTest::newRow("B,B: setting B ends the search") << "B"
                                                        << "B"
                                                        << "B:|1"
                                                        << "+" << true;
        QTest::newRow("B,B: info B ends nothing and is passed") << "B"
                                                                << "B"
                                                                << "B|"
                                                                << "+" << false;
    }

    void readOut_wayBackAfterLeavingLevel()
    {
        QFETCH(QString, outer);
        QFETCH(QString, inner);
        QFETCH(QString, screen);
        QFETCH(QString, key);
        QFETCH(bool, searchEnds);

        Rig rig;
        QVERIFY(rig.connectAll());
        rig.script(QStringLiteral("%1;%2?|;Menue|%3?;P|;P|;%4;Z|")
                           .arg(baseAndIdentifier, outer, inner, screen));
        rig.bot.startDownload();
        QVERIFY(rig.waitForSteps(10));
        QCOMPARE(rig.keys().section(QLatin1Char(' '), 0, 9),
                 QStringLiteral("E E + K K K + E %1 +").arg(key));
        QCOMPARE(rig.tree(),
                 QStringLiteral("section:%1{section:%2{info:P}%3}")
                         .arg(outer, inner, searchEnds ? ", info:Z" : ""));
        rig.bot.abort();
    }

    void readOut_dotsOnlyOptionScreenWaitsWithoutKey()
    {
        Rig rig;
        QVERIFY(rig.connectAll());
        QSignalSpy completed(&rig.link, &KelHandler::displayCompleted);
        // The device is busy: a line of dots on the second row inside a section.
        rig.script(baseAndIdentifier + QStringLiteral(";Netzsuche?|;Suche:|.....|1"));
        rig.bot.startDownload();
        QVERIFY(rig.waitForSteps(5));
        // The start's ESC is not answered by a step: the dots are the fifth screen.
        QVERIFY(RobotHarness::waitFor(
                &rig.link, &KelHandler::displayCompleted, [&] { return completed.count() >= 5; },
                jobTimeoutMs));
        // Nothing must follow the dots; give a wrong key time to show up.
        QTest::qWait(400);
        QCOMPARE(rig.device.keys(), QByteArray("\x1b\x1b+\r\r"));
        QCOMPARE(rig.bot.mode(), int(LumBot::Download));
        QCOMPARE(rig.tree(), QStringLiteral("section:Netzsuche"));

        // The device finishes by itself; the robot goes on with that screen.
        rig.device.show(
                ScriptedDevice::screen(QStringLiteral("Suche:"), QStringLiteral("Netz.A"), 1));
        QVERIFY(rig.waitForSteps(6));
        QCOMPARE(rig.keys(), QStringLiteral("E E + K K +"));
        QCOMPARE(rig.tree(), QStringLiteral("section:Netzsuche{option:NetzA}"));
        rig.bot.abort();
    }

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
                        R"(<section text="A"><setting text="%1" value="12" active="1" valuetype="inputnum"/>
<setting text="W" value="7" active="1" valuetype="readonly"/>
<setting text="S" value="1" active="1" valuetype="blocked"/>
<setting text="Y" value="Aus" active="0" valuetype="selection"><option text="An"/><option text="Aus"/></setting></section>
<section text="B"><setting text="Z" value="12:30" active="1" valuetype="inputtime_hhmm"/></section>)")
                        .arg(firstSetting)));
        QList<QPair<int, int>> progress;
        connect(&rig.bot, &LumBot::progressChanged, &rig.bot, [&] {
            progress.append({ rig.bot.itemsDone(), rig.bot.itemsTotal() });
        });
        QSignalSpy errors(&rig.bot, &LumBot::transmissionError);

        // After the identification: '+' to A, OK into A, OK opens the setting,
        // "12" and OK verified, ESC and '+' in one step to B, OK into B, OK
        // opens Z, "1230" and OK; then the closing identification.
        rig.script(QStringLiteral("%1;A?|;%2:|5;%2:||1;%2:|12;B?|;Z:|08:00;Z:||1;Z:|12:30;"
                                  "Programmierung|beenden?;Programmierung|beenden?;"
                                  "LUM 3000 V2.2|konfigurieren?")
                           .arg(baseAndIdentifier, firstSetting));
        rig.bot.startUpload();

        QVERIFY(rig.waitForIdentifier(QStringLiteral("LUM 3000 V2.2")));
        QCOMPARE(rig.bot.mode(), int(LumBot::Idle));
        QCOMPARE(errors.count(), 0);
        QCOMPARE(rig.keys(), QStringLiteral("E E + + K K 12K E+ K K 1230K E E +"));
        // Counted once the transfer began (read-only and blocked settings are
        // not among them), one up per verified value, back to 0 by the closing start.
        QCOMPARE(progress, (QList<QPair<int, int>>{ { 0, 2 }, { 1, 2 }, { 2, 2 }, { 0, 0 } }));
        // The transfer leaves the marks as they were.
        const QDomElement z = rig.profile.document()
                                      .documentElement()
                                      .firstChildElement()
                                      .lastChildElement()
                                      .firstChildElement();
        QCOMPARE(z.attribute(QStringLiteral("active")), QStringLiteral("1"));
    }

    void transfer_endsAtOnceWithoutKeyWhenNothingTransferable_data()
    {
        QTest::addColumn<QString>("tree");
        QTest::newRow("nothing marked")
                << R"(<section text="A"><setting text="X" value="1" active="0" valuetype="inputnum"/></section>)";
        QTest::newRow("only settings that cannot be keyed in are marked")
                << R"(<section text="A"><setting text="X" value="1" active="1" valuetype="readonly"/>
<setting text="S" value="1" active="1" valuetype="blocked"/></section>)";
    }

    void transfer_endsAtOnceWithoutKeyWhenNothingTransferable()
    {
        QFETCH(QString, tree);

        Rig rig;
        QVERIFY(rig.connectAll());
        QVERIFY(rig.loadProfile(tree));
        QSignalSpy errors(&rig.bot, &LumBot::transmissionError);
        QSignalSpy enabled(&rig.bot, &LumBot::enabledChanged);
        rig.script(baseAndIdentifier + QStringLiteral(";A?|")); // only if a key were sent
        rig.bot.startUpload();

        QVERIFY(rig.waitForIdentifier(identifier));
        QCOMPARE(rig.bot.mode(), int(LumBot::Idle));
        QCOMPARE(enabled.count(), 2); // on at the start, off at the end
        // No key after the identification screen, no return to the base menu.
        QTest::qWait(400);
        QCOMPARE(rig.keys(), QStringLiteral("E E +"));
        QCOMPARE(errors.count(), 0);
        QCOMPARE(rig.bot.itemsTotal(), 0);
    }

    void runningReadOut_ignoresStartsAndAbortDiscardsTree()
    {
        Rig rig;
        QVERIFY(rig.connectAll());
        rig.script(baseAndIdentifier + QStringLiteral(";Netz?|;Empfang|gut"));
        rig.bot.startDownload();
        QVERIFY(rig.waitForSteps(6));
        const QByteArray keysBefore = rig.device.keys();

        QSignalSpy enabled(&rig.bot, &LumBot::enabledChanged);
        rig.bot.startDownload();
        rig.bot.startUpload();
        rig.bot.startInit();
        QCOMPARE(rig.bot.mode(), int(LumBot::Download));
        QCOMPARE(enabled.count(), 0);
        QCOMPARE(rig.tree(), QStringLiteral("section:Netz{info:Empfang gut}"));

        QSignalSpy identity(&rig.bot, &LumBot::deviceIdentifierChanged);
        rig.bot.abort();
        QCOMPARE(rig.bot.mode(), int(LumBot::Idle));
        QCOMPARE(enabled.count(), 1);
        QCOMPARE(identity.count(), 1);
        QCOMPARE(rig.bot.deviceIdentifier(), QString());
        QCOMPARE(rig.tree(), QString());
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
        if (destroyLink)
            delete std::exchange(link, nullptr);
        else
            delete std::exchange(profile, nullptr);
        QCOMPARE(bot.kelHandler(), link);
        QCOMPARE(bot.profile(), profile);
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
        if (linksSet == 0) {
            QSignalSpy completed(&rig.link, &KelHandler::displayCompleted);
            rig.device.show(
                    ScriptedDevice::screen(QStringLiteral("Bereit"), QStringLiteral("LUM")));
            QVERIFY(completed.wait(5000));
        } else {
            QSignalSpy changed(&rig.bot, &LumBot::kelHandlerChanged);
            if (linksSet == 2)
                rig.bot.setKelHandler(&other);
            rig.bot.setKelHandler(&rig.link);
            QCOMPARE(changed.count(), linksSet);
            QCOMPARE(changed.last().at(0).value<KelHandler *>(), &rig.link);
        }
        rig.script(QStringLiteral("Bereit|LUM;Bereit|LUM;LUM 3000 V2.1|konfigurieren?"));
        rig.bot.startInit();
        // Were the robot still listening to the other handler, this would be
        // a step of its own, with a key of its own.
        emit other.displayCompleted();
        QVERIFY(rig.waitForIdentifier(identifier));
        QCOMPARE(rig.keys(), QStringLiteral("E E E"));
        QCOMPARE(rig.bot.mode(), int(LumBot::Idle));
    }
};

QTEST_GUILESS_MAIN(TestLumBotRules)
#include "tst_lumbot_rules.moc"
