// Aborting a job while the device has a setting open, and the lines that
// tell the technician how a job ended, on a small simulated device.

#include <QLoggingCategory>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>

#include "robotharness.h"

namespace {

const QString menuText = QStringLiteral(R"(device ORV-TEST V1.00
section Einstellungen
    selection Lautstärke LSP = 5
        options: 1 | 2 | 3 | 4 | 5 | 6 | 7 | 8
    input Rufversuche = 5
    time Timerzeit Testalarm = 08:00
    clock Uhrzeit = 12:00
    date Datum = 01.01.26
)");

const int jobTimeoutMs = RobotHarness::readOutTimeoutMs(200);
const char keyOk = 13;
const char keyEsc = 27;

} // namespace

class TestAbort : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false")); }

    void init()
    {
        m_harness.reset(new RobotHarness);
        QString error;
        QVERIFY2(m_harness->startWithMenuText(menuText, &error), qPrintable(error));
        // The configuration a read-out of the menu gives, nothing marked.
        QVERIFY(m_harness->loadReadOut());
    }

    // The abort comes at the moment the device has the setting open: either
    // when the OK that opens it arrives (so the robot has just sent it), or when
    // the robot steps on from an option that is not the stored one. The stored
    // value stays, no field is left open, and no OK follows the abort.
    void abortClosesTheOpenSettingWithoutStoringIt_data()
    {
        QTest::addColumn<bool>("transfer");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("wanted"); // transfer only
        // Abort on a '+' past another option, else on the opening OK.
        QTest::addColumn<bool>("stepped");
        // clang-format off
        QTest::newRow("read-out, selection showing another option") << false << "Lautstärke LSP" << "" << true;
        QTest::newRow("read-out, number field just opened") << false << "Rufversuche" << "" << false;
        QTest::newRow("transfer, selection stepping to the wanted option") << true << "Lautstärke LSP" << "8" << true;
        QTest::newRow("transfer, number field just opened") << true << "Rufversuche" << "7" << false;
        QTest::newRow("transfer, time field just opened") << true << "Timerzeit Testalarm" << "09:15" << false;
        QTest::newRow("transfer, clock just opened") << true << "Uhrzeit" << "12:00" << false;
        QTest::newRow("transfer, date just opened") << true << "Datum" << "01.01.26" << false;
        // clang-format on
    }

    void abortClosesTheOpenSettingWithoutStoringIt()
    {
        QFETCH(bool, transfer);
        QFETCH(QString, name);
        QFETCH(QString, wanted);
        QFETCH(bool, stepped);

        DeviceSimulator &device = m_harness->device();
        LumBot &bot = m_harness->bot();
        const QStringList path{ "Einstellungen", name };
        const QString stored = device.value(path);
        QVERIFY(!stored.isNull());
        if (transfer)
            QVERIFY(mark(name, wanted));

        bool aborted = false;
        QByteArray keysAfterAbort; // the keys that reach the device after the abort
        connect(&device, &DeviceSimulator::keyReceived, this, [&](char key) {
            if (aborted) {
                keysAfterAbort.append(key);
                return;
            }
            // Called before the device handles the key.
            const bool atSetting = device.currentPath() == path;
            const bool open = device.cursorOnSecondRow();
            const bool trigger = stepped ? key == '+' && atSetting && open
                            && device.screen().value(1).trimmed() != stored
                                         : key == keyOk && atSetting && !open;
            if (trigger) {
                aborted = true;
                bot.abort();
            }
        });

        transfer ? bot.startUpload() : bot.startDownload();
        QSignalSpy keys(&device, &DeviceSimulator::keyReceived);
        while (!aborted)
            QVERIFY2(keys.wait(jobTimeoutMs), "the setting was never open");
        // The ESC goes out at once; a few seconds cover a loaded machine.
        while (!keysAfterAbort.contains(keyEsc))
            QVERIFY2(keys.wait(5000), "no ESC reached the device after the abort");

        QVERIFY(m_harness->isIdle());
        QVERIFY2(!keysAfterAbort.contains(keyOk), keysAfterAbort.toHex().constData());
        QVERIFY2(!device.cursorOnSecondRow(), qPrintable(device.screen().join(" | ")));
        QCOMPARE(device.value(path), stored);
        QCOMPARE(bot.jobOutcome(),
                 transfer ? QStringLiteral("Übertragung abgebrochen.")
                          : QStringLiteral("Auslesen abgebrochen."));
    }

    void finishedJobsSayWhatTheyDid()
    {
        LumBot &bot = m_harness->bot();
        const auto saysWithClock = [&](const QString &text) {
            return QRegularExpression(QLatin1Char('^') + text
                                      + QStringLiteral(" \\(\\d\\d:\\d\\d\\)$"))
                    .match(bot.jobOutcome())
                    .hasMatch();
        };
        // An identification that finds no device says so, the next one empties it.
        m_harness->device().setSilentAfterKeys(0);
        bot.startInit();
        QVERIFY(m_harness->waitUntilIdle(jobTimeoutMs));
        QVERIFY(bot.deviceIdentifier().isEmpty());
        QCOMPARE(bot.identificationError(),
                 QStringLiteral("Kein Gerät erkannt: keine Antwort auf der Schnittstelle."));
        m_harness->device().setSilentAfterKeys(-1);
        m_harness->device().clearRecords();
        QSignalSpy error(&bot, &LumBot::identificationErrorChanged);
        bot.startInit();
        QCOMPARE(error.count(), 1);
        QVERIFY(m_harness->waitUntilIdle(jobTimeoutMs));
        QCOMPARE(bot.deviceIdentifier(), QStringLiteral("ORV-TEST V1.00"));
        QVERIFY(bot.identificationError().isEmpty());

        QVERIFY(mark(QStringLiteral("Rufversuche"), QStringLiteral("3")));
        bot.startUpload();
        QVERIFY(m_harness->waitUntilIdle(jobTimeoutMs));
        QVERIFY2(saysWithClock(QStringLiteral("1 Einstellungen übertragen")),
                 qPrintable(bot.jobOutcome() + bot.lastErrorString()));
        QCOMPARE(m_harness->device().value({ "Einstellungen", "Rufversuche" }),
                 QStringLiteral("3"));

        // The next job empties the line at once.
        QSignalSpy outcome(&bot, &LumBot::jobOutcomeChanged);
        m_harness->profile().setAllMarked(false);
        bot.startUpload();
        QCOMPARE(outcome.count(), 1);
        QVERIFY(bot.jobOutcome().isEmpty());
        QVERIFY(m_harness->waitUntilIdle(jobTimeoutMs));
        QCOMPARE(bot.jobOutcome(), QStringLiteral("Keine Einstellung zur Übertragung markiert."));
    }

private:
    bool mark(const QString &name, const QString &value)
    {
        ConfItem *item = m_harness->item({ QStringLiteral("Einstellungen"), name });
        if (item) {
            item->setValue(value);
            item->setActive(true);
        }
        return item;
    }

    QScopedPointer<RobotHarness> m_harness;
};

QTEST_GUILESS_MAIN(TestAbort)
#include "tst_abort.moc"
