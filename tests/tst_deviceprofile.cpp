// The configuration as the editor and lumctl see it: the items the profile
// lists from its tree, their lifetimes, the cursor the robot walks with, what
// an item writes into its element, which signals the editor's bindings rely
// on, and which values a setting takes.
#include <QtTest>

#include "confitem.h"
#include "deviceprofile.h"
#include "itemtext.h"
#include "edithistory.h"
#include "itemfilter.h"

namespace {

// Puts the entries given as XML text below the profile's menu tree, as a
// read-out or a loaded file would have left them.
bool importMenu(DeviceProfile &profile, const QString &entries)
{
    QDomDocument source;
    if (!source.setContent("<m>" + entries + "</m>"))
        return false;
    QDomDocument document = profile.document();
    QDomElement menuTree = document.documentElement().firstChildElement();
    for (QDomNode node = source.documentElement().firstChild(); !node.isNull();
         node = node.nextSibling())
        menuTree.appendChild(document.importNode(node, true));
    return true;
}

const ConfItem *itemNamed(const DeviceProfile &profile, const QString &name)
{
    for (const ConfItem *item : profile.items())
        if (item->menuName() == name)
            return item;
    return nullptr;
}

} // namespace

class TestDeviceProfile : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
    void itemsAndMarksFollowTheTree_data();
    void itemsAndMarksFollowTheTree();
    void releasedItemsLiveUntilTheEventLoopTurns();
    void settersEmitOnEveryCall_data();
    void settersEmitOnEveryCall();
    void windowAndLumctlTakeTheSameValues_data();
    void windowAndLumctlTakeTheSameValues();
    void typedTextIsCompletedJudgedAndStored_data();
    void typedTextIsCompletedJudgedAndStored();
    void fieldCompletesFourDigitsOfATime_data();
    void fieldCompletesFourDigitsOfATime();
    void draftsNameTheirSettingsUntilFixedOrReplaced();
    void entriesNeverWrittenShowWhatTheFileHolds_data();
    void entriesNeverWrittenShowWhatTheFileHolds();
    void editsAreUndoneAndRedoneAsSteps_data();
    void editsAreUndoneAndRedoneAsSteps();
    void filterShowsMatchesWithTheirSections_data();
    void filterShowsMatchesWithTheirSections();
};

// A selection's options are folded into its item; anything else below a
// setting (what it showed while open) stays an entry of its own. A setting
// is marked by any non-zero decimal number; the robot visits the marks in
// document order, each by the menu path the transfer searches by: the
// enclosing sections up to the first entry that is none.
void TestDeviceProfile::itemsAndMarksFollowTheTree_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QStringList>("visits");

    QTest::newRow("empty tree lists nothing") << "" << QStringList() << QStringList();
    QTest::newRow("nested sections with selections")
            << "<section text='Einstellungen'>"
               " <setting text='Sprache' value='Deutsch' active='0' valuetype='selection'>"
               "  <option text='Deutsch'/><option text='Français'/></setting>"
               " <section text='Notruf'>"
               "  <setting text='Ende' value='Befreiung' active='1' valuetype='selection'>"
               "   <option text='Quittung'/><option text='Befreiung'/></setting>"
               "  <info text='Version 2'/>"
               " </section>"
               " <setting text='Uhrzeit' value='12:00' active='2' valuetype='inputsystemtime'/>"
               "</section>"
               "<section text='Reset-Optionen' sectiontype='blocked'/>"
               "<setting text='A' value='1' active='-1' valuetype='inputnum'/>"
               "<setting text='B' value='2' active='x' valuetype='inputnum'/>"
               "<info text='V'><setting text='C' value='3' active='1' valuetype='inputnum'/></info>"
            << QStringList{ "section|Einstellungen||0||unbound",
                            "selection|Einstellungen/Sprache|Deutsch|0|Deutsch/Français|bound",
                            "section|Einstellungen/Notruf||0||unbound",
                            "selection|Einstellungen/Notruf/Ende|Befreiung|1|Quittung/Befreiung|"
                            "bound",
                            "info|Einstellungen/Notruf/Version 2||0||unbound",
                            "inputsystemtime|Einstellungen/Uhrzeit|12:00|1||bound",
                            "section|Reset-Optionen||0||unbound",
                            "inputnum|A|1|1||bound",
                            "inputnum|B|2|0||bound",
                            "info|V||0||unbound",
                            "inputnum|V/C|3|1||bound" }
            << QStringList{ "Einstellungen/Notruf/Ende", "Einstellungen/Uhrzeit", "A", "C" };
    QTest::newRow("comment and the children of other settings")
            << "<section text='S'><!-- ergänzt --></section>"
               "<setting text='PIN' value='1' active='1' valuetype='inputnum'>"
               "<option text='Hinweis'/></setting>"
               "<setting text='Signal' value='' active='0'><option text='laut'/></setting>"
            << QStringList{ "section|S||0||unbound",
                            "|S/||0||unbound",
                            "inputnum|PIN|1|1||bound",
                            "option|PIN/Hinweis||0||unbound",
                            "|Signal||0||bound",
                            "option|Signal/laut||0||unbound" }
            << QStringList{ "PIN" };
}

