// The configuration as the editor and lumctl see it: the items the profile
// lists from its tree, their lifetimes, the cursor the robot walks with, what
// an item writes into its element, which signals the editor's bindings rely
// on, and which values a setting takes.
#include <QDomDocument>
#include <QPointer>
#include <QProcess>
#include <QQmlListProperty>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "confitem.h"
#include "deviceprofile.h"

namespace {

const QString hintText = QStringLiteral("Bitte Konfiguration öffnen oder auslesen...");

// Puts the entries given as XML text below the profile's menu tree, as a
// read-out or a loaded file would have left them.
bool importMenu(DeviceProfile &profile, const QString &entries)
{
    QDomDocument source;
    if (!source.setContent(QStringLiteral("<m>") + entries + QStringLiteral("</m>")))
        return false;
    QDomDocument document = profile.document();
    QDomElement menuTree = document.documentElement().firstChildElement(QStringLiteral("menuTree"));
    for (QDomNode node = source.documentElement().firstChild(); !node.isNull();
         node = node.nextSibling())
        menuTree.appendChild(document.importNode(node, true));
    return true;
}

// One line per item: type | menu path | value | options | marked | bound.
QString describe(const ConfItem *item)
{
    return QStringList{ item->type(),
                        item->menuPath().join(QLatin1Char('/')),
                        item->value(),
                        item->options().join(QLatin1Char(',')),
                        item->active() ? "marked" : "-",
                        item->element().isNull() ? "unbound" : "bound" }
            .join(QStringLiteral(" | "));
}

QStringList describe(const QList<ConfItem *> &items)
{
    QStringList lines;
    for (const ConfItem *item : items)
        lines.append(describe(item));
    return lines;
}

const ConfItem *itemNamed(const DeviceProfile &profile, const QString &name)
{
    for (const ConfItem *item : profile.items())
        if (item->menuName() == name)
            return item;
    return nullptr;
}

void processDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class TestDeviceProfile : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();

    void itemsFollowTreeInPreOrder_data();
    void itemsFollowTreeInPreOrder();
    void activeMarkIsReadAsDecimalInteger_data();
    void activeMarkIsReadAsDecimalInteger();
    void currentMenuPathFollowsEnclosingSections_data();
    void currentMenuPathFollowsEnclosingSections();
    void gotoNextActiveVisitsMarksInDocumentOrder_data();
    void gotoNextActiveVisitsMarksInDocumentOrder();
    void nullCursorReadsEmptyAndChangesNothing();
    void resetProfileEmptiesTreeAndReleasesItems();
    void releasedItemsSurviveUntilEventLoopTurn();
    void destroyedProfileReleasesAllItems();
    void listPropertyServesTheItems();
    void valueIndexFollowsEditedValue();
    void settersEmitOnEveryCall_data();
    void settersEmitOnEveryCall();
    void windowAndLumctlTakeTheSameValues_data();
    void windowAndLumctlTakeTheSameValues();
};

void TestDeviceProfile::cleanup()
{
    processDeferredDeletes();
}

// A selection's options are folded into its item; anything else below a
// setting (what it showed while open) stays an entry of its own.
void TestDeviceProfile::itemsFollowTreeInPreOrder_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QStringList>("items");

    QTest::newRow("empty tree lists nothing") << "" << QStringList();
    QTest::newRow("nested sections with selections")
            << "<section text='Einstellungen'>"
               " <setting text='Sprache' value='Deutsch' active='0' valuetype='selection'>"
               "  <option text='Deutsch'/><option text='English'/><option text='Français'/>"
               " </setting>"
               " <section text='Notruf'>"
               "  <setting text='Notrufende' value='Befreiung' active='1' valuetype='selection'>"
               "   <option text='Quittung'/><option text='Befreiung'/>"
               "  </setting>"
               "  <info text='Version 2'/>"
               " </section>"
               " <setting text='Uhrzeit' value='12:00' active='0' valuetype='inputsystemtime'/>"
               "</section>"
               "<section text='Reset-Optionen' sectiontype='blocked'/>"
               "<info text='Seriennr. 42'/>"
            << QStringList{
                   "section | Einstellungen |  |  | - | unbound",
                   "selection | Einstellungen/Sprache | Deutsch | Deutsch,English,Français | - | "
                   "bound",
                   "section | Einstellungen/Notruf |  |  | - | unbound",
                   "selection | Einstellungen/Notruf/Notrufende | Befreiung | Quittung,Befreiung | "
                   "marked | bound",
                   "info | Einstellungen/Notruf/Version 2 |  |  | - | unbound",
                   "inputsystemtime | Einstellungen/Uhrzeit | 12:00 |  | - | bound",
                   "section | Reset-Optionen |  |  | - | unbound",
                   "info | Seriennr. 42 |  |  | - | unbound",
               };
    QTest::newRow("comment becomes an item of empty type")
            << "<section text='Service'><!-- vom Techniker ergänzt --><info "
               "text='Hotline'/></section>"
            << QStringList{
                   "section | Service |  |  | - | unbound",
                   " | Service/ |  |  | - | unbound",
                   "info | Service/Hotline |  |  | - | unbound",
               };
    QTest::newRow("children of other settings stay items")
            << "<setting text='PIN' value='1234' active='0' valuetype='inputnum'><option "
               "text='Hinweis'/></setting>"
               "<setting text='Signal' value='' active='0'><option text='laut'/></setting>"
            << QStringList{
                   "inputnum | PIN | 1234 |  | - | bound",
                   "option | PIN/Hinweis |  |  | - | unbound",
                   " | Signal |  |  | - | bound",
                   "option | Signal/laut |  |  | - | unbound",
               };
}

