// The menu robot's rules, one screen at a time: a fake link hands the robot
// the screens of a script, each in answer to the keys of the step before, and
// records its keys; the tests check the keys of every step, the robot's
// state and the tree. Screens are written "line 1|line 2|cursor row" (row 0
// when left out), keys one step after another, ESC as E and OK as K.

#include <QtTest>

#include "deviceprofile.h"
#include "fakerig.h"
#include "kelhandler.h"
#include "lumbot.h"
#include "menuscreen.h"

namespace {
const QString jumperWarning = QStringLiteral("Hinweis: Bitte zum Abschluss \"Programmierung "
                                             "beenden\" wählen und den Jumper zurücksetzen!");
// The base menu of a device in programming mode, found after one repeat,
// then the identification screen the '+' leads to.
const QString baseAndIdentifier = QStringLiteral(
        "Programmierung|beenden?;Programmierung|beenden?;LUM 3000 V2.1|konfigurieren?");

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
        // clang-format off
        const char *const rows[][3] = {
            { "colon on first line, cursor on first row: setting", "Zeit:|12:00|0|0", "setting|Zeit|12:00" },
            { "every colon leaves a setting's name", "A:B:|x|0|1", "setting|AB|x" },
            { "no-entry marker gives an empty value", "Rufnummer:|<KEIN EINTRAG!>|0|1", "setting|Rufnummer|" },
            { "cursor on second row: option named by second line", "Sprache:|Deutsch|1|1", "option|Deutsch|Deutsch" },
            { "option keeps the no-entry marker", "Rufnummer:|<KEIN EINTRAG!>|1|1", "option|<KEIN EINTRAG!>|<KEIN EINTRAG!>" },
            { "empty input line: nameless option", "Rufnummer:||1|1", "option||" },
            { "SIM-Entsperren open is an option", "SIM-Entsperren?|Ja|1|1", "option|Ja|Ja" },
            { "microphone channel told apart", "ALARM 2:|VERWENDET MIC2|0|1", "setting|ALARM 2 MIC|VERWENDET MIC2" },
            { "loudspeaker channel told apart", " ALARM 1:|VERWENDET LSP1|0|1", "setting|ALARM 1 LSP|VERWENDET LSP1" },
            { "channel text must be the whole line", "ALARM 2:|VERWENDET MIC2X|0|1", "setting|ALARM 2|VERWENDET MIC2X" },
            { "colon wins over question mark", "Frage?:|Ja|0|1", "setting|Frage?|Ja" },
            { "section at level 0 is named by its first line", "Notruf|Einstellungen?|0|0", "section|Notruf|Einstellungen?" },
            { "question on first line, deeper, joins both lines", "Rufe?|alle|0|1", "section|Rufe alle|alle" },
            { "empty screen is a nameless info", "||0|1", "info||" },
            { "text beyond the visible width belongs to the line", "Notrufeinstellung 2||0|0", "info|Notrufeinstellung 2|" },
        };
        // clang-format on
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

    void baseMenu_keyAndWarningDependOnProgrammingMode_data()
    {
        QTest::addColumn<QString>("baseMenu");
        QTest::addColumn<QString>("baseKey");
        QTest::addColumn<QString>("warning");
        // clang-format off
        QTest::newRow("programming mode: plus and jumper warning") << "Programmierung|beenden?" << "+" << jumperWarning;
        QTest::newRow("entry on one line") << "Programmierung beenden|" << "+" << jumperWarning;
        QTest::newRow("other base menu: ESC and no warning") << "Bereit|LUM 3000" << "E" << QString();
        // clang-format on
    }

    void baseMenu_keyAndWarningDependOnProgrammingMode()
    {
        QFETCH(QString, baseMenu);
        QFETCH(QString, baseKey);
        QFETCH(QString, warning);

        FakeRig rig;
        rig.script(baseMenu + QLatin1Char(';') + baseMenu
                   + QStringLiteral(";LUM 3000 V2.1|konfigurieren?"));
        rig.bot.startDownload();
        rig.link.run(4);

        QCOMPARE(rig.keys(), QStringLiteral("E E %1 K").arg(baseKey));
        QCOMPARE(rig.bot.deviceWarning(), warning);
        QCOMPARE(rig.bot.deviceIdentifier(), QStringLiteral("LUM 3000 V2.1"));
        // The base-menu key goes with the long wait (the device redraws more
        // than usual), and no other key does before the transfer's values.
        QCOMPARE(rig.link.timedKeys(), baseKey + QStringLiteral("@500"));
    }