void TestDeviceProfile::itemsAndMarksFollowTheTree()
{
    QFETCH(QString, menu);
    QFETCH(QStringList, items);
    QFETCH(QStringList, visits);
    DeviceProfile profile;
    QVERIFY(importMenu(profile, menu));
    QSignalSpy spy(&profile, &DeviceProfile::confItemListChanged);
    profile.rebuildConfItemList();
    QCOMPARE(ItemText::describe(profile, true), items);
    QCOMPARE(spy.count(), 1);
    // The window reads the same list through the list property.
    QQmlListProperty<ConfItem> list = profile.confItemList();
    QCOMPARE(list.count(&list), items.size());
    QCOMPARE(list.at(&list, 0), profile.items().value(0));
    QCOMPARE(list.at(&list, items.size()), nullptr);

    // A mark outside the menu tree is never visited.
    QDomElement extra = profile.document().createElement(QStringLiteral("extra"));
    extra.setAttribute(QStringLiteral("active"), QStringLiteral("1"));
    profile.document().documentElement().appendChild(extra);
    profile.gotoRoot();
    QStringList visited;
    while (profile.gotoNextActive() && visited.size() <= visits.size())
        visited.append(profile.currentMenuPath().join(QLatin1Char('/')));
    QCOMPARE(visited, visits);
    // The failing call leaves the cursor on the last mark found, or on the
    // root when there was none, and keeps failing.
    const QDomElement last = profile.currentElement();
    QCOMPARE(profile.currentTagName(), visits.isEmpty() ? "deviceProfile" : "setting");
    QVERIFY(!profile.gotoNextActive());
    QCOMPARE(profile.currentElement(), last);
}