void TestDeviceProfile::itemsFollowTreeInPreOrder()
{
    QFETCH(QString, menu);
    QFETCH(QStringList, items);

    DeviceProfile profile;
    QVERIFY(importMenu(profile, menu));
    QSignalSpy spy(&profile, &DeviceProfile::confItemListChanged);
    profile.rebuildConfItemList();
    QCOMPARE(describe(profile.items()), items);
    QCOMPARE(spy.count(), 1);
}

void TestDeviceProfile::activeMarkIsReadAsDecimalInteger_data()
{
    QTest::addColumn<QString>("activeAttribute");
    QTest::addColumn<bool>("marked");

    QTest::newRow("missing") << "" << false;
    QTest::newRow("not a number") << "active='x'" << false;
    QTest::newRow("2") << "active='2'" << true;
    QTest::newRow("negative") << "active='-1'" << true;
}

void TestDeviceProfile::activeMarkIsReadAsDecimalInteger()
{
    QFETCH(QString, activeAttribute);
    QFETCH(bool, marked);

    DeviceProfile profile;
    QVERIFY(importMenu(
            profile,
            QStringLiteral(
                    "<section text='S'><setting text='Wert' value='5' valuetype='inputnum' %1/>"
                    "</section>")
                    .arg(activeAttribute)));
    profile.rebuildConfItemList();

    QCOMPARE(profile.items().size(), 2);
    QCOMPARE(profile.items().at(1)->active(), marked);

    profile.gotoRoot();
    QCOMPARE(profile.gotoNextActive(), marked);
    QCOMPARE(profile.currentTagName(),
             marked ? QStringLiteral("setting") : QStringLiteral("deviceProfile"));
}

// The cursor operations the read-out walk builds its tree with are proven by
// the read-outs themselves; here stays the menu path they keep, which the
// transfer searches by.
void TestDeviceProfile::currentMenuPathFollowsEnclosingSections_data()
{
    // Each step appends an element (tag:text) below the cursor and steps
    // into it.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("menuPath");

    QTest::newRow("setting two sections deep")
            << QStringList{ "section:Einstellungen", "section:Notruf", "setting:Notrufende" }
            << QStringList{ "Einstellungen", "Notruf", "Notrufende" };
    QTest::newRow("option holds only its own text")
            << QStringList{ "section:Einstellungen", "setting:Sprache", "option:Deutsch" }
            << QStringList{ "Deutsch" };
    QTest::newRow("walk stops at first non-section")
            << QStringList{ "section:A", "info:B", "section:C" } << QStringList{ "C" };
}

void TestDeviceProfile::currentMenuPathFollowsEnclosingSections()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, menuPath);

    DeviceProfile profile;
    for (const QString &step : qAsConst(steps)) {
        const int colon = step.indexOf(QLatin1Char(':'));
        profile.appendChildElement(step.left(colon), step.mid(colon + 1));
        profile.gotoLastChild();
    }
    QCOMPARE(profile.currentMenuPath(), menuPath);
}

