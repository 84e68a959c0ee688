#include <QDomDocument>
#include <QPointer>
#include <QQmlListProperty>
#include <QSignalSpy>
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
    for (QDomNode node = source.documentElement().firstChild(); !node.isNull(); node = node.nextSibling())
        menuTree.appendChild(document.importNode(node, true));
    return true;
}

// One line per item: type | menu path | value | options | marked | bound.
QString describe(const ConfItem *item)
{
    return QStringList{item->type(), item->menuPath().join(QLatin1Char('/')), item->value(),
                       item->options().join(QLatin1Char(',')), item->active() ? "marked" : "-",
                       item->element().isNull() ? "unbound" : "bound"}
        .join(QStringLiteral(" | "));
}

QStringList describe(const QList<ConfItem *> &items)
{
    QStringList lines;
    for (const ConfItem *item : items)
        lines.append(describe(item));
    return lines;
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

    void freshProfileListsOnlyTheHint();
    void itemsFollowTreeInPreOrder_data();
    void itemsFollowTreeInPreOrder();
    void activeMarkIsReadAsDecimalInteger_data();
    void activeMarkIsReadAsDecimalInteger();
    void currentMenuPathFollowsEnclosingSections_data();
    void currentMenuPathFollowsEnclosingSections();
    void gotoNextActiveVisitsMarksInDocumentOrder_data();
    void gotoNextActiveVisitsMarksInDocumentOrder();
    void gotoNextActiveStaysInsideMenuTree();
    void nullCursorReadsEmptyAndChangesNothing();
    void resetProfileEmptiesTreeAndReleasesItems();
    void releasedItemsSurviveUntilEventLoopTurn();
    void destroyedProfileReleasesAllItems();
    void listPropertyServesTheItems();
};

void TestDeviceProfile::cleanup()
{
    processDeferredDeletes();
}

void TestDeviceProfile::freshProfileListsOnlyTheHint()
{
    DeviceProfile profile;

    QCOMPARE(profile.items().size(), 1);
    const ConfItem *hint = profile.items().first();
    QCOMPARE(hint->type(), QStringLiteral("info"));
    QCOMPARE(hint->menuName(), hintText);
    QCOMPARE(hint->menuLayer(), 1);
    QVERIFY(!hint->editable());
    QVERIFY(!hint->active());
    QVERIFY(hint->element().isNull());
    // The empty tree's layout is checked by the file test of a fresh profile.
    QCOMPARE(profile.currentTagName(), QStringLiteral("menuTree"));
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
               "selection | Einstellungen/Sprache | Deutsch | Deutsch,English,Français | - | bound",
               "section | Einstellungen/Notruf |  |  | - | unbound",
               "selection | Einstellungen/Notruf/Notrufende | Befreiung | Quittung,Befreiung | marked | bound",
               "info | Einstellungen/Notruf/Version 2 |  |  | - | unbound",
               "inputsystemtime | Einstellungen/Uhrzeit | 12:00 |  | - | bound",
               "section | Reset-Optionen |  |  | - | unbound",
               "info | Seriennr. 42 |  |  | - | unbound",
           };
    QTest::newRow("comment becomes an item of empty type")
        << "<section text='Service'><!-- vom Techniker ergänzt --><info text='Hotline'/></section>"
        << QStringList{
               "section | Service |  |  | - | unbound",
               " | Service/ |  |  | - | unbound",
               "info | Service/Hotline |  |  | - | unbound",
           };
    QTest::newRow("children of other settings stay items")
        << "<setting text='PIN' value='1234' active='0' valuetype='inputnum'><option text='Hinweis'/></setting>"
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

    QTest::newRow("0") << "active='0'" << false;
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
    QVERIFY(importMenu(profile, QStringLiteral("<section text='S'><setting text='Wert' value='5' valuetype='inputnum' %1/>"
                                               "</section>").arg(activeAttribute)));
    profile.rebuildConfItemList();

    QCOMPARE(profile.items().size(), 2);
    QCOMPARE(profile.items().at(1)->active(), marked);

    profile.gotoRoot();
    QCOMPARE(profile.gotoNextActive(), marked);
    QCOMPARE(profile.currentTagName(), marked ? QStringLiteral("setting") : QStringLiteral("deviceProfile"));
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
        << QStringList{"section:Einstellungen", "section:Notruf", "setting:Notrufende"}
        << QStringList{"Einstellungen", "Notruf", "Notrufende"};
    QTest::newRow("option holds only its own text")
        << QStringList{"section:Einstellungen", "setting:Sprache", "option:Deutsch"} << QStringList{"Deutsch"};
    QTest::newRow("walk stops at first non-section")
        << QStringList{"section:A", "info:B", "section:C"} << QStringList{"C"};
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
           "  <setting text='C' active='2' valuetype='selection'><option text='x'/><option text='y'/></setting>"
           " </section>"
           "</section>"
           "<section text='U'><section text='V'><setting text='D' active='1'/></section></section>"
           "<setting text='E' active='1'/>"
        << QStringList{"A", "S/T/C", "U/V/D", "E"};
    QTest::newRow("climbs out of nested sections")
        << "<section text='S'><section text='T'><setting text='X' active='0'/></section></section>"
           "<setting text='Y' active='1'/>"
        << QStringList{"Y"};
    QTest::newRow("mark behind a comment")
        << "<section text='S'><!-- Notiz --></section><setting text='Z' active='1'/>" << QStringList{"Z"};
}