// QML may still read an item of the former list until it has handled
// confItemListChanged, so released items are deleted on the next event loop
// turn, and all of them when the profile goes. A fresh or reset profile
// lists only the hint and holds an empty tree; the window shows the hint
// alone as a plain line while showsHint says so.
void TestDeviceProfile::releasedItemsLiveUntilTheEventLoopTurns()
{
    const QStringList hintOnly{ "info|Bitte Konfiguration öffnen oder auslesen...||0||unbound" };
    auto *profile = new DeviceProfile;
    QCOMPARE(ItemText::describe(*profile, true), hintOnly);
    QVERIFY(profile->showsHint());
    QVERIFY(!profile->items().first()->editable());
    QVERIFY(importMenu(*profile,
                       QStringLiteral("<section text='S'><setting value='1'/></section>")));
    profile->rebuildConfItemList();
    QVERIFY(!profile->showsHint());
    const QPointer<ConfItem> rebuilt = profile->items().at(1);
    profile->rebuildConfItemList();
    QQmlListProperty<ConfItem> list = profile->confItemList();
    const QPointer<ConfItem> cleared = list.at(&list, 1);
    list.clear(&list);
    QCOMPARE(list.count(&list), 0);
    QVERIFY(!profile->showsHint());
    QSignalSpy spy(profile, &DeviceProfile::confItemListChanged);
    profile->resetProfile();

    QCOMPARE(spy.count(), 1);
    QCOMPARE(ItemText::describe(*profile, true), hintOnly);
    QVERIFY(profile->showsHint());
    QCOMPARE(profile->currentTagName(), QStringLiteral("menuTree"));
    QVERIFY(!profile->currentElement().hasChildNodes());
    QCOMPARE(profile->currentElement().parentNode(), profile->document().documentElement());
    QVERIFY(rebuilt && cleared);
    QCOMPARE(rebuilt->value() + cleared->value(), QStringLiteral("11"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!rebuilt && !cleared);

    // An item that QML made and appended stays QML's own.
    ConfItem foreign(QStringLiteral("info"), QStringLiteral("Eigener Eintrag"));
    list.append(&list, &foreign);
    QCOMPARE(profile->items().last(), &foreign);
    QVERIFY(!profile->showsHint());
    QVERIFY(importMenu(*profile, QStringLiteral("<info text='B'/>")));
    profile->rebuildConfItemList();
    const QPointer<ConfItem> released = profile->items().first();
    profile->rebuildConfItemList();
    const QPointer<ConfItem> current = profile->items().first();
    delete profile;
    QVERIFY(!released && !current);
    QCOMPARE(foreign.menuName(), QStringLiteral("Eigener Eintrag"));
}

void TestDeviceProfile::settersEmitOnEveryCall_data()
{
    QTest::addColumn<bool>("bound");
    QTest::newRow("bound to a setting") << true;
    QTest::newRow("unbound item") << false;
}

// The editor refreshes on every call, also when the value stays. A bound
// item writes its mark as 0 or 1 into its element, whatever mark it had.
void TestDeviceProfile::settersEmitOnEveryCall()
{
    QFETCH(bool, bound);
    QDomDocument document;
    QDomElement setting = document.createElement(QStringLiteral("setting"));
    setting.setAttribute(QStringLiteral("active"), QStringLiteral("7"));
    document.appendChild(setting);
    ConfItem item(QStringLiteral("selection"), QStringLiteral("Modus"), QStringLiteral("1"),
                  QStringLiteral("1\n2"), true);
    if (bound)
        item.setElement(setting);
    QSignalSpy activeSpy(&item, &ConfItem::activeChanged);
    QSignalSpy valueSpy(&item, &ConfItem::valueChanged);

    for (bool active : { true, false, false }) // set while already marked, unset twice
        item.setActive(active);
    QCOMPARE(setting.attribute(QStringLiteral("active")), bound ? "0" : "7");
    item.setActive(true);
    for (const char *value : { "1", "1", "2" })
        item.setValue(QString::fromLatin1(value));

    QCOMPARE(activeSpy.count(), 4);
    QCOMPARE(valueSpy.count(), 3); // also valueIndex's notification
    QCOMPARE(item.valueIndex(), 1);
    QCOMPARE(setting.attribute(QStringLiteral("value")), bound ? "2" : "");
    QCOMPARE(setting.attribute(QStringLiteral("active")), bound ? "1" : "7");
}

// Which values a setting takes: one table, asked of the item as the window
// asks it and of lumctl's "set", so that both refuse and accept the same.
void TestDeviceProfile::windowAndLumctlTakeTheSameValues_data()
{
    QTest::addColumn<QString>("assignment"); // as lumctl's "set" takes it
    QTest::addColumn<bool>("valid");
    QTest::newRow("time at midnight") << "Zeit=00:00" << true;
    QTest::newRow("time, last minute of the day") << "Zeit=23:59" << true;
    QTest::newRow("time, hour 24") << "Zeit=24:00" << true;
    QTest::newRow("duration of 48 hours") << "Zeit=48:00" << true;
    QTest::newRow("duration of 99:59") << "Zeit=99:59" << true;
    QTest::newRow("time, three hour digits") << "Zeit=100:00" << false;
    QTest::newRow("time, four digits without colon") << "Zeit=0915" << false;
    QTest::newRow("time, minute 60") << "Zeit=12:60" << false;
    QTest::newRow("time, one minute digit") << "Zeit=12:3" << false;
    QTest::newRow("time, one hour digit") << "Zeit=7:45" << false;
    QTest::newRow("time, empty") << "Zeit=" << false;
    QTest::newRow("number with star and hash") << "Nr=*31#0049" << true;
    QTest::newRow("number of 32 digits") << "Nr=" + QString(32, '9') << true;
    QTest::newRow("number of 33 digits") << "Nr=" + QString(33, '9') << false;
    QTest::newRow("number, empty") << "Nr=" << true;
    QTest::newRow("number with a plus") << "Nr=+49711" << false;
    QTest::newRow("option with a slash") << "Wahl=Ein / Aus" << true;
    QTest::newRow("option in other case") << "Wahl=aus" << false;
    QTest::newRow("read-only setting") << "Serie=123" << false;
    QTest::newRow("blocked setting") << "Service=+49" << false;
}

void TestDeviceProfile::windowAndLumctlTakeTheSameValues()
{
    QFETCH(QString, assignment);
    QFETCH(bool, valid);
    const QString setting = assignment.section('=', 0, 0);
    const QString text = assignment.section('=', 1);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("rules.lumc"));
    DeviceProfile profile;
    QVERIFY(importMenu(
            profile,
            "<section text='E'>"
            "<setting text='Wahl' value='Ein' active='0' valuetype='selection'>"
            "<option text='Ein'/><option text='Aus'/><option text='Ein / Aus'/></setting>"
            "<setting text='Nr' value='0711' active='0' valuetype='inputnum'/>"
            "<setting text='Zeit' value='08:00' active='0' valuetype='inputtime_hhmm'/>"
            "<setting text='Serie' value='123' active='0' valuetype='readonly'/>"
            "<setting text='Service' value='+49' active='0' valuetype='blocked'/>"
            "</section>"));
    profile.rebuildConfItemList();
    QVERIFY(profile.save(file) && itemNamed(profile, setting));
    const ConfItem *item = itemNamed(profile, setting);
    QCOMPARE(item->isValidValue(text), valid);
    // What is valid can also be typed into the setting's field.
    const QRegularExpression field(QRegularExpression::anchoredPattern(item->inputPattern()));
    QVERIFY(!valid || item->inputPattern().isEmpty() || field.match(text).hasMatch());

    QProcess lumctl;
    lumctl.start(QStringLiteral(LUMCTL_PATH), { "set", file, "E/" + assignment });
    QVERIFY(lumctl.waitForFinished(60000));
    QCOMPARE(lumctl.exitCode(), valid ? 0 : 2);
    DeviceProfile after;
    QVERIFY(after.load(file) && itemNamed(after, setting));
    QCOMPARE(itemNamed(after, setting)->value(), valid ? text : item->value());
}

namespace {

const char *const editorMenu =
        "<section text='E'>"
        "<setting text='Wahl' value='Ein' active='0' valuetype='selection'>"
        "<option text='Ein'/><option text='Aus'/></setting>"
        "<setting text='Nr' value='0711' active='0' valuetype='inputnum'/>"
        "<setting text='Zeit' value='00:30' active='0' valuetype='inputtime_hhmm'/>"
        "<setting text='Uhrzeit' value='12:00' active='0' valuetype='inputsystemtime'/>"
        "<setting text='Serie' value='123' active='0' valuetype='readonly'/>"
        "<setting text='Service' value='+49' active='0' valuetype='blocked'/>"
        "<info text='Status' value='Bereit'/>"
        "</section>";

ConfItem *editableItem(DeviceProfile &profile, const QString &name)
{
    return const_cast<ConfItem *>(itemNamed(profile, name));
}

} // namespace