void TestDeviceProfile::gotoNextActiveVisitsMarksInDocumentOrder_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QStringList>("visits");

    QTest::newRow("marks at several depths")
            << "<setting text='A' active='1' valuetype='inputnum'/>"
               "<section text='S'>"
               " <setting text='B' active='0' valuetype='inputnum'/>"
               " <section text='T'>"
               "  <setting text='C' active='2' valuetype='selection'><option text='x'/><option "
               "text='y'/></setting>"
               " </section>"
               "</section>"
               "<section text='U'><section text='V'><setting text='D' "
               "active='1'/></section></section>"
               "<setting text='E' active='1'/>"
            << QStringList{ "A", "S/T/C", "U/V/D", "E" };
    QTest::newRow("climbs out of nested sections")
            << "<section text='S'><section text='T'><setting text='X' "
               "active='0'/></section></section>"
               "<setting text='Y' active='1'/>"
            << QStringList{ "Y" };
    QTest::newRow("mark behind a comment")
            << "<section text='S'><!-- Notiz --></section><setting text='Z' active='1'/>"
            << QStringList{ "Z" };
}

void TestDeviceProfile::gotoNextActiveVisitsMarksInDocumentOrder()
{
    QFETCH(QString, menu);
    QFETCH(QStringList, visits);

    DeviceProfile profile;
    QVERIFY(importMenu(profile, menu));
    // A mark outside the menu tree is never visited.
    QDomElement extra = profile.document().createElement(QStringLiteral("extra"));
    extra.setAttribute(QStringLiteral("active"), QStringLiteral("1"));
    profile.document().documentElement().appendChild(extra);
    profile.gotoRoot();
    QCOMPARE(profile.currentTagName(), QStringLiteral("deviceProfile"));

    QStringList visited;
    while (profile.gotoNextActive()) {
        visited.append(profile.currentMenuPath().join(QLatin1Char('/')));
        QVERIFY2(visited.size() <= visits.size(), qPrintable(visited.join(QStringLiteral(", "))));
    }
    QCOMPARE(visited, visits);

    // The failing call leaves the cursor on the last mark found, or on the
    // root when there was none, and keeps failing.
    const QDomElement last = profile.currentElement();
    QCOMPARE(profile.currentTagName(),
             visits.isEmpty() ? QStringLiteral("deviceProfile") : QStringLiteral("setting"));
    QVERIFY(!profile.gotoNextActive());
    QCOMPARE(profile.currentElement(), last);
}

// Above the root and below a leaf the cursor is null: it reads as empty,
// and writing through it changes nothing.
void TestDeviceProfile::nullCursorReadsEmptyAndChangesNothing()
{
    DeviceProfile profile;
    QVERIFY(importMenu(
            profile,
            QStringLiteral("<setting text='A' value='1' active='1' valuetype='inputnum'/>")));
    const QString before = profile.document().toString();

    profile.gotoRoot();
    profile.gotoParent();
    QVERIFY(profile.currentElement().isNull());
    QCOMPARE(profile.currentValue(), QString());
    QVERIFY(profile.childTexts().isEmpty());
    QVERIFY(profile.currentMenuPath().isEmpty());
    profile.appendChildElement(QStringLiteral("section"), QStringLiteral("X"));
    profile.setCurrentAttribute(QStringLiteral("value"), QStringLiteral("2"));
    QVERIFY(!profile.gotoNextActive());
    QCOMPARE(profile.document().toString(), before);

    profile.gotoRoot();
    profile.gotoLastChild();
    profile.gotoLastChild();
    QCOMPARE(profile.currentMenuPath(), QStringList{ "A" });
    profile.gotoLastChild();
    QVERIFY(profile.currentElement().isNull());
}

// A fresh or reset profile lists only the hint and holds an empty tree.
void TestDeviceProfile::resetProfileEmptiesTreeAndReleasesItems()
{
    DeviceProfile profile;
    const QStringList hintOnly{ "info | " + hintText + " |  |  | - | unbound" };
    QCOMPARE(describe(profile.items()), hintOnly);
    QVERIFY(!profile.items().first()->editable());
    QCOMPARE(profile.currentTagName(), QStringLiteral("menuTree"));
    QVERIFY(importMenu(
            profile,
            QStringLiteral(
                    "<section text='S'><setting text='A' value='1' active='1'/></section>")));
    profile.rebuildConfItemList();
    const QPointer<ConfItem> old = profile.items().first();
    QSignalSpy spy(&profile, &DeviceProfile::confItemListChanged);

    profile.resetProfile();

    QCOMPARE(spy.count(), 1);
    QCOMPARE(describe(profile.items()), hintOnly);
    const QDomElement menuTree = profile.document().documentElement().firstChildElement();
    QCOMPARE(menuTree.tagName(), QStringLiteral("menuTree"));
    QVERIFY(!menuTree.hasChildNodes());
    QCOMPARE(profile.currentElement(), menuTree);
    profile.gotoRoot();
    QVERIFY(!profile.gotoNextActive());

    processDeferredDeletes();
    QVERIFY(old.isNull());
}