void TestDeviceProfile::gotoNextActiveVisitsMarksInDocumentOrder()
{
    QFETCH(QString, menu);
    QFETCH(QStringList, visits);

    DeviceProfile profile;
    QVERIFY(importMenu(profile, menu));
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
    QCOMPARE(profile.currentTagName(), visits.isEmpty() ? QStringLiteral("deviceProfile") : QStringLiteral("setting"));
    QVERIFY(!profile.gotoNextActive());
    QCOMPARE(profile.currentElement(), last);
}

void TestDeviceProfile::gotoNextActiveStaysInsideMenuTree()
{
    DeviceProfile profile;
    QVERIFY(importMenu(profile, QStringLiteral("<setting text='A' active='1'/>")));
    QDomDocument document = profile.document();
    QDomElement extra = document.createElement(QStringLiteral("extra"));
    extra.setAttribute(QStringLiteral("active"), QStringLiteral("1"));
    document.documentElement().appendChild(extra);

    profile.gotoRoot();
    QVERIFY(profile.gotoNextActive());
    QCOMPARE(profile.currentMenuPath(), QStringList{"A"});
    QVERIFY(!profile.gotoNextActive());
    QCOMPARE(profile.currentMenuPath(), QStringList{"A"});
}

// Above the root and below a leaf the cursor is null: it reads as empty,
// and writing through it changes nothing.
void TestDeviceProfile::nullCursorReadsEmptyAndChangesNothing()
{
    DeviceProfile profile;
    QVERIFY(importMenu(profile, QStringLiteral("<setting text='A' value='1' active='1' valuetype='inputnum'/>")));
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
    QCOMPARE(profile.currentMenuPath(), QStringList{"A"});
    profile.gotoLastChild();
    QVERIFY(profile.currentElement().isNull());
}

void TestDeviceProfile::resetProfileEmptiesTreeAndReleasesItems()
{
    DeviceProfile profile;
    QVERIFY(importMenu(profile, QStringLiteral("<section text='S'><setting text='A' value='1' active='1'/></section>")));
    profile.rebuildConfItemList();
    const QPointer<ConfItem> old = profile.items().first();
    QSignalSpy spy(&profile, &DeviceProfile::confItemListChanged);

    profile.resetProfile();

    QCOMPARE(spy.count(), 1);
    QCOMPARE(describe(profile.items()), QStringList{"info | " + hintText + " |  |  | - | unbound"});
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
    QVERIFY(importMenu(profile, QStringLiteral("<setting text='A' value='1' active='0' valuetype='inputnum'/>")));
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

QTEST_GUILESS_MAIN(TestDeviceProfile)
#include "tst_deviceprofile.moc"