// What the technician types reaches the tree only as a valid value; anything
// else stays in the field as a draft with the reason, and the tree (what a
// save or a transfer sees) keeps the value it had.
void TestDeviceProfile::typedTextIsCompletedJudgedAndStored_data()
{
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored"); // value in the item and the tree afterwards
    QTest::addColumn<QString>("shown"); // editText
    QTest::addColumn<QString>("problem");
    QTest::addColumn<bool>("marked");

    const QString incomplete = QStringLiteral("unvollständige Uhrzeit, bitte hh:mm");
    QTest::newRow("four digits gain their colon")
            << "Zeit" << "0915" << "09:15" << "09:15" << "" << true;
    QTest::newRow("duration of 48 hours") << "Zeit" << "48:00" << "48:00" << "48:00" << "" << true;
    QTest::newRow("two digits are incomplete")
            << "Zeit" << "01" << "00:30" << "01" << incomplete << false;
    QTest::newRow("three digits are incomplete")
            << "Zeit" << "091" << "00:30" << "091" << incomplete << false;
    QTest::newRow("one minute digit is incomplete")
            << "Zeit" << "09:1" << "00:30" << "09:1" << incomplete << false;
    QTest::newRow("empty time is incomplete")
            << "Zeit" << "" << "00:30" << "" << incomplete << false;
    QTest::newRow("minute 60") << "Zeit" << "12:60" << "00:30" << "12:60"
                               << "Minuten nur 00 bis 59" << false;
    QTest::newRow("one hour digit") << "Zeit" << "7:45" << "00:30" << "7:45"
                                    << "Stunden zweistellig, bitte hh:mm" << false;
    QTest::newRow("letters") << "Zeit" << "9 Uhr" << "00:30" << "9 Uhr"
                             << "keine Uhrzeit, bitte hh:mm" << false;
    QTest::newRow("five digits") << "Zeit" << "09150" << "00:30" << "09150"
                                 << "keine Uhrzeit, bitte hh:mm" << false;
    QTest::newRow("time as read is not marked")
            << "Zeit" << "00:30" << "00:30" << "00:30" << "" << false;
    QTest::newRow("number") << "Nr" << "*31#0049" << "*31#0049" << "*31#0049" << "" << true;
    QTest::newRow("number of four digits keeps its form")
            << "Nr" << "0915" << "0915" << "0915" << "" << true;
    QTest::newRow("number with a letter") << "Nr" << "0711a" << "0711" << "0711a"
                                          << "nur Ziffern 0-9, # und * möglich" << false;
    QTest::newRow("number of 33 digits")
            << "Nr" << QString(33, '1') << "0711" << QString(33, '1')
            << "zu lang, höchstens 32 Zeichen" << false;
    QTest::newRow("option") << "Wahl" << "Aus" << "Aus" << "Aus" << "" << true;
    QTest::newRow("no such option") << "Wahl" << "Nie" << "Ein" << "Nie"
                                    << "keine der Auswahlmöglichkeiten \"Ein\", \"Aus\"" << false;
    // Nothing can be typed into these; they take nothing and hold no draft.
    QTest::newRow("read-only setting") << "Serie" << "1" << "123" << "123" << "" << false;
    QTest::newRow("blocked setting") << "Service" << "1" << "+49" << "+49" << "" << false;
    QTest::newRow("PC time") << "Uhrzeit" << "13:00" << "12:00" << "12:00" << "" << false;
    QTest::newRow("information line") << "Status" << "x" << "Bereit" << "Bereit" << "" << false;
}

void TestDeviceProfile::typedTextIsCompletedJudgedAndStored()
{
    QFETCH(QString, setting);
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    QFETCH(QString, problem);
    QFETCH(bool, marked);
    DeviceProfile profile;
    QVERIFY(importMenu(profile, editorMenu));
    profile.rebuildConfItemList();
    ConfItem *item = editableItem(profile, setting);
    QVERIFY(item);
    QSignalSpy problemSpy(item, &ConfItem::problemChanged);
    QSignalSpy invalidSpy(&profile, &DeviceProfile::invalidSettingsChanged);

    item->editValue(typed);

    QCOMPARE(item->value(), stored);
    if (!item->element().isNull())
        QCOMPARE(item->element().attribute(QStringLiteral("value")), stored);
    QCOMPARE(item->editText(), shown);
    QCOMPARE(item->problem(), problem);
    QCOMPARE(item->active(), marked);
    QCOMPARE(problemSpy.count(), problem.isEmpty() ? 0 : 1);
    QCOMPARE(profile.hasInvalidSettings(), !problem.isEmpty());
    QCOMPARE(invalidSpy.count(), problem.isEmpty() ? 0 : 1);
    QCOMPARE(profile.invalidSettingsText(),
             problem.isEmpty() ? QString() : setting + QStringLiteral(": ") + problem);
    QCOMPARE(profile.markedCount(), marked ? 1 : 0);
}

