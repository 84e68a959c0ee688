#include "kelhandler.h"

#include <QSignalSpy>
#include <QtTest>

// The port list the panel offers: sorted by character codes, the adapter
// with the manufacturer text "FTDI" preferred, and the extra ports named in
// LUM_EXTRA_PORTS (a simulator's pseudo-terminal; that the variable is read
// is proven by lumctl's port list).
class TestPortList : public QObject
{
    Q_OBJECT

private slots:
    void buildsSortedListWithPreferredAdapter_data();
    void buildsSortedListWithPreferredAdapter();
    void choiceEmitsInOrder_data();
    void choiceEmitsInOrder();
    void selectingTheSameIndexEmitsEveryTime();
    void rescanKeepsTheSelectedPortByName_data();
    void rescanKeepsTheSelectedPortByName();
};

using PortEntries = QVector<KelHandler::PortEntry>;

void TestPortList::buildsSortedListWithPreferredAdapter_data()
{
    QTest::addColumn<PortEntries>("ports");
    QTest::addColumn<QStringList>("extraPorts");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<int>("preferred");

    QTest::newRow("FTDI adapter preferred after sorting")
            << PortEntries{ { "COM3", "FTDI" }, { "COM1", "Microsoft" } } << QStringList()
            << QStringList{ "COM1", "COM3" } << 1;
    QTest::newRow("character codes: COM10 before COM3")
            << PortEntries{ { "COM3", "" }, { "COM10", "FTDI" }, { "COM2", "" } } << QStringList()
            << QStringList{ "COM10", "COM2", "COM3" } << 0;
    QTest::newRow("last FTDI adapter enumerated wins")
            << PortEntries{ { "COM4", "FTDI" }, { "COM7", "FTDI" } } << QStringList()
            << QStringList{ "COM4", "COM7" } << 1;
    QTest::newRow("last FTDI wins also when it sorts first")
            << PortEntries{ { "COM7", "FTDI" }, { "COM4", "FTDI" } } << QStringList()
            << QStringList{ "COM4", "COM7" } << 0;
    QTest::newRow("manufacturer only beginning with FTDI is not preferred")
            << PortEntries{ { "COM1", "FTDI Ltd" }, { "COM2", "" } } << QStringList()
            << QStringList{ "COM1", "COM2" } << -1;
    QTest::newRow("first extra port preferred, list sorted")
            << PortEntries{ { "ttyS0", "" } } << QStringList{ "/tmp/z/ttyLUM", "/tmp/a/ttyLUM" }
            << QStringList{ "/tmp/a/ttyLUM", "/tmp/z/ttyLUM", "ttyS0" } << 1;
    QTest::newRow("FTDI adapter beats the extra port")
            << PortEntries{ { "ttyUSB0", "FTDI" } } << QStringList{ "/tmp/sim/ttyLUM" }
            << QStringList{ "/tmp/sim/ttyLUM", "ttyUSB0" } << 1;
    QTest::newRow("extra port already in the list is offered once")
            << PortEntries{ { "ttyS0", "" } } << QStringList{ "ttyS0" } << QStringList{ "ttyS0" }
            << 0;
    QTest::newRow("empty entries of the variable are skipped")
            << PortEntries() << QStringList{ "", "/dev/pts/7" } << QStringList{ "/dev/pts/7" } << 0;
}

void TestPortList::buildsSortedListWithPreferredAdapter()
{
    QFETCH(PortEntries, ports);
    QFETCH(QStringList, extraPorts);
    QFETCH(QStringList, names);
    QFETCH(int, preferred);

    const KelHandler::PortChoice choice = KelHandler::buildPortChoice(ports, extraPorts);
    QCOMPARE(choice.names, names);
    QCOMPARE(choice.preferredIndex, preferred);
    // Each name keeps its own adapter's manufacturer through the sorting.
    QCOMPARE(choice.manufacturers.size(), names.size());
    for (const KelHandler::PortEntry &port : ports)
        QCOMPARE(choice.manufacturers.at(names.indexOf(port.first)), port.second);
}

