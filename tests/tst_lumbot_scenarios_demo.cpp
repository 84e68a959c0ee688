// A whole read-out of the demo device, as a technician's click on
// ">> Auslesen >>" runs it: robot, terminal link and simulated device over a
// pseudo-terminal. The expected tree is worked out from the menu file.

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "readoutoracle.h"
#include "robotharness.h"
#include "simmenu.h"
#include "treetext.h"

namespace {

int countElements(const QDomElement &parent, const QString &tagName = QString())
{
    int count = 0;
    for (QDomElement child = parent.firstChildElement(); !child.isNull(); child = child.nextSiblingElement()) {
        if (tagName.isEmpty() || child.tagName() == tagName)
            ++count;
        count += countElements(child, tagName);
    }
    return count;
}

} // namespace

class TestLumBotScenariosDemo : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void readOut_buildsTreeTheMenuCallsFor();
    void readOut_rebuildsItemListOnceAtTheEnd();
    void readOut_identifiesDeviceAndWarnsOfJumper();
    void readOut_countsEntriesAsProgress();
    void savedReadOut_loadsBackWithTheSameItems();

private:
    RobotHarness m_harness;
    SimMenu m_menu;
    ReadOutOracle::Expectation m_expected;
    int m_itemListChanges = -1;
    int m_errors = -1;
};

void TestLumBotScenariosDemo::initTestCase()
{
    // Every byte and screen is logged; a failure's own message says enough.
    QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
    QString error;
    QVERIFY2(m_menu.load(QStringLiteral(LUM_DEMO_MENU), &error), qPrintable(error));
    m_expected = ReadOutOracle::expect(m_menu);

    QVERIFY2(m_harness.startWithMenuFile(QStringLiteral(LUM_DEMO_MENU), &error), qPrintable(error));
    QSignalSpy errors(&m_harness.bot(), &LumBot::transmissionError);
    QElapsedTimer clock;
    clock.start();
    m_harness.bot().startDownload();
    // The reset at the start announces the emptied list; only the end counts.
    QSignalSpy itemListChanges(&m_harness.profile(), &DeviceProfile::confItemListChanged);
    QVERIFY(!m_harness.isIdle());
    QVERIFY2(m_harness.waitUntilIdle(RobotHarness::readOutTimeoutMs(m_expected.screens)),
             "the read-out of the demo menu did not end");
    qInfo("demo read-out: %lld ms, %d keys answered by the device (%d screens of the walk expected)",
          clock.elapsed(), m_harness.device().keyCount(), m_expected.screens);
    m_itemListChanges = itemListChanges.count();
    m_errors = errors.count();
    QVERIFY2(m_errors == 0, qPrintable(m_harness.bot().lastErrorString()));
}

void TestLumBotScenariosDemo::readOut_buildsTreeTheMenuCallsFor()
{
    const QStringList expected = TreeText::canonicalLines(TreeText::menuTreeOf(m_expected.document));
    const QStringList actual = TreeText::canonicalLines(TreeText::menuTreeOf(m_harness.profile().document()));
    const QString difference = TreeText::diff(expected, actual);
    QVERIFY2(difference.isEmpty(), qPrintable(QLatin1Char('\n') + difference));
    // The base menu's exit is listed, never entered.
    QVERIFY(expected.contains(QStringLiteral("  section sectiontype=\"blocked\" text=\"Programmierung\"")));
}

void TestLumBotScenariosDemo::readOut_rebuildsItemListOnceAtTheEnd()
{
    QCOMPARE(m_itemListChanges, 1);
    // One item per element below the menu tree, options excepted.
    const QDomElement tree = TreeText::menuTreeOf(m_expected.document);
    QCOMPARE(m_harness.profile().items().size(),
             countElements(tree) - countElements(tree, QStringLiteral("option")));
}

void TestLumBotScenariosDemo::readOut_identifiesDeviceAndWarnsOfJumper()
{
    QCOMPARE(m_harness.bot().deviceIdentifier(), m_menu.identifier);
    QCOMPARE(m_harness.bot().deviceWarning(),
             QStringLiteral("Hinweis: Bitte zum Abschluss \"Programmierung beenden\" wählen und den Jumper zurücksetzen!"));
    QCOMPARE(m_harness.bot().mode(), int(LumBot::Idle));
    QVERIFY(!m_harness.bot().isEnabled());
}

// Entries as the technician counts them: sections, settings and
// information lines, the options being part of their setting.
void TestLumBotScenariosDemo::readOut_countsEntriesAsProgress()
{
    const QDomElement tree = TreeText::menuTreeOf(m_expected.document);
    const int entries = countElements(tree) - countElements(tree, QStringLiteral("option"));
    QCOMPARE(m_harness.bot().itemsDone(), entries);
    QVERIFY2(m_harness.bot().jobOutcome().startsWith(QStringLiteral("%1 Einträge gelesen (").arg(entries)),
             qPrintable(m_harness.bot().jobOutcome()));
    QCOMPARE(m_harness.bot().itemsTotal(), 0);
}

void TestLumBotScenariosDemo::savedReadOut_loadsBackWithTheSameItems()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString name = dir.filePath(QStringLiteral("demo.lumc"));
    m_harness.profile().saveToFile(name);

    DeviceProfile loaded;
    loaded.loadFromFile(name);
    // Items are built from the tree compared below; what the tree does not
    // show is the loaded value taken as the unchanged one.
    QCOMPARE(loaded.items().size(), m_harness.profile().items().size());
    for (const ConfItem *item : loaded.items())
        QVERIFY2(item->initValue() == item->value(), qPrintable(item->menuPath().join(QLatin1Char('/'))));
    const QString difference = TreeText::diff(
            TreeText::canonicalLines(TreeText::menuTreeOf(m_harness.profile().document())),
            TreeText::canonicalLines(TreeText::menuTreeOf(loaded.document())));
    QVERIFY2(difference.isEmpty(), qPrintable(QLatin1Char('\n') + difference));
}

QTEST_GUILESS_MAIN(TestLumBotScenariosDemo)
#include "tst_lumbot_scenarios_demo.moc"