// QML may still read an item of the former list until it has handled
// confItemListChanged, so items are deleted on the next event loop turn.
void TestDeviceProfile::releasedItemsSurviveUntilEventLoopTurn()
{
    DeviceProfile profile;
    QVERIFY(importMenu(
            profile,
            QStringLiteral("<setting text='A' value='1' active='0' valuetype='inputnum'/>")));
    profile.rebuildConfItemList();
    const QPointer<ConfItem> old = profile.items().first();

    profile.rebuildConfItemList();
    QVERIFY(!old.isNull());
    QVERIFY(!profile.items().contains(old.data()));
    QCOMPARE(old->value(), QStringLiteral("1"));

    QTRY_VERIFY(old.isNull());
}

void TestDeviceProfile::destroyedProfileReleasesAllItems()
{
    auto *profile = new DeviceProfile;
    QVERIFY(importMenu(*profile, QStringLiteral("<setting text='A' value='1'/><info text='B'/>")));
    profile->rebuildConfItemList();
    const QPointer<ConfItem> released = profile->items().first();
    profile->rebuildConfItemList();
    const QPointer<ConfItem> current = profile->items().last();
    QVERIFY(!released.isNull());

    delete profile;

    QVERIFY(current.isNull());
    QVERIFY(released.isNull());
}

void TestDeviceProfile::listPropertyServesTheItems()
{
    DeviceProfile profile;
    QVERIFY(importMenu(profile, QStringLiteral("<section text='S'><info text='I'/></section>")));
    profile.rebuildConfItemList();
    QQmlListProperty<ConfItem> list = profile.confItemList();
    QSignalSpy spy(&profile, &DeviceProfile::confItemListChanged);

    QCOMPARE(list.count(&list), 2);
    QCOMPARE(list.at(&list, 0), profile.items().at(0));
    QCOMPARE(list.at(&list, 1)->menuName(), QStringLiteral("I"));
    QCOMPARE(list.at(&list, 2), nullptr);

    const QPointer<ConfItem> released = profile.items().first();
    list.clear(&list);
    QCOMPARE(list.count(&list), 0);
    QCOMPARE(spy.count(), 1);
    processDeferredDeletes();
    QVERIFY(released.isNull());

    // An item that QML made and appended stays QML's own.
    ConfItem foreign(QStringLiteral("info"), QStringLiteral("Eigener Eintrag"));
    list.append(&list, &foreign);
    QCOMPARE(list.count(&list), 1);
    QCOMPARE(profile.items().first(), &foreign);
    QCOMPARE(spy.count(), 2);
    profile.rebuildConfItemList();
    processDeferredDeletes();
    QCOMPARE(foreign.menuName(), QStringLiteral("Eigener Eintrag"));
}

void TestDeviceProfile::valueIndexFollowsEditedValue()
{
    ConfItem item(QStringLiteral("selection"), QStringLiteral("Modus"), QStringLiteral("Aus"),
                  QStringLiteral("Aus\nEin\nBlinken"));
    QCOMPARE(item.valueIndex(), 0);
    QSignalSpy spy(&item, &ConfItem::valueChanged);
    item.setValue(QStringLiteral("Blinken"));
    QCOMPARE(item.valueIndex(), 2);
    item.setValue(QStringLiteral("weg"));
    QCOMPARE(item.valueIndex(), -1);
    // valueIndex shares valueChanged as its notification.
    QCOMPARE(spy.count(), 2);
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
    ConfItem item(QStringLiteral("inputnum"), QStringLiteral("Rufnummer"), QStringLiteral("1"),
                  QString(), true);
    if (bound)
        item.setElement(setting);
    QSignalSpy activeSpy(&item, &ConfItem::activeChanged);
    QSignalSpy valueSpy(&item, &ConfItem::valueChanged);

    for (bool active : { true, false, false }) // set while already marked, unset twice
        item.setActive(active);
    QCOMPARE(setting.attribute(QStringLiteral("active")),
             bound ? QStringLiteral("0") : QStringLiteral("7"));
    item.setActive(true);
    for (const char *value : { "1", "1", "2" })
        item.setValue(QString::fromLatin1(value));

    QCOMPARE(activeSpy.count(), 4);
    QCOMPARE(valueSpy.count(), 3);
    QVERIFY(item.active());
    QCOMPARE(item.value(), QStringLiteral("2"));
    QCOMPARE(setting.attribute(QStringLiteral("value")), bound ? QStringLiteral("2") : QString());
    QCOMPARE(setting.attribute(QStringLiteral("active")),
             bound ? QStringLiteral("1") : QStringLiteral("7"));
}

