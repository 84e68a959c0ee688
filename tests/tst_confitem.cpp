// A configuration item as the editor binds it: what it writes into its
// element of the tree and which signals the editor's bindings rely on.
#include <QDomDocument>
#include <QSignalSpy>
#include <QtTest>

#include "confitem.h"

class TestConfItem : public QObject
{
    Q_OBJECT

private slots:
    void valueIndexFollowsEditedValue();
    void setActiveWritesDecimalMarkIntoElement_data();
    void setActiveWritesDecimalMarkIntoElement();
    void settersEmitOnEveryCall_data();
    void settersEmitOnEveryCall();
};

void TestConfItem::valueIndexFollowsEditedValue()
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

void TestConfItem::setActiveWritesDecimalMarkIntoElement_data()
{
    QTest::addColumn<QString>("markBefore");
    QTest::addColumn<bool>("active");
    QTest::addColumn<QString>("markAfter");

    QTest::newRow("unmark keeps the attribute as 0") << "1" << false << "0";
    QTest::newRow("odd mark normalised to 1") << "7" << true << "1";
}

void TestConfItem::setActiveWritesDecimalMarkIntoElement()
{
    QFETCH(QString, markBefore);
    QFETCH(bool, active);
    QFETCH(QString, markAfter);

    QDomDocument document;
    QDomElement setting = document.createElement(QStringLiteral("setting"));
    setting.setAttribute(QStringLiteral("active"), markBefore);
    setting.setAttribute(QStringLiteral("value"), QStringLiteral("Ein"));
    document.appendChild(setting);

    ConfItem item(QStringLiteral("selection"), QStringLiteral("Modus"), QStringLiteral("Ein"), QString(),
                  markBefore != QLatin1String("0"));
    item.setElement(setting);
    item.setActive(active);

    QCOMPARE(item.active(), active);
    QVERIFY(setting.hasAttribute(QStringLiteral("active")));
    QCOMPARE(setting.attribute(QStringLiteral("active")), markAfter);
    QCOMPARE(setting.attribute(QStringLiteral("value")), QStringLiteral("Ein"));
}

void TestConfItem::settersEmitOnEveryCall_data()
{
    QTest::addColumn<bool>("bound");

    QTest::newRow("bound to a setting") << true;
    QTest::newRow("unbound item") << false;
}

void TestConfItem::settersEmitOnEveryCall()
{
    QFETCH(bool, bound);

    QDomDocument document;
    QDomElement setting = document.createElement(QStringLiteral("setting"));
    document.appendChild(setting);

    ConfItem item(QStringLiteral("inputnum"), QStringLiteral("Rufnummer"), QStringLiteral("1"));
    if (bound)
        item.setElement(setting);
    QSignalSpy activeSpy(&item, &ConfItem::activeChanged);
    QSignalSpy valueSpy(&item, &ConfItem::valueChanged);

    item.setActive(false);
    item.setActive(false);
    item.setActive(true);
    item.setValue(QStringLiteral("1"));
    item.setValue(QStringLiteral("1"));
    item.setValue(QStringLiteral("2"));

    QCOMPARE(activeSpy.count(), 3);
    QCOMPARE(valueSpy.count(), 3);
    QVERIFY(item.active());
    QCOMPARE(item.value(), QStringLiteral("2"));
    QCOMPARE(setting.attribute(QStringLiteral("value")), bound ? QStringLiteral("2") : QString());
    QCOMPARE(setting.attribute(QStringLiteral("active")), bound ? QStringLiteral("1") : QString());
}

QTEST_GUILESS_MAIN(TestConfItem)
#include "tst_confitem.moc"
