#include <QDomDocument>
#include <QSignalSpy>
#include <QtTest>

#include "confitem.h"

class TestConfItem : public QObject
{
    Q_OBJECT

private slots:
    void editableFollowsValueType_data();
    void editableFollowsValueType();
    void menuNameAndLayerComeFromMenuPath_data();
    void menuNameAndLayerComeFromMenuPath();
    void valueIndexFindsFirstMatchingOption_data();
    void valueIndexFindsFirstMatchingOption();
    void valueIndexFollowsEditedValue();
    void tooltipOnlyForExactStandardPaths_data();
    void tooltipOnlyForExactStandardPaths();
    void initValueKeepsConstructedValue();
    void setActiveWritesDecimalMarkIntoElement_data();
    void setActiveWritesDecimalMarkIntoElement();
    void settersEmitOnEveryCall_data();
    void settersEmitOnEveryCall();
};

void TestConfItem::editableFollowsValueType_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<bool>("editable");

    QTest::newRow("selection") << "selection" << true;
    QTest::newRow("inputnum") << "inputnum" << true;
    QTest::newRow("any input prefix") << "input" << true;
    QTest::newRow("readonly") << "readonly" << false;
    QTest::newRow("missing value type") << "" << false;
    QTest::newRow("selection in capitals") << "Selection" << false;
    QTest::newRow("selection with suffix") << "selections" << false;
    QTest::newRow("input not at start") << "noinput" << false;
}

void TestConfItem::editableFollowsValueType()
{
    QFETCH(QString, type);
    QFETCH(bool, editable);

    const ConfItem item(type, QStringLiteral("Einstellungen\nSprache"));
    QCOMPARE(item.property("editable").toBool(), editable);
}

void TestConfItem::menuNameAndLayerComeFromMenuPath_data()
{
    QTest::addColumn<QString>("menuPathText");
    QTest::addColumn<QStringList>("menuPath");
    QTest::addColumn<QString>("menuName");
    QTest::addColumn<int>("menuLayer");

    QTest::newRow("empty path is one empty entry") << "" << QStringList{""} << "" << 1;
    QTest::newRow("three levels") << "Einstellungen\nNotruf\nNotrufende"
                                  << QStringList{"Einstellungen", "Notruf", "Notrufende"} << "Notrufende" << 3;
    QTest::newRow("empty entry in the middle stays") << "A\n\nC" << QStringList{"A", "", "C"} << "C" << 3;
    QTest::newRow("trailing line feed gives empty name") << "A\n" << QStringList{"A", ""} << "" << 2;
}

void TestConfItem::menuNameAndLayerComeFromMenuPath()
{
    QFETCH(QString, menuPathText);
    QFETCH(QStringList, menuPath);
    QFETCH(QString, menuName);
    QFETCH(int, menuLayer);

    const ConfItem item(QStringLiteral("info"), menuPathText);
    QCOMPARE(item.menuPath(), menuPath);
    QCOMPARE(item.menuName(), menuName);
    QCOMPARE(item.menuLayer(), menuLayer);
}

void TestConfItem::valueIndexFindsFirstMatchingOption_data()
{
    QTest::addColumn<QString>("optionsText");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("valueIndex");

    QTest::newRow("empty options text, empty value") << "" << "" << QStringList{""} << 0;
    QTest::newRow("empty options text, other value") << "" << "Ein" << QStringList{""} << -1;
    QTest::newRow("value is second option") << "Aus\nEin" << "Ein" << QStringList{"Aus", "Ein"} << 1;
    QTest::newRow("value absent") << "Aus\nEin" << "Blinken" << QStringList{"Aus", "Ein"} << -1;
    QTest::newRow("duplicate gives first occurrence") << "10 s\n20 s\n10 s\n20 s" << "20 s"
                                                      << QStringList{"10 s", "20 s", "10 s", "20 s"} << 1;
    QTest::newRow("comparison is case-sensitive") << "Aus\nEin" << "ein" << QStringList{"Aus", "Ein"} << -1;
    QTest::newRow("empty option in the middle") << "Aus\n\nEin" << "" << QStringList{"Aus", "", "Ein"} << 1;
}

void TestConfItem::valueIndexFindsFirstMatchingOption()
{
    QFETCH(QString, optionsText);
    QFETCH(QString, value);
    QFETCH(QStringList, options);
    QFETCH(int, valueIndex);

    const ConfItem item(QStringLiteral("selection"), QStringLiteral("Einstellungen\nModus"), value, optionsText);
    QCOMPARE(item.options(), options);
    QCOMPARE(item.valueIndex(), valueIndex);
}

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

void TestConfItem::tooltipOnlyForExactStandardPaths_data()
{
    QTest::addColumn<QString>("menuPathText");
    QTest::addColumn<QString>("tooltip");

    const QString notrufende = QStringLiteral(
        "Nach EN 81-28:2018 muss ein Notruf gespeichert bleiben, bis die Befreiung abgeschlossen ist.");
    const QString timerstoerung = QStringLiteral(
        "Nach EN 81-28:2018 muss eine Timerstörung durch eine abwechselnd blinkende Tableau-Anzeige "
        "dargestellt werden.");

    QTest::newRow("Notrufende") << "Einstellungen\nNotruf\nNotrufende" << notrufende;
    QTest::newRow("Timerstoerung") << "Einstellungen\nTimer\nTimerstoerung" << timerstoerung;
    QTest::newRow("Notrufende in other letter case") << "Einstellungen\nNotruf\nNotrufEnde" << QString();
    QTest::newRow("extra entry") << "Einstellungen\nNotruf\nNotrufende\nZeit" << QString();
    QTest::newRow("trailing line feed") << "Einstellungen\nTimer\nTimerstoerung\n" << QString();
    QTest::newRow("umlaut spelling") << "Einstellungen\nTimer\nTimerstörung" << QString();
}

void TestConfItem::tooltipOnlyForExactStandardPaths()
{
    QFETCH(QString, menuPathText);
    QFETCH(QString, tooltip);

    const ConfItem item(QStringLiteral("selection"), menuPathText, QStringLiteral("Ein"), QStringLiteral("Aus\nEin"));
    QCOMPARE(item.tooltip(), tooltip);
}

void TestConfItem::initValueKeepsConstructedValue()
{
    ConfItem item(QStringLiteral("inputnum"), QStringLiteral("Rufnummer"), QStringLiteral("0123"), QString(), true);
    item.setValue(QStringLiteral("0456"));
    QCOMPARE(item.value(), QStringLiteral("0456"));
    QCOMPARE(item.initValue(), QStringLiteral("0123"));
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