// Which values a setting takes: one table, asked of the item as the window
// asks it and of lumctl's "set", so that both refuse and accept the same.
void TestDeviceProfile::windowAndLumctlTakeTheSameValues_data()
{
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");

    QTest::newRow("time at midnight") << "Timerzeit Test"
                                      << "00:00" << true;
    QTest::newRow("time, last minute of the day") << "Timerzeit Test"
                                                  << "23:59" << true;
    QTest::newRow("time, hour 24") << "Timerzeit Test"
                                   << "24:00" << false;
    QTest::newRow("time, minute 60") << "Timerzeit Test"
                                     << "12:60" << false;
    QTest::newRow("time, only the hour typed") << "Timerzeit Test"
                                               << "01" << false;
    QTest::newRow("time, hour and colon typed") << "Timerzeit Test"
                                                << "01:" << false;
    QTest::newRow("time, one minute digit") << "Timerzeit Test"
                                            << "12:3" << false;
    QTest::newRow("time, one hour digit") << "Timerzeit Test"
                                          << "7:45" << false;
    QTest::newRow("time, empty") << "Timerzeit Test"
                                 << "" << false;
    QTest::newRow("number with star and hash") << "Rufnummer"
                                               << "*31#0049" << true;
    QTest::newRow("number of 32 digits") << "Rufnummer" << QString(32, '9') << true;
    QTest::newRow("number of 33 digits") << "Rufnummer" << QString(33, '9') << false;
    QTest::newRow("number, empty") << "Rufnummer"
                                   << "" << true;
    QTest::newRow("number with a plus") << "Rufnummer"
                                        << "+49711" << false;
    QTest::newRow("option") << "Rückruf"
                            << "Aus" << true;
    QTest::newRow("option with a slash") << "Rückruf"
                                         << "Ein / Aus" << true;
    QTest::newRow("option in other case") << "Rückruf"
                                          << "aus" << false;
    QTest::newRow("option with a trailing blank") << "Rückruf"
                                                  << "Aus " << false;
    QTest::newRow("read-only setting") << "Seriennummer"
                                       << "123" << false;
    QTest::newRow("blocked setting") << "Service-Center"
                                     << "+49" << false;
}

void TestDeviceProfile::windowAndLumctlTakeTheSameValues()
{
    QFETCH(QString, setting);
    QFETCH(QString, text);
    QFETCH(bool, valid);
    const QByteArray configuration =
            "<deviceProfile version=\"1.0\"><menuTree><section text=\"Einstellungen\">"
            "<setting text=\"Rückruf\" value=\"Ein\" active=\"0\" valuetype=\"selection\">"
            "<option text=\"Ein\"/><option text=\"Aus\"/><option text=\"Ein / Aus\"/></setting>"
            "<setting text=\"Rufnummer\" value=\"0711\" active=\"0\" valuetype=\"inputnum\"/>"
            "<setting text=\"Timerzeit Test\" value=\"08:00\" active=\"0\" "
            "valuetype=\"inputtime_hhmm\"/>"
            "<setting text=\"Seriennummer\" value=\"123\" active=\"0\" valuetype=\"readonly\"/>"
            "<setting text=\"Service-Center\" value=\"+49\" active=\"0\" valuetype=\"blocked\"/>"
            "</section></menuTree></deviceProfile>";
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("rules.lumc"));
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly) && out.write(configuration) == configuration.size());
    out.close();

    DeviceProfile profile;
    QVERIFY(profile.load(file));
    const ConfItem *item = itemNamed(profile, setting);
    QVERIFY(item);
    QCOMPARE(item->isValidValue(text), valid);
    // What is valid can also be typed into the setting's field.
    if (valid && !item->inputPattern().isEmpty())
        QVERIFY(QRegularExpression(QRegularExpression::anchoredPattern(item->inputPattern()))
                        .match(text)
                        .hasMatch());

    QProcess lumctl;
    lumctl.start(QStringLiteral(LUMCTL_PATH),
                 { QStringLiteral("set"), file,
                   QStringLiteral("Einstellungen/%1=%2").arg(setting, text) });
    QVERIFY(lumctl.waitForFinished(60000));
    QCOMPARE(lumctl.exitCode(), valid ? 0 : 2);
    DeviceProfile after;
    QVERIFY(after.load(file));
    QVERIFY(itemNamed(after, setting));
    QCOMPARE(itemNamed(after, setting)->value(), valid ? text : item->value());
}

QTEST_GUILESS_MAIN(TestDeviceProfile)
#include "tst_deviceprofile.moc"