// An adapter plugged in after start-up appears when the list is scanned
// again; what the technician had selected stays selected.
void TestPortList::rescanKeepsTheSelectedPortByName_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("choose");
    QTest::addColumn<QString>("selected");

    QTest::newRow("new port sorts before the selected one")
            << "/tmp/lum-test-b/ttyLUM:/tmp/lum-test-c/ttyLUM"
            << "/tmp/lum-test-b/ttyLUM:/tmp/lum-test-a/ttyLUM:/tmp/lum-test-c/ttyLUM"
            << "/tmp/lum-test-c/ttyLUM"
            << "/tmp/lum-test-c/ttyLUM";
    QTest::newRow("selected port gone: the preferred one")
            << "/tmp/lum-test-b/ttyLUM:/tmp/lum-test-c/ttyLUM"
            << "/tmp/lum-test-b/ttyLUM"
            << "/tmp/lum-test-c/ttyLUM"
            << "/tmp/lum-test-b/ttyLUM";
}

void TestPortList::rescanKeepsTheSelectedPortByName()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(QString, choose);
    QFETCH(QString, selected);
    const QByteArray saved = qgetenv("LUM_EXTRA_PORTS");
    const bool wasSet = qEnvironmentVariableIsSet("LUM_EXTRA_PORTS");
    qputenv("LUM_EXTRA_PORTS", before.toUtf8());
    KelHandler handler;
    handler.setTermPortSelectedIndx(handler.termPortList().indexOf(choose));
    qputenv("LUM_EXTRA_PORTS", after.toUtf8());
    QSignalSpy listChanged(&handler, &KelHandler::termPortListChanged);
    const int index = handler.rescanPorts();
    if (wasSet)
        qputenv("LUM_EXTRA_PORTS", saved);
    else
        qunsetenv("LUM_EXTRA_PORTS");

    QCOMPARE(listChanged.count(), 1);
    for (const QString &path : after.split(QLatin1Char(':')))
        QVERIFY(handler.termPortList().contains(path));
    QCOMPARE(handler.termPortSelectedIndx(), index);
    QCOMPARE(handler.termPortList().value(index), selected);
    QCOMPARE(handler.termPortManufacturers().size(), handler.termPortList().size());
}

// The selector reads the preferred index when the list changes, so the list
// comes last; a choice without a preference leaves the selection alone.
void TestPortList::choiceEmitsInOrder_data()
{
    QTest::addColumn<PortEntries>("ports");
    QTest::addColumn<QStringList>("order");
    QTest::addColumn<int>("selected");
    QTest::newRow("preferred adapter") << PortEntries{ { "COM3", "FTDI" }, { "COM1", "" } }
                                       << QStringList{ "preferred", "selected", "list" } << 1;
    QTest::newRow("no preference")
            << PortEntries{ { "COM2", "Prolific" } } << QStringList{ "list" } << -1;
}

void TestPortList::choiceEmitsInOrder()
{
    QFETCH(PortEntries, ports);
    QFETCH(QStringList, order);
    QFETCH(int, selected);
    KelHandler handler;
    handler.setTermPortSelectedIndx(-1);
    QStringList emitted;
    connect(&handler, &KelHandler::termPortPreferredIndxChanged, this,
            [&] { emitted << "preferred"; });
    connect(&handler, &KelHandler::termPortSelectedIndxChanged, this,
            [&] { emitted << "selected"; });
    connect(&handler, &KelHandler::termPortListChanged, this, [&] { emitted << "list"; });

    handler.applyPortChoice(KelHandler::buildPortChoice(ports, {}));

    QCOMPARE(emitted, order);
    QCOMPARE(handler.termPortSelectedIndx(), selected);
    if (selected >= 0)
        QCOMPARE(handler.termPortPreferredIndx(), selected);
}

void TestPortList::selectingTheSameIndexEmitsEveryTime()
{
    KelHandler handler;
    QSignalSpy selected(&handler, &KelHandler::termPortSelectedIndxChanged);
    handler.setTermPortSelectedIndx(2);
    handler.setTermPortSelectedIndx(2);
    QCOMPARE(selected.count(), 2);
    QCOMPARE(handler.termPortSelectedIndx(), 2);
    // The selector writes whatever it holds, also an index that names nothing.
    handler.setTermPortSelectedIndx(-1);
    QCOMPARE(handler.termPortSelectedIndx(), -1);
    QCOMPARE(selected.count(), 3);
}

QTEST_GUILESS_MAIN(TestPortList)
#include "tst_portlist.moc"