// While typing, the field shows what the item makes of the text; every
// completed form can itself be typed into the field.
void TestDeviceProfile::fieldCompletesFourDigitsOfATime_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("time, four digits") << "inputtime_hhmm" << "0915" << "09:15";
    QTest::newRow("time, four digits past a day") << "inputtime_hhmm" << "4800" << "48:00";
    QTest::newRow("time, three digits") << "inputtime_hhmm" << "091" << "091";
    QTest::newRow("time with colon") << "inputtime_hhmm" << "09:1" << "09:1";
    QTest::newRow("time, five digits") << "inputtime_hhmm" << "09150" << "09150";
    QTest::newRow("number, four digits") << "inputnum" << "0915" << "0915";
    QTest::newRow("option, four digits") << "selection" << "0915" << "0915";
}

void TestDeviceProfile::fieldCompletesFourDigitsOfATime()
{
    QFETCH(QString, type);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    const ConfItem item(type, QStringLiteral("Zeit"), QStringLiteral("00:30"));
    QCOMPARE(item.completeTyping(typed), shown);
    const QRegularExpression field(QRegularExpression::anchoredPattern(item.inputPattern()));
    if (!item.inputPattern().isEmpty() && field.match(typed).hasMatch())
        QVERIFY2(field.match(shown).hasMatch(), qPrintable(item.inputPattern()));
}

// The window refuses to save or transfer while a draft stands, naming each
// setting; fixing the text, discarding the draft or a new list ends it.
void TestDeviceProfile::draftsNameTheirSettingsUntilFixedOrReplaced()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("drafts.lumc"));
    DeviceProfile profile;
    QVERIFY(importMenu(profile, editorMenu));
    profile.rebuildConfItemList();
    ConfItem *time = editableItem(profile, QStringLiteral("Zeit"));
    ConfItem *number = editableItem(profile, QStringLiteral("Nr"));
    QVERIFY(profile.save(file));

    number->editValue(QStringLiteral("12a"));
    time->editValue(QStringLiteral("01"));
    QVERIFY(profile.hasInvalidSettings());
    QCOMPARE(profile.invalidSettingsText(),
             QStringLiteral("Nr: nur Ziffern 0-9, # und * möglich\n"
                            "Zeit: unvollständige Uhrzeit, bitte hh:mm"));
    QVERIFY(!profile.modified());

    QSignalSpy shownSpy(time, &ConfItem::editTextChanged);
    time->editValue(QStringLiteral("0130"));
    QCOMPARE(time->editText(), QStringLiteral("01:30"));
    QVERIFY(shownSpy.count() >= 1);
    QCOMPARE(time->problem(), QString());
    QCOMPARE(profile.invalidSettingsText(), QStringLiteral("Nr: nur Ziffern 0-9, # und * möglich"));
    QVERIFY(profile.modified());

    number->discardDraft();
    QCOMPARE(number->editText(), QStringLiteral("0711"));
    QVERIFY(!profile.hasInvalidSettings());

    // A new list from a file or a read-out starts without drafts.
    number->editValue(QStringLiteral("12a"));
    QSignalSpy invalidSpy(&profile, &DeviceProfile::invalidSettingsChanged);
    QVERIFY(profile.load(file));
    QVERIFY(invalidSpy.count() >= 1);
    QVERIFY(!profile.hasInvalidSettings());
    QCOMPARE(itemNamed(profile, QStringLiteral("Zeit"))->value(), QStringLiteral("00:30"));
    editableItem(profile, QStringLiteral("Zeit"))->editValue(QStringLiteral("1"));
    profile.resetProfile();
    QVERIFY(!profile.hasInvalidSettings());
    QCOMPARE(profile.invalidSettingsText(), QString());
}

// Entries LUM shows but never opens or writes: what the file holds is shown
// as it is, with a note saying so; nothing marks them.
void TestDeviceProfile::entriesNeverWrittenShowWhatTheFileHolds_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("note");
    QTest::addColumn<int>("control");
    QTest::newRow("blocked setting")
            << "<setting text='Service-Center' value='+4917' active='0' valuetype='blocked'/>"
            << "+4917" << "gesperrt: wird von LUM nie geöffnet oder geschrieben"
            << int(ConfItem::ValueText);
    QTest::newRow("blocked section") << "<section text='Reset' sectiontype='blocked'/>" << ""
                                     << "gesperrt: wird von LUM nie geöffnet"
                                     << int(ConfItem::NoControl);
    QTest::newRow("information with its second line")
            << "<info text='Wartung' value='fällig 2027'/>" << "fällig 2027" << ""
            << int(ConfItem::ValueText);
    QTest::newRow("information of an older file") << "<info text='Wartung'/>" << "" << ""
                                                   << int(ConfItem::NoControl);
    QTest::newRow("read-only setting")
            << "<setting text='IMEI' value='3569' active='0' valuetype='readonly'/>" << "3569"
            << "" << int(ConfItem::ValueText);
    QTest::newRow("time setting")
            << "<setting text='Timerzeit' value='00:30' active='0' valuetype='inputtime_hhmm'/>"
            << "00:30" << "" << int(ConfItem::TimeField);
}