    // A job on a scripted device, screen by screen: the keys of every step,
    // the tree and how the job ends ("running" when the robot is still at
    // it after those keys; a tree of "=" is the tree as it was loaded).
    void scriptedJob_followsTheScreens_data()
    {
        QTest::addColumn<QString>("job"); // read, write with the tree given, or init
        QTest::addColumn<QString>("screens");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("tree");
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<QString>("progress"); // done/total after each change, if checked
        const QString baseMenuFails =
                "Fehler bei Initialisierung!\nBasismenü kann nicht gefunden werden!";
        const QString noConnection = "Fehler beim Auslesen!\nKeine Verbindung zum Gerät!";
        const QString identified = "LUM 3000 V2.1|konfigurieren?";
        const QString marked =
                R"(write <section text="A"><setting text="%1" value="12" active="1" valuetype="inputnum"/>
<setting text="W" value="7" active="1" valuetype="readonly"/><setting text="S" value="1" active="1" valuetype="blocked"/>
<setting text="Y" value="Aus" active="0" valuetype="selection"><option text="An"/><option text="Aus"/></setting></section>
<section text="B"><setting text="Z" value="12:30" active="1" valuetype="inputtime_hhmm"/></section>)";
        // After the identification: '+' to A, OK into A, OK opens the setting,
        // "12" and OK verified, ESC and '+' in one step to B, OK into B, OK
        // opens Z, "1230" and OK; then the closing identification. Right after
        // the first value the screen still shows that setting while the robot
        // climbs out with ESC; its name must not be taken for the next
        // section's entry. Counted once the transfer began (read-only and
        // blocked settings are not among them), one up per verified value, back
        // to 0 by the closing start.
        const QString transfer =
                "A?|;%1:|5;%1:||1;%1:|12;B?|;Z:|08:00;Z:||1;Z:|12:30;Programmierung|beenden?;"
                "Programmierung|beenden?;LUM 3000 V2.2|konfigurieren?";
        // The start sends one ESC; the search sends at most ten more. The last
        // screen shown repeats: the count is checked before the comparison.
        // The base menu is answered with ESC (no programming mode).
        QString screens;
        for (int i = 1; i <= 10; ++i)
            screens += QStringLiteral("Menue %1|Ebene %1;").arg(i);
        // Inside section A (level 1) the section B was walked and left with
        // ESC; the device now shows the screen under test, then the entry Z.
        // When that screen ends the search, Z belongs to the outer section.
        const QString wayBack = "%1?|;Menue|%2?;P|;P|;%3;Z|";
        const QString wayBackKeys = "E E + K K K + E %1 +";
        const QString wayBackTree = "section:%1{section:%2{info:P=}%3}";
        // clang-format off
        QTest::newRow("base menu: repeat after the tenth ESC still fails") << "read" << "!" + screens + "Menue 10|Ebene 10;" + identified << "E E E E E E E E E E E" << "" << baseMenuFails << "";
        QTest::newRow("base menu: repeat after the ninth ESC is the base menu") << "read" << "!" + screens.section(';', 0, 8) + ";Menue 9|Ebene 9;" + identified << "E E E E E E E E E E E K" << "" << "running" << "";
        QTest::newRow("base menu: settled at once") << "read" << "!Menue 1|Ebene 1;Menue 1|Ebene 1;" + identified << "E E E K" << "" << "running" << "";
        // Blocked sections and settings, and those of time and date, are
        // recorded and passed; only "Uhrzeit" itself is the clock.
        QTest::newRow("entries recorded but never opened") << "read" << "Reset-Optionen?|;Netzauswahl:|Auto;Timerzeit 2:|07:45;Datum:|01.02.26;Uhrzeit Sommer:|Ja" << "E E + K + + + + K" << "section:Reset-Optionen(blocked), setting:Netzauswahl=Auto(blocked), setting:Timerzeit 2=07:45(inputtime_hhmm), setting:Datum=01.02.26(inputsystemdate), setting:Uhrzeit Sommer=Ja" << "running" << "";
        // A setting is opened with OK; what it shows then tells its kind.
        QTest::newRow("cursor stays on first row: read-only") << "read" << "Seriennr:|12345;Seriennr:|12345;Seriennr:|12345" << "E E + K K +" << "setting:Seriennr=12345(readonly)" << "" << "";
        QTest::newRow("empty input line: number input") << "read" << "Seriennr:|12345;Seriennr:||1;Seriennr:|12345;Seriennr:|12345" << "E E + K K E +" << "setting:Seriennr=12345(inputnum)" << "" << "";
        QTest::newRow("options until one repeats: selection") << "read" << "Seriennr:|12345;Seriennr:|An|1;Seriennr:|Aus|1;Seriennr:|An|1;Seriennr:|12345;Seriennr:|12345" << "E E + K K + + E +" << "setting:Seriennr=12345(selection){option:An, option:Aus}" << "" << "";
        QTest::newRow("options ended by a blank screen: selection") << "read" << "Seriennr:|12345;Seriennr:|An|1;Seriennr:|Aus|1;||0;Seriennr:|12345;Seriennr:|12345" << "E E + K K + + E +" << "setting:Seriennr=12345(selection){option:An, option:Aus}" << "" << "";
        // A blank screen inside a section ends it like a repeated entry; the
        // section is no list of choices, or its entries would vanish from the editor.
        QTest::newRow("blank screen ends a section without marking it") << "read" << "Netz?|;Empfang|gut;|;Netz?|;Netz?|" << "E E + K K + E +" << "section:Netz{info:Empfang gut=gut}" << "" << "";
        // Silent on the top level, the device's last screen comes again after
        // the link's extra wait: an entry seen before is no end of the menu.
        QTest::newRow("silence on the top level is no end of the menu") << "read" << "Hinweis|" << "E E + K + E E" << "" << noConnection << "";
        QTest::newRow("way back A,B: setting B ends the search") << "read" << wayBack.arg("A", "B", "B:|1") << wayBackKeys.arg("+") << wayBackTree.arg("A", "B", ", info:Z=") << "running" << "";
        QTest::newRow("way back A,B: section B ends the search") << "read" << wayBack.arg("A", "B", "Menue|B?") << wayBackKeys.arg("+") << wayBackTree.arg("A", "B", ", info:Z=") << "running" << "";
        QTest::newRow("way back A,B: section A is entered") << "read" << wayBack.arg("A", "B", "Menue|A?") << wayBackKeys.arg("K") << wayBackTree.arg("A", "B", "") << "running" << "";
        QTest::newRow("way back A,B: setting A is passed") << "read" << wayBack.arg("A", "B", "A:|1") << wayBackKeys.arg("+") << wayBackTree.arg("A", "B", "") << "running" << "";
        QTest::newRow("way back B,B: section B is taken for the enclosing one and entered") << "read" << wayBack.arg("B", "B", "Menue|B?") << wayBackKeys.arg("K") << wayBackTree.arg("B", "B", "") << "running" << "";
        QTest::newRow("way back B,B: setting B ends the search") << "read" << wayBack.arg("B", "B", "B:|1") << wayBackKeys.arg("+") << wayBackTree.arg("B", "B", ", info:Z=") << "running" << "";
        QTest::newRow("way back B,B: info B ends nothing and is passed") << "read" << wayBack.arg("B", "B", "B|") << wayBackKeys.arg("+") << wayBackTree.arg("B", "B", "") << "running" << "";
        QTest::newRow("transfer across sections, plain names") << marked.arg("X") << transfer.arg("X") << "E E + + K K 12K E+ K K 1230K E E +" << "=" << "" << "0/2 1/2 2/2 0/0";
        QTest::newRow("transfer, setting left is named like the next section") << marked.arg("B") << transfer.arg("B") << "E E + + K K 12K E+ K K 1230K E E +" << "=" << "" << "0/2 1/2 2/2 0/0";
        // Nothing to key in: no key after the identification screen, no return to the base menu.
        QTest::newRow("transfer, nothing marked") << R"(write <section text="A"><setting text="X" value="1" active="0" valuetype="inputnum"/></section>)" << "A?|" << "E E +" << "=" << "" << "";
        QTest::newRow("transfer, only settings that cannot be keyed in are marked") << R"(write <section text="A"><setting text="X" value="1" active="1" valuetype="readonly"/><setting text="S" value="1" active="1" valuetype="blocked"/></section>)" << "A?|" << "E E +" << "=" << "" << "";
        // Each screen is one step of the identification, answered with one key,
        // also when the device shows its base menu before the start or the robot
        // was given its link again: a screen handled twice would be taken for the
        // base menu at once and answered with two keys in one step.
        const QString ready = "!Bereit|LUM;Bereit|LUM;" + identified;
        QTest::newRow("identification, base menu shown before the start") << "init, base menu shown" << ready << "E E E" << "" << "" << "";
        QTest::newRow("identification, same link set twice") << "init, link set again" << ready << "E E E" << "" << "" << "";
        QTest::newRow("identification, other link, then this one again") << "init, other link set, then this" << ready << "E E E" << "" << "" << "";
        // clang-format on
    }

    void scriptedJob_followsTheScreens()
    {
        QFETCH(QString, job);
        QFETCH(QString, screens);
        QFETCH(QString, keys);
        QFETCH(QString, tree);
        QFETCH(QString, outcome);
        QFETCH(QString, progress);

        FakeRig rig;
        const bool write = job.startsWith(QLatin1String("write "));
        QVERIFY(!write || rig.loadProfile(job.mid(6)));
        FakeLink other;
        if (job.endsWith(QLatin1String("shown")))
            rig.link.show(QStringLiteral("Bereit|LUM"));
        if (job.contains(QLatin1String("other")))
            rig.bot.setDeviceLink(&other);
        if (job.contains(QLatin1String("link")))
            rig.bot.setDeviceLink(&rig.link);
        QCOMPARE(rig.bot.deviceLink(), &rig.link);
        QString signalled; // the identifier as it was when last announced
        connect(&rig.bot, &LumBot::deviceIdentifierChanged, &rig.bot,
                [&] { signalled = rig.bot.deviceIdentifier(); });
        const QString treeBefore = rig.tree();
        QStringList progressSeen;
        QStringList progressTexts;
        connect(&rig.bot, &LumBot::progressChanged, &rig.bot, [&] {
            progressSeen.append(
                    QStringLiteral("%1/%2").arg(rig.bot.itemsDone()).arg(rig.bot.itemsTotal()));
            progressTexts.append(rig.bot.progressText());
        });
        QSignalSpy errors(&rig.bot, &LumBot::transmissionError);
        // Screens marked '!' begin with a base menu of their own.
        rig.script(screens.startsWith('!') ? screens.mid(1) : baseAndIdentifier + ';' + screens);
        if (job.startsWith(QLatin1String("init"))) {
            rig.bot.startInit();
            // Were the robot still listening to the other link, this would be
            // a step of its own, with a key of its own.
            emit other.displayCompleted();
            QVERIFY(other.keys().isEmpty());
        } else {
            write ? rig.bot.startUpload() : rig.bot.startDownload();
        }
        const int steps = keys.count(QLatin1Char(' ')) + 1;
        if (outcome == QLatin1String("running")) {
            rig.link.run(steps);
            QCOMPARE(rig.keys(), keys);
            QVERIFY(rig.bot.isEnabled());
            QCOMPARE(rig.bot.lastErrorString(), QString());
        } else {
            rig.link.run();
            QVERIFY2(!rig.bot.isEnabled(), qPrintable(rig.keys()));
            QCOMPARE(rig.keys(), keys);
            // Nothing after the end, neither a key nor a return to the base menu.
            rig.link.show(QStringLiteral("Bereit|LUM"));
            QCOMPARE(rig.link.lastStep(), QByteArray());
            QCOMPARE(rig.bot.lastErrorString(), outcome);
            QCOMPARE(errors.count(), outcome.isEmpty() ? 0 : 1);
        }
        QCOMPARE(rig.tree(), tree == QLatin1String("=") ? treeBefore : tree);
        if (!progress.isEmpty()) {
            QCOMPARE(progressSeen.join(QLatin1Char(' ')), progress);
            // The window's label words each count: a transfer out of its
            // total, a read-out what it has read, nothing before the first.
            QStringList expectedTexts;
            for (const QString &count : progressSeen) {
                const int done = count.section(QLatin1Char('/'), 0, 0).toInt();
                const int total = count.section(QLatin1Char('/'), 1, 1).toInt();
                expectedTexts << (total > 0 ? QStringLiteral("%1 von %2 Einstellungen übertragen")
                                                      .arg(done)
                                                      .arg(total)
                                  : done > 0 ? QStringLiteral("%1 Einträge gelesen").arg(done)
                                             : QString());
            }
            QCOMPARE(progressTexts, expectedTexts);
        }
        QCOMPARE(signalled, rig.bot.deviceIdentifier());
    }

    // A line of dots on the second row: the device is busy searching. The
    // robot waits without a key, however often the dots are drawn, and goes
    // on with the screen the device then shows by itself. While it runs,
    // starts are ignored; an abort leaves the device where it stands and
    // discards the tree.
    void runningReadOut_waitsOutBusyScreenIgnoresStartsAndAborts()
    {
        FakeRig rig;
        rig.script(baseAndIdentifier + QStringLiteral(";Netzsuche?|;Suche:|.....|1"));
        rig.bot.startDownload();
        rig.link.run();
        QCOMPARE(rig.link.keys(true), QStringLiteral("E E + K K -"));
        // The device redraws its dots while it searches: the same screen a
        // third time is no sign of a menu gone wrong.
        for (int redraw = 0; redraw < 2; ++redraw) {
            rig.link.show(QStringLiteral("Suche:|.....|1"));
            QCOMPARE(rig.link.lastStep(), QByteArray());
        }
        QCOMPARE(rig.tree(), QStringLiteral("section:Netzsuche"));
        rig.link.show(QStringLiteral("Suche:|Netz.A|1"));
        QCOMPARE(rig.keys(), QStringLiteral("E E + K K +"));
        QCOMPARE(rig.tree(), QStringLiteral("section:Netzsuche{option:NetzA}"));

        QSignalSpy enabled(&rig.bot, &LumBot::enabledChanged);
        rig.bot.startDownload();
        rig.bot.startUpload();
        rig.bot.startInit();
        QCOMPARE(rig.bot.mode(), LumBot::Download);
        QCOMPARE(enabled.count(), 0);
        QCOMPARE(rig.keys(), QStringLiteral("E E + K K +"));
        QSignalSpy identity(&rig.bot, &LumBot::deviceIdentifierChanged);
        rig.bot.abort();
        rig.bot.abort();
        // The tree is discarded and the device no longer identified at once;
        // the robot stays busy while ESC takes the device back to its base
        // menu, the screen that ESC no longer changes.
        QCOMPARE(rig.bot.mode(), LumBot::Return);
        QCOMPARE(enabled.count(), 0);
        QCOMPARE(identity.count(), 1);
        QCOMPARE(rig.bot.deviceIdentifier(), QString());
        QCOMPARE(rig.tree(), QString());
        QCOMPARE(rig.bot.jobOutcome(),
                 QStringLiteral("Auslesen abgebrochen. Gerät wird ins Basismenü zurückgeführt …"));
        rig.script(QStringLiteral("Netzsuche?|;Bereit|LUM;Bereit|LUM"));
        rig.link.run();
        QCOMPARE(rig.keys(), QStringLiteral("E E + K K + E E E"));
        QCOMPARE(enabled.count(), 1);
        QVERIFY(!rig.bot.isEnabled());
        QCOMPARE(rig.bot.jobOutcome(), QStringLiteral("Auslesen abgebrochen. Gerät im Basismenü."));
        QCOMPARE(rig.bot.lastErrorString(), QString());
    }

    // Every job that ends early on a working line takes the device back to
    // its base menu: ESC closes a field the robot opened (never OK), further
    // ESC climb until ESC no longer changes the screen. The robot is busy
    // until then; the outcome line says where the device was left. Over a
    // lost line nothing is sent. `event` happens after the given number of
    // steps: "abort" or "lost" (with the link's reason).
    void earlyEnd_climbsBackToBaseMenu_data()
    {
        QTest::addColumn<QString>("job"); // "read" or a tree to transfer
        QTest::addColumn<QString>("screens");
        QTest::addColumn<QString>("event");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QString>("outcome");
        const QString selection =
                R"(<section text="A"><setting text="X" value="Auto" active="1" valuetype="selection"><option text="Auto"/><option text="Hand"/></setting></section>)";
        const QString options = "X:|Auto|1;X:|Hand|1;X:|Aus|1;X:|Auto|1;X:|Hand|1;X:|Aus|1;X:|Auto|"
                                "1;X:|Hand|1;X:|Aus|1;X:|Auto|1";
        const QString notFound = "Fehler beim Übertragen von: A/X\nWert \"Manuell\" konnte auf dem "
                                 "Gerät leider nicht gefunden werden!";
        const QString atBase = "Gerät im Basismenü.";
        const QString elsewhere =
                "Gerät steht möglicherweise nicht im Basismenü, bitte am Gerät prüfen.";
        const QString lost = "Verbindung getrennt, Gerät steht möglicherweise nicht im Basismenü.";
        QString restless;
        for (int i = 1; i <= 11; ++i)
            restless += QStringLiteral(";Menue %1|Ebene %1").arg(i);
        // clang-format off
        QTest::newRow("abort in an open setting") << "read" << "A?|;X:|1;X:|1|1;X:|1;A?|;Bereit|;Bereit|" << "abort 6" << "E E + K K K E E E E E" << "" << "Auslesen abgebrochen. " + atBase;
        QTest::newRow("abort on the identification screen") << "read" << "Bereit|;Bereit|" << "abort 3" << "E E + E E E" << "" << "Auslesen abgebrochen. " + atBase;
        QTest::newRow("abort, the climb never settles") << "read" << "A?|" + restless << "abort 4" << "E E + K E E E E E E E E E E E" << "" << "Auslesen abgebrochen. " + elsewhere;
        QTest::newRow("abort, the device falls silent") << "read" << "A?|" << "abort 4" << "E E + K E E E" << "" << "Auslesen abgebrochen. " + elsewhere;
        QTest::newRow("abort, line lost during the climb") << "read" << "A?|;X:|1;X:|1" << "abort 4, lost 5" << "E E + K E" << "" << "Auslesen abgebrochen. " + lost;
        QTest::newRow("line lost during the read-out") << "read" << "A?|;X:|1" << "lost 5" << "E E + K K" << "Fehler beim Auslesen!\nVerbindung zum Gerät wurde getrennt!\nSchreibfehler" << "Auslesen fehlgeschlagen. " + lost;
        QTest::newRow("read-out fails too deep in its menu") << "read" << "A?|;P|;P|;B|;B|;B|;B|;Bereit|;Bereit|" << "" << "E E + K K + E + + + E E" << "Fehler beim Auslesen!\nVerbindung zum Gerät wurde getrennt oder Menüstruktur ist inkonsistent!" << "Auslesen fehlgeschlagen. " + atBase;
        QTest::newRow("option not found: the selection is closed with ESC") << selection << "A?|;X:|Auto;" + options + ";X:|Auto;A?|;Bereit|;Bereit|" << "" << "E E + + K K + + + + + + + + + E E E E" << notFound << "Übertragung fehlgeschlagen. " + atBase;
        QTest::newRow("abort in an open selection during a transfer") << selection << "A?|;X:|Auto;X:|Auto|1;X:|Hand|1;X:|Aus|1;X:|Auto;A?|;Bereit|;Bereit|" << "abort 8" << "E E + + K K + + E E E E E" << "" << "Übertragung abgebrochen. " + atBase;
        // clang-format on
    }

    void earlyEnd_climbsBackToBaseMenu()
    {
        QFETCH(QString, job);
        QFETCH(QString, screens);
        QFETCH(QString, event);
        QFETCH(QString, keys);
        QFETCH(QString, error);
        QFETCH(QString, outcome);

        FakeRig rig;
        const bool write = job != QLatin1String("read");
        QVERIFY(!write
                || rig.loadProfile(job.replace(QStringLiteral("Auto\" active"),
                                               QStringLiteral("Manuell\" active"))));
        rig.script(baseAndIdentifier + QLatin1Char(';') + screens);
        int enabledChanges = 0;
        connect(&rig.bot, &LumBot::enabledChanged, &rig.bot, [&] { ++enabledChanges; });
        QSignalSpy errors(&rig.bot, &LumBot::transmissionError);
        write ? rig.bot.startUpload() : rig.bot.startDownload();
        // Each event once the robot has answered the screen of the step it
        // names, as the technician's click comes between two screens.
        rig.playEvents(event);

        QCOMPARE(rig.keys(), keys);
        // Busy from the start until the end, then idle.
        QCOMPARE(enabledChanges, 2);
        QVERIFY(!rig.bot.isEnabled());
        QCOMPARE(rig.bot.lastErrorString(), error);
        QCOMPARE(errors.count(), error.isEmpty() ? 0 : 1);
        QCOMPARE(rig.bot.jobOutcome(), outcome);
        rig.link.show(QStringLiteral("Bereit|"));
        QCOMPARE(rig.link.lastStep(), QByteArray());
    }

    // Every job ends with one result, signalled once when the robot is idle
    // and everything about the job is known: the job, the outcome, where the
    // device was left, the counts and, for a transfer, every marked setting.
    // Written "job outcome left id=... read=N written=N/N", then one
    // "path state before>written>showed reason" per marked setting.
    void jobResult_saysHowTheJobEnded_data()
    {
        QTest::addColumn<QString>("job"); // init, read, or a tree to transfer
        QTest::addColumn<QString>("screens");
        QTest::addColumn<QString>("event");
        QTest::addColumn<QString>("result");
        const QString id = "LUM 3000 V2.1";
        const QString marked =
                R"(<section text="A"><setting text="R" value="7" active="1" valuetype="readonly"/><setting text="N" value="12" active="1" valuetype="inputnum"/><setting text="X" value="Manuell" active="1" valuetype="selection"><option text="Auto"/></setting><setting text="M" value="3" active="1" valuetype="inputnum"/></section>)";
        QString options;
        for (int i = 0; i < 10; ++i)
            options += QStringLiteral(";X:|%1|1").arg(i % 2 ? "Aus" : "Auto");
        // clang-format off
        QTest::newRow("identification") << "init" << "" << "" << "identification done not-said id=" + id + " read=0 written=0/0";
        QTest::newRow("no device") << "init" << "!|;|;|" << "" << "identification no-device not-said id= read=0 written=0/0";
        QTest::newRow("identification cancelled") << "init" << "!Bereit|;Bereit|" << "abort 1" << "identification cancelled base-menu id= read=0 written=0/0";
        QTest::newRow("read-out done") << "read" << "A?|;P|;P|;A?|;A?|" << "" << "read-out done not-said id=" + id + " read=2 written=0/0";
        QTest::newRow("read-out cancelled") << "read" << "A?|;Bereit|;Bereit|" << "abort 5" << "read-out cancelled base-menu id= read=0 written=0/0";
        QTest::newRow("read-out failed") << "read" << "A?|;P|;P|;B|;B|;B|;B|;Bereit|;Bereit|" << "" << "read-out failed base-menu id= read=0 written=0/0";
        QTest::newRow("read-out, line lost") << "read" << "A?|;P|" << "lost 5" << "read-out failed line-lost id= read=0 written=0/0";
        QTest::newRow("transfer fails at its second setting") << marked << "A?|;R:|7;N:|5;N:||1;N:|12;X:|Auto;X:|Auto|1" + options + ";X:|Auto;A?|;Bereit|;Bereit|"
            << "" << "transfer failed base-menu id=" + id + " read=0 written=1/3\nA/R passed-over >7> nur lesbar\nA/N taken-over 5>12>12 \nA/X not-taken-over Auto>Manuell> Fehler beim Übertragen von: A/X\nWert \"Manuell\" konnte auf dem Gerät leider nicht gefunden werden!\nA/M not-reached >3> ";
        QTest::newRow("transfer done") << R"(<section text="A"><setting text="N" value="12" active="1" valuetype="inputnum"/></section>)" << "A?|;N:|5;N:||1;N:|12;Programmierung|beenden?;Programmierung|beenden?;LUM 3000 V2.2|konfigurieren?"
            << "" << "transfer done not-said id=LUM 3000 V2.2 read=0 written=1/1\nA/N taken-over 5>12>12 ";
        // clang-format on
    }

    void jobResult_saysHowTheJobEnded()
    {
        QFETCH(QString, job);
        QFETCH(QString, screens);
        QFETCH(QString, event);
        QFETCH(QString, result);

        FakeRig rig;
        const bool write = job != QLatin1String("read") && job != QLatin1String("init");
        QVERIFY(!write || rig.loadProfile(job));
        rig.script(screens.startsWith('!') ? screens.mid(1)
                                           : baseAndIdentifier + QLatin1Char(';') + screens);
        int finished = 0;
        bool idleWhenFinished = false;
        connect(&rig.bot, &LumBot::jobFinished, &rig.bot, [&] {
            ++finished;
            idleWhenFinished = !rig.bot.isEnabled();
        });
        job == QLatin1String("init") ? rig.bot.startInit()
                : write              ? rig.bot.startUpload()
                                     : rig.bot.startDownload();
        rig.playEvents(event);
        QVERIFY(!rig.bot.isEnabled());
        QCOMPARE(finished, 1);
        QVERIFY(idleWhenFinished);

        static const char *const jobs[] = { "none", "identification", "read-out", "transfer" };
        static const char *const outcomes[] = { "running", "done", "cancelled", "failed",
                                                "no-device" };
        static const char *const places[] = { "not-said", "returning", "base-menu", "elsewhere",
                                              "line-lost" };
        static const char *const states[] = { "not-reached", "taken-over", "passed-over",
                                              "not-taken-over" };
        const JobResult got = rig.bot.lastResult();
        QStringList lines{ QStringLiteral("%1 %2 %3 id=%4 read=%5 written=%6/%7")
                                   .arg(QLatin1String(jobs[got.job]),
                                        QLatin1String(outcomes[got.outcome]),
                                        QLatin1String(places[got.deviceLeft]), got.deviceIdentifier)
                                   .arg(got.entriesRead)
                                   .arg(got.settingsWritten)
                                   .arg(got.settingsToWrite) };
        for (const JobResult::Setting &setting : got.settings)
            lines.append(QStringLiteral("%1 %2 %3>%4>%5 %6")
                                 .arg(setting.menuPath.join(QLatin1Char('/')),
                                      QLatin1String(states[setting.state]), setting.valueBefore,
                                      setting.valueWritten, setting.deviceShowed, setting.reason));
        QCOMPARE(lines.join(QLatin1Char('\n')), result);
        QCOMPARE(got.error,
                 got.outcome == JobResult::Failed ? rig.bot.lastErrorString() : QString());
        QCOMPARE(rig.bot.jobOutcome(), got.outcomeLine());
    }

    // The check: '+' along the lists, OK into sections only, ESC out of them;
    // a setting's value is read off the list, the setting never opened. Then
    // ESC back to the base menu. Written: the keys of every step, how the job
    // ended, one "path found=value | missing | not-reached" per checked path,
    // and per setting of the tree "path comparison marked".
    void check_readsListsWithoutOpeningSettings_data()
    {
        QTest::addColumn<QString>("tree");
        QTest::addColumn<bool>("allEditable");
        QTest::addColumn<QString>("screens");
        QTest::addColumn<QString>("event");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("result");
        // X and Z marked, Y not; W read-only, U the clock.
        const QString tree =
                R"(<section text="A"><setting text="X" value="12" active="1" valuetype="inputnum"/>
<setting text="Y" value="Aus" active="0" valuetype="selection"><option text="An"/><option text="Aus"/></setting>
<setting text="U" value="08:00" active="1" valuetype="inputsystemtime"/></section>%1
<section text="B"><setting text="Z" value="12:30" active="1" valuetype="inputtime_hhmm"/>
<setting text="Seriennummer" value="4711" active="0" valuetype="readonly"/></section>)";
        const QString missingSection =
                R"(<section text="C"><setting text="Q" value="1" active="1" valuetype="inputnum"/></section>)";
        const QString common = "A/U not-compared 1";
        // clang-format off
        QTest::newRow("marked settings across sections") << tree.arg("") << false
            << "A?|;X:|5;B?|;Z:|12:30;Seriennummer:|0815;B?|;B?|" << ""
            << "E E + + K E+ K + E E"
            << "check done base-menu serial=0815\nA/X found=5\nB/Z found=12:30\nB/Seriennummer found=0815\nA/X differs 1\nA/Y not-compared 0\n" + common + "\nB/Z same 0\nB/Seriennummer differs 0";
        QTest::newRow("every editable setting, in list order") << tree.arg("") << true
            << "A?|;X:|12;Y:|An;B?|;Z:|12:30;Seriennummer:|4711;B?|;B?|" << ""
            << "E E + + K + E+ K + E E"
            << "check done base-menu serial=4711\nA/X found=12\nA/Y found=An\nB/Z found=12:30\nB/Seriennummer found=4711\nA/X same 0\nA/Y differs 1\n" + common + "\nB/Z same 0\nB/Seriennummer same 0";
        // The device's top level comes round without C: its settings are
        // missing, the walk goes on with B.
        QTest::newRow("section not on the device") << tree.arg(missingSection) << false
            << "A?|;X:|12;B?|;A?|;B?|;A?|;B?|;A?|;B?|;Z:|12:30;Seriennummer:|4711;B?|;B?|" << ""
            << "E E + + K E+ + + + + + + K + E E"
            << "check done base-menu serial=4711\nA/X found=12\nC/Q missing\nB/Z found=12:30\nB/Seriennummer found=4711\nA/X same 0\nA/Y not-compared 0\n" + common + "\nC/Q not-on-device 0\nB/Z same 0\nB/Seriennummer same 0";
        QTest::newRow("setting not in its list") << tree.arg("").replace("text=\"Z\"", "text=\"V\"") << false
            << "A?|;X:|12;B?|;Seriennummer:|4711;Z:|1;Seriennummer:|4711;Z:|1;Seriennummer:|4711;Z:|1;Seriennummer:|4711;B?|;B?|" << ""
            << "E E + + K E+ K + + + + + + E E"
            << "check done base-menu serial=4711\nA/X found=12\nB/V missing\nB/Seriennummer found=4711\nA/X same 0\nA/Y not-compared 0\n" + common + "\nB/V not-on-device 0\nB/Seriennummer same 0";
        QTest::newRow("cancelled on the way") << tree.arg("") << false
            << "A?|;X:|5;B?|;A?|;A?|" << "abort 6"
            << "E E + + K E+ E E E"
            << "check cancelled base-menu serial=\nA/X found=5\nB/Z not-reached\nB/Seriennummer not-reached\nA/X not-compared 1\nA/Y not-compared 0\n" + common + "\nB/Z not-compared 1\nB/Seriennummer not-compared 0";
        QTest::newRow("line lost") << tree.arg("") << false
            << "A?|;X:|5" << "lost 6"
            << "E E + + K E+"
            << "check failed line-lost serial=\nA/X found=5\nB/Z not-reached\nB/Seriennummer not-reached\nA/X not-compared 1\nA/Y not-compared 0\n" + common + "\nB/Z not-compared 1\nB/Seriennummer not-compared 0";
        // clang-format on
    }

    void check_readsListsWithoutOpeningSettings()
    {
        QFETCH(QString, tree);
        QFETCH(bool, allEditable);
        QFETCH(QString, screens);
        QFETCH(QString, event);
        QFETCH(QString, keys);
        QFETCH(QString, result);

        FakeRig rig;
        QVERIFY(rig.loadProfile(tree));
        const QString treeBefore = rig.tree();
        rig.script(baseAndIdentifier + QLatin1Char(';') + screens);
        QSignalSpy finished(&rig.bot, &LumBot::jobFinished);
        rig.bot.startCheck(allEditable);
        rig.playEvents(event);
        QVERIFY(!rig.bot.isEnabled());
        QCOMPARE(finished.count(), 1);
        QCOMPARE(rig.keys(), keys);

        static const char *const outcomes[] = { "running", "done", "cancelled", "failed",
                                                "no-device" };
        static const char *const places[] = { "not-said", "returning", "base-menu", "elsewhere",
                                              "line-lost" };
        static const char *const comparisons[] = { "not-compared", "same", "differs",
                                                   "not-on-device" };
        const JobResult got = rig.bot.lastResult();
        QCOMPARE(got.job, JobResult::Check);
        QStringList lines{ QStringLiteral("check %1 %2 serial=%3")
                                   .arg(QLatin1String(outcomes[got.outcome]),
                                        QLatin1String(places[got.deviceLeft]),
                                        got.deviceSerialNumber) };
        for (const CheckedSetting &checked : got.checked) {
            const QString path = checked.menuPath.join(QLatin1Char('/'));
            lines.append(!checked.reached ? path + QStringLiteral(" not-reached")
                                 : checked.found ? path + QStringLiteral(" found=") + checked.deviceValue
                                                 : path + QStringLiteral(" missing"));
        }
        for (const ConfItem *item : rig.profile.items()) {
            if (item->element().isNull() || item->kind() == ValueType::Kind::Unknown)
                continue;
            lines.append(QStringLiteral("%1 %2 %3")
                                 .arg(item->menuPath().join(QLatin1Char('/')),
                                      QLatin1String(comparisons[item->comparison()]))
                                 .arg(item->active() ? 1 : 0));
        }
        QCOMPARE(lines.join(QLatin1Char('\n')), result);
        // Only the values of the comparison and the marks changed; nothing was read into the tree.
        QString treeAfter = rig.tree();
        QCOMPARE(treeAfter.remove(QRegularExpression(QStringLiteral("[01]\\)"))).size(),
                 QString(treeBefore).remove(QRegularExpression(QStringLiteral("[01]\\)"))).size());
        QCOMPARE(rig.profile.differenceCount(),
                 int(std::count_if(rig.profile.items().cbegin(), rig.profile.items().cend(),
                                   [](const ConfItem *item) {
                                       return item->editable() && item->type() != QLatin1String("inputsystemtime")
                                               && (item->comparison() == ConfItem::Differs
                                                   || item->comparison() == ConfItem::NotOnDevice);
                                   })));
    }

    // The check of the serial number alone: the same walk to the one
    // read-only setting, nothing opened and nothing compared. The marks, the
    // values and the comparison of the profile stay as they were; the result
    // names the serial number the list showed. Written as above, plus the
    // outcome line (its clock left out).
    void serialCheck_walksToTheSerialNumberOnly_data()
    {
        QTest::addColumn<QString>("tree");
        QTest::addColumn<QString>("screens");
        QTest::addColumn<QString>("event");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("result");
        // X and Z marked and differing from what the device shows.
        const QString tree =
                R"(<section text="A"><setting text="X" value="12" active="1" valuetype="inputnum"/></section>
<section text="B"><setting text="Z" value="12:30" active="1" valuetype="inputtime_hhmm"/>
<setting text="Seriennummer" value="4711" active="0" valuetype="readonly"/></section>)";
        // clang-format off
        QTest::newRow("past the marked settings to the serial number") << tree
            << "A?|;B?|;Z:|08:00;Seriennummer:|0815;B?|;B?|" << ""
            << "E E + + + K + E E"
            << "check done base-menu serial=0815\nB/Seriennummer found=0815\n"
               "Seriennummer 0815 gelesen (*) Gerät im Basismenü.";
        QTest::newRow("the list shows no serial number") << tree
            << "A?|;B?|;Z:|08:00;Info:|x;Z:|08:00;Info:|x;Z:|08:00;Info:|x;Z:|08:00;B?|;B?|" << ""
            << "E E + + + K + + + + + + E E"
            << "check done base-menu serial=\nB/Seriennummer missing\n"
               "Keine Seriennummer im Gerät gefunden (*) Gerät im Basismenü.";
        QTest::newRow("cancelled on the way") << tree
            << "A?|;B?|;Z:|08:00;B?|;B?|" << "abort 6" << "E E + + + K E E E"
            << "check cancelled base-menu serial=\nB/Seriennummer not-reached\n"
               "Lesen der Seriennummer abgebrochen. Gerät im Basismenü.";
        // clang-format on
    }

    void serialCheck_walksToTheSerialNumberOnly()
    {
        QFETCH(QString, tree);
        QFETCH(QString, screens);
        QFETCH(QString, event);
        QFETCH(QString, keys);
        QFETCH(QString, result);

        FakeRig rig;
        QVERIFY(rig.loadProfile(tree));
        const QString treeBefore = rig.tree();
        rig.script(baseAndIdentifier + QLatin1Char(';') + screens);
        QSignalSpy finished(&rig.bot, &LumBot::jobFinished);
        QSignalSpy completed(&rig.bot, &LumBot::checkCompleted);
        QSignalSpy comparison(&rig.profile, &DeviceProfile::comparisonChanged);
        rig.bot.startSerialCheck();
        QVERIFY(rig.bot.isEnabled());
        rig.playEvents(event);
        QVERIFY(!rig.bot.isEnabled());
        QCOMPARE(finished.count(), 1);
        QCOMPARE(rig.keys(), keys);

        static const char *const outcomes[] = { "running", "done", "cancelled", "failed",
                                                "no-device" };
        static const char *const places[] = { "not-said", "returning", "base-menu", "elsewhere",
                                              "line-lost" };
        const JobResult got = rig.bot.lastResult();
        QCOMPARE(got.job, JobResult::Check);
        QVERIFY(got.serialNumberOnly);
        QStringList lines{ QStringLiteral("check %1 %2 serial=%3")
                                   .arg(QLatin1String(outcomes[got.outcome]),
                                        QLatin1String(places[got.deviceLeft]),
                                        got.deviceSerialNumber) };
        for (const CheckedSetting &checked : got.checked) {
            const QString path = checked.menuPath.join(QLatin1Char('/'));
            lines.append(!checked.reached ? path + QStringLiteral(" not-reached")
                                 : checked.found ? path + QStringLiteral(" found=") + checked.deviceValue
                                                 : path + QStringLiteral(" missing"));
        }
        lines.append(QString(rig.bot.jobOutcome())
                             .replace(QRegularExpression(QStringLiteral("\\(\\d\\d:\\d\\d\\)")),
                                      QStringLiteral("(*)")));
        QCOMPARE(lines.join(QLatin1Char('\n')), result);
        QCOMPARE(completed.count(), got.outcome == JobResult::Done ? 1 : 0);
        // Nothing compared, nothing marked or unmarked.
        QCOMPARE(rig.tree(), treeBefore);
        QCOMPARE(comparison.count(), 0);
        QVERIFY(!rig.profile.hasComparison());
        for (const ConfItem *item : rig.profile.items())
            QCOMPARE(item->comparison(), ConfItem::NotCompared);
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

        QScopedPointer<KelHandler> link(new KelHandler);
        QScopedPointer<DeviceProfile> profile(new DeviceProfile);
        LumBot bot;
        QSignalSpy linked(&bot, &LumBot::kelHandlerChanged);
        bot.setKelHandler(link.data());
        QCOMPARE(linked.count(), 1);
        QCOMPARE(bot.deviceLink(), link.data());
        bot.setProfile(profile.data());
        bot.startDownload();
        QVERIFY(bot.isEnabled());
        destroyLink ? link.reset() : profile.reset();
        QCOMPARE(bot.kelHandler(), link.data());
        QCOMPARE(bot.profile(), profile.data());
        QCOMPARE(bot.mode(), LumBot::Idle);
        // Later starts find the missing object and refuse instead of using it;
        // only the identification needs no profile.
        bot.startDownload();
        bot.startUpload();
        QCOMPARE(bot.mode(), LumBot::Idle);
        bot.startInit();
        QCOMPARE(bot.isEnabled(), !destroyLink);
        bot.abort();
    }
};

QTEST_GUILESS_MAIN(TestLumBotRules)
#include "tst_lumbot_rules.moc"