void TestDeviceProfile::entriesNeverWrittenShowWhatTheFileHolds()
{
    QFETCH(QString, entry);
    QFETCH(QString, value);
    QFETCH(QString, note);
    QFETCH(int, control);
    DeviceProfile profile;
    QVERIFY(importMenu(profile, entry));
    profile.rebuildConfItemList();
    QCOMPARE(profile.items().size(), 1);
    ConfItem *item = profile.items().first();
    QCOMPARE(item->value(), value);
    QCOMPARE(item->editText(), value);
    QCOMPARE(item->note(), note);
    QCOMPARE(int(item->control()), control);
    if (item->editable())
        return;
    profile.setAllMarked(true);
    item->editValue(QStringLiteral("1"));
    QCOMPARE(item->value(), value);
    QVERIFY(!item->active());
    QCOMPARE(profile.markedCount(), 0);
}

namespace {

// The technician's actions, one per line of a script:
// "type NAME TEXT" (typed into the field), "mark NAME 0|1" (the check box),
// "alle 0|1", "reset NAME", "same NAME" (the value set again unchanged),
// "undo", "redo", "rebuild" (the list made anew from the tree, as after
// loading), "readout" (the profile emptied, as a read-out starts).
bool runScript(DeviceProfile &profile, const QStringList &script)
{
    for (const QString &line : script) {
        const QStringList words = line.split(' ');
        const QString verb = words.value(0);
        ConfItem *item = words.size() > 1 ? editableItem(profile, words.at(1)) : nullptr;
        if (verb == "type" && item)
            item->editValue(words.mid(2).join(' '));
        else if (verb == "mark" && item)
            item->setActive(words.value(2) == "1");
        else if (verb == "reset" && item)
            item->resetToRead();
        else if (verb == "same" && item)
            item->setValue(item->value());
        else if (verb == "alle")
            profile.setAllMarked(words.value(1) == "1");
        else if (verb == "undo")
            profile.editHistory()->undo();
        else if (verb == "redo")
            profile.editHistory()->redo();
        else if (verb == "rebuild")
            profile.rebuildConfItemList();
        else if (verb == "readout")
            profile.resetProfile();
        else
            return false;
    }
    return true;
}

const char *const historyMenu =
        "<section text='E'>"
        "<setting text='Wahl' value='Ein' active='0' valuetype='selection'>"
        "<option text='Ein'/><option text='Aus'/></setting>"
        "<setting text='Nr' value='0711' active='0' valuetype='inputnum'/>"
        "<setting text='Zeit' value='00:30' active='1' valuetype='inputtime_hhmm'/>"
        "<setting text='Serie' value='123' active='0' valuetype='readonly'/>"
        "<section text='Tiefer'>"
        "<setting text='Tief' value='5' active='0' valuetype='inputnum'/>"
        "</section></section>";

// The editable settings as "name=value" with "+" when marked, "-" when not,
// and "!" while the field holds a draft.
QString editableState(const DeviceProfile &profile)
{
    QStringList parts;
    for (const ConfItem *item : profile.items()) {
        if (item->editable())
            parts << item->menuName() + '=' + item->value() + (item->active() ? '+' : '-')
                            + (item->hasDraft() ? "!" : "");
    }
    return parts.join(' ');
}

} // namespace

// A step is one action of the technician: a typed value with the mark it
// set, a check box, a reset, or "Alle" over every setting. Undo and redo
// bring back values and marks in the tree, not only in the items; a
// read-out or a new list starts a new history.
void TestDeviceProfile::editsAreUndoneAndRedoneAsSteps_data()
{
    QTest::addColumn<QStringList>("script");
    QTest::addColumn<QString>("state");
    QTest::addColumn<bool>("canUndo");
    QTest::addColumn<bool>("canRedo");

    const QString start = "Wahl=Ein- Nr=0711- Zeit=00:30+ Tief=5-";
    const QString allMarked = "Wahl=Ein+ Nr=0711+ Zeit=00:30+ Tief=5+";
    const QString noneMarked = "Wahl=Ein- Nr=0711- Zeit=00:30- Tief=5-";
    QTest::newRow("nothing done") << QStringList{} << start << false << false;
    QTest::newRow("nothing to undo or redo") << QStringList{ "undo", "redo" } << start << false << false;
    QTest::newRow("typed value marks")
            << QStringList{ "type Nr 0815" } << "Wahl=Ein- Nr=0815+ Zeit=00:30+ Tief=5-" << true << false;
    QTest::newRow("typed value undone with the mark it set")
            << QStringList{ "type Nr 0815", "undo" } << start << false << true;
    QTest::newRow("undone value redone")
            << QStringList{ "type Nr 0815", "undo", "redo" }
            << "Wahl=Ein- Nr=0815+ Zeit=00:30+ Tief=5-" << true << false;
    QTest::newRow("two edits undone one at a time")
            << QStringList{ "type Nr 0815", "type Wahl Aus", "undo" }
            << "Wahl=Ein- Nr=0815+ Zeit=00:30+ Tief=5-" << true << true;
    QTest::newRow("two edits of one setting, both undone")
            << QStringList{ "type Nr 0815", "type Nr 4711", "undo", "undo" } << start << false << true;
    QTest::newRow("two undone, two redone")
            << QStringList{ "type Nr 0815", "type Tief 7", "undo", "undo", "redo", "redo" }
            << "Wahl=Ein- Nr=0815+ Zeit=00:30+ Tief=7+" << true << false;
    QTest::newRow("a new edit drops what could be redone")
            << QStringList{ "type Nr 0815", "undo", "type Zeit 0915" }
            << "Wahl=Ein- Nr=0711- Zeit=09:15+ Tief=5-" << true << false;
    QTest::newRow("check box undone") << QStringList{ "mark Zeit 0", "undo" } << start << false << true;
    QTest::newRow("Alle is one step") << QStringList{ "alle 1", "undo" } << start << false << true;
    QTest::newRow("Alle redone") << QStringList{ "alle 1", "undo", "redo" } << allMarked << true << false;
    QTest::newRow("Alle cleared, undone to all marked")
            << QStringList{ "alle 1", "alle 0", "undo" } << allMarked << true << true;
    QTest::newRow("Alle cleared from the start")
            << QStringList{ "alle 0" } << noneMarked << true << false;
    QTest::newRow("Alle after an edit, undone twice")
            << QStringList{ "type Tief 9", "alle 0", "undo", "undo" } << start << false << true;
    QTest::newRow("the same value set again is no step")
            << QStringList{ "same Nr" } << start << false << false;
    QTest::newRow("text that is no value is no step")
            << QStringList{ "type Zeit 01" } << "Wahl=Ein- Nr=0711- Zeit=00:30+! Tief=5-" << false << false;
    QTest::newRow("undo drops a draft")
            << QStringList{ "type Zeit 0915", "type Zeit 01", "undo" } << start << false << true;
    QTest::newRow("reset to the value read")
            << QStringList{ "type Nr 0815", "reset Nr" } << start << true << false;
    QTest::newRow("reset brings back the mark as read")
            << QStringList{ "type Zeit 0915", "mark Zeit 0", "reset Zeit" } << start << true << false;
    QTest::newRow("reset of a setting read marked, unmarked by hand")
            << QStringList{ "mark Zeit 0", "reset Zeit" } << start << true << false;
    QTest::newRow("reset is one step")
            << QStringList{ "type Nr 0815", "reset Nr", "undo" }
            << "Wahl=Ein- Nr=0815+ Zeit=00:30+ Tief=5-" << true << true;
    QTest::newRow("reset drops a draft")
            << QStringList{ "type Zeit 01", "reset Zeit" } << start << false << false;
    QTest::newRow("reset of a read-only entry does nothing")
            << QStringList{ "reset Serie" } << start << false << false;
    QTest::newRow("a new list forgets the history")
            << QStringList{ "type Nr 0815", "rebuild", "undo" }
            << "Wahl=Ein- Nr=0815+ Zeit=00:30+ Tief=5-" << false << false;
    QTest::newRow("after a new list, reset goes to its value")
            << QStringList{ "type Nr 0815", "rebuild", "type Nr 4711", "mark Nr 0", "reset Nr" }
            << "Wahl=Ein- Nr=0815+ Zeit=00:30+ Tief=5-" << true << false;
    QTest::newRow("a read-out forgets the history")
            << QStringList{ "type Nr 0815", "undo", "readout" } << "" << false << false;
}

void TestDeviceProfile::editsAreUndoneAndRedoneAsSteps()
{
    QFETCH(QStringList, script);
    QFETCH(QString, state);
    QFETCH(bool, canUndo);
    QFETCH(bool, canRedo);
    DeviceProfile profile;
    QVERIFY(importMenu(profile, historyMenu));
    profile.rebuildConfItemList();
    QSignalSpy historySpy(profile.editHistory(), &EditHistory::changed);

    QVERIFY2(runScript(profile, script), "unknown action in the script");

    QCOMPARE(editableState(profile), state);
    QCOMPARE(profile.editHistory()->canUndo(), canUndo);
    QCOMPARE(profile.editHistory()->canRedo(), canRedo);
    // The window's undo and redo buttons follow the signal.
    if (canUndo || canRedo)
        QVERIFY(!historySpy.isEmpty());
    QCOMPARE(profile.hasInvalidSettings(), state.contains('!'));
    // What a save or a transfer sees is what the editor shows.
    int marked = 0;
    for (const ConfItem *item : profile.items()) {
        if (item->element().isNull())
            continue;
        QCOMPARE(item->element().attribute("value"), item->value());
        QCOMPARE(item->element().attribute("active"), QString(item->active() ? "1" : "0"));
        marked += item->editable() && item->active();
    }
    QCOMPARE(profile.markedCount(), marked);
}

namespace {

const char *const filterMenu =
        "<section text='Einstellungen'>"
        "<section text='Notruf'>"
        "<setting text='Notrufende' value='Ein' active='0' valuetype='selection'>"
        "<option text='Ein'/><option text='Aus'/></setting>"
        "<setting text='Rufnummer' value='0711' active='0' valuetype='inputnum'/>"
        "</section>"
        "<section text='Timer'>"
        "<setting text='Timerstoerung' value='Aus' active='0' valuetype='selection'>"
        "<option text='Ein'/><option text='Aus'/></setting>"
        "</section></section>"
        "<section text='Info'><info text='Status' value='Bereit'/></section>"
        "<setting text='Sprache' value='Deutsch' active='0' valuetype='selection'>"
        "<option text='Deutsch'/><option text='English'/></setting>";

} // namespace

// The editor's rows: a search in the path and the value, and the views. A
// shown entry keeps the sections above it; a row comes into or leaves a view
// by its own edit while the filter is set.
void TestDeviceProfile::filterShowsMatchesWithTheirSections_data()
{
    QTest::addColumn<QString>("search");
    QTest::addColumn<int>("view");
    QTest::addColumn<QStringList>("script"); // done after the filter is set
    QTest::addColumn<QString>("shown"); // menu names of the rows shown

    const int all = ItemFilter::All;
    const int marked = ItemFilter::MarkedOrChanged;
    const int differences = ItemFilter::Differences;
    const QString everything = "Einstellungen Notruf Notrufende Rufnummer Timer Timerstoerung "
                               "Info Status Sprache";
    QTest::newRow("no filter") << "" << all << QStringList{} << everything;
    QTest::newRow("blank search") << "  " << all << QStringList{} << everything;
    QTest::newRow("part of a name")
            << "nummer" << all << QStringList{} << "Einstellungen Notruf Rufnummer";
    QTest::newRow("section name shows its entries")
            << "notruf" << all << QStringList{} << "Einstellungen Notruf Notrufende Rufnummer";
    QTest::newRow("upper case search")
            << "TIMER" << all << QStringList{} << "Einstellungen Timer Timerstoerung";
    QTest::newRow("value") << "0711" << all << QStringList{} << "Einstellungen Notruf Rufnummer";
    QTest::newRow("value, other case") << "deutsch" << all << QStringList{} << "Sprache";
    QTest::newRow("information line's value") << "bereit" << all << QStringList{} << "Info Status";
    QTest::newRow("value typed after the search")
            << "0815" << all << QStringList{ "type Rufnummer 0815" } << "Einstellungen Notruf Rufnummer";
    QTest::newRow("value typed away from the search")
            << "0711" << all << QStringList{ "type Rufnummer 0815" } << "";
    QTest::newRow("option names are not values")
            << "english" << all << QStringList{} << "";
    QTest::newRow("path across levels")
            << "einstellungen/timer" << all << QStringList{} << "Einstellungen Timer Timerstoerung";
    QTest::newRow("nothing found") << "xyz" << all << QStringList{} << "";
    QTest::newRow("marked or changed, nothing done") << "" << marked << QStringList{} << "";
    QTest::newRow("changed value")
            << "" << marked << QStringList{ "type Rufnummer 0815" } << "Einstellungen Notruf Rufnummer";
    QTest::newRow("marked by hand") << "" << marked << QStringList{ "mark Sprache 1" } << "Sprache";
    QTest::newRow("changed back, still marked")
            << "" << marked << QStringList{ "type Rufnummer 0815", "type Rufnummer 0711" }
            << "Einstellungen Notruf Rufnummer";
    QTest::newRow("changed, unmarked, still changed")
            << "" << marked << QStringList{ "type Rufnummer 0815", "mark Rufnummer 0" }
            << "Einstellungen Notruf Rufnummer";
    QTest::newRow("reset leaves the view")
            << "" << marked << QStringList{ "type Rufnummer 0815", "reset Rufnummer" } << "";
    QTest::newRow("undo leaves the view")
            << "" << marked << QStringList{ "mark Sprache 1", "undo" } << "";
    QTest::newRow("Alle brings every setting")
            << "" << marked << QStringList{ "alle 1" }
            << "Einstellungen Notruf Notrufende Rufnummer Timer Timerstoerung Sprache";
    QTest::newRow("search and view together")
            << "timer" << marked << QStringList{ "mark Sprache 1", "mark Timerstoerung 1" }
            << "Einstellungen Timer Timerstoerung";
    QTest::newRow("differences without a comparison") << "" << differences << QStringList{} << "";
}

void TestDeviceProfile::filterShowsMatchesWithTheirSections()
{
    QFETCH(QString, search);
    QFETCH(int, view);
    QFETCH(QStringList, script);
    QFETCH(QString, shown);
    DeviceProfile profile;
    QVERIFY(importMenu(profile, filterMenu));
    profile.rebuildConfItemList();
    ItemFilter *filter = profile.itemFilter();
    filter->setSearchText(search);
    filter->setView(ItemFilter::View(view));
    // The rows have asked before the edits, as the editor's rows do.
    for (ConfItem *item : profile.items())
        filter->shows(item);
    QSignalSpy revisionSpy(filter, &ItemFilter::revisionChanged);

    QVERIFY2(runScript(profile, script), "unknown action in the script");

    QStringList names;
    int settings = 0;
    for (ConfItem *item : profile.items()) {
        if (filter->shows(item)) {
            names << item->menuName();
            settings += item->editable();
        }
    }
    QCOMPARE(names.join(' '), shown);
    QCOMPARE(filter->shownSettings(), settings);
    if (!script.isEmpty() && filter->isActive())
        QVERIFY(!revisionSpy.isEmpty());
}

QTEST_GUILESS_MAIN(TestDeviceProfile)
#include "tst_deviceprofile.moc"
