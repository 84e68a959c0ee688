// Which values a setting takes: one table, asked of the item as the window
// asks it and of lumctl's "set", so that both refuse and accept the same.

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "deviceprofile.h"

namespace {

const QByteArray configuration =
    "<deviceProfile version=\"1.0\"><menuTree><section text=\"Einstellungen\">"
    "<setting text=\"Rückruf\" value=\"Ein\" active=\"0\" valuetype=\"selection\">"
    "<option text=\"Ein\"/><option text=\"Aus\"/><option text=\"Ein / Aus\"/></setting>"
    "<setting text=\"Rufnummer\" value=\"0711\" active=\"0\" valuetype=\"inputnum\"/>"
    "<setting text=\"Timerzeit Test\" value=\"08:00\" active=\"0\" valuetype=\"inputtime_hhmm\"/>"
    "<setting text=\"Seriennummer\" value=\"123\" active=\"0\" valuetype=\"readonly\"/>"
    "<setting text=\"Service-Center\" value=\"+49\" active=\"0\" valuetype=\"blocked\"/>"
    "</section></menuTree></deviceProfile>";

} // namespace

class TestValueRules : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void windowAndLumctlTakeTheSameValues_data();
    void windowAndLumctlTakeTheSameValues();

private:
    QTemporaryDir m_dir;
};

void TestValueRules::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

void TestValueRules::windowAndLumctlTakeTheSameValues_data()
{
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");

    QTest::newRow("time at midnight") << "Timerzeit Test" << "00:00" << true;
    QTest::newRow("time, last minute of the day") << "Timerzeit Test" << "23:59" << true;
    QTest::newRow("time, hour 24") << "Timerzeit Test" << "24:00" << false;
    QTest::newRow("time, minute 60") << "Timerzeit Test" << "12:60" << false;
    QTest::newRow("time, only the hour typed") << "Timerzeit Test" << "01" << false;
    QTest::newRow("time, hour and colon typed") << "Timerzeit Test" << "01:" << false;
    QTest::newRow("time, one minute digit") << "Timerzeit Test" << "12:3" << false;
    QTest::newRow("time, one hour digit") << "Timerzeit Test" << "7:45" << false;
    QTest::newRow("time, empty") << "Timerzeit Test" << "" << false;
    QTest::newRow("number with star and hash") << "Rufnummer" << "*31#0049" << true;
    QTest::newRow("number of 32 digits") << "Rufnummer" << QString(32, '9') << true;
    QTest::newRow("number of 33 digits") << "Rufnummer" << QString(33, '9') << false;
    QTest::newRow("number, empty") << "Rufnummer" << "" << true;
    QTest::newRow("number with a plus") << "Rufnummer" << "+49711" << false;
    QTest::newRow("number with a letter") << "Rufnummer" << "0711a" << false;
    QTest::newRow("option") << "Rückruf" << "Aus" << true;
    QTest::newRow("option with a slash") << "Rückruf" << "Ein / Aus" << true;
    QTest::newRow("option in other case") << "Rückruf" << "aus" << false;
    QTest::newRow("option with a trailing blank") << "Rückruf" << "Aus " << false;
    QTest::newRow("read-only setting") << "Seriennummer" << "123" << false;
    QTest::newRow("blocked setting") << "Service-Center" << "+49" << false;
}

void TestValueRules::windowAndLumctlTakeTheSameValues()
{
    QFETCH(QString, setting);
    QFETCH(QString, text);
    QFETCH(bool, valid);

    const QString file = m_dir.filePath(QStringLiteral("rules.lumc"));
    QFile::remove(file);
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(configuration);
    out.close();

    DeviceProfile profile;
    QVERIFY(profile.load(file));
    const ConfItem *item = nullptr;
    for (const ConfItem *candidate : profile.items()) {
        if (candidate->menuName() == setting)
            item = candidate;
    }
    QVERIFY(item);
    QCOMPARE(item->isValidValue(text), valid);
    // What is valid can also be typed into the setting's field.
    if (valid && !item->inputPattern().isEmpty()) {
        const QRegularExpression typed(QRegularExpression::anchoredPattern(item->inputPattern()));
        QVERIFY(typed.match(text).hasMatch());
    }

#ifdef LUMCTL_PATH
    QProcess lumctl;
    lumctl.start(QStringLiteral(LUMCTL_PATH),
                 {QStringLiteral("set"), file, QStringLiteral("Einstellungen/%1=%2").arg(setting, text)});
    QVERIFY(lumctl.waitForFinished(60000));
    QCOMPARE(lumctl.exitCode(), valid ? 0 : 2);
    DeviceProfile after;
    QVERIFY(after.load(file));
    for (const ConfItem *candidate : after.items()) {
        if (candidate->menuName() == setting)
            QCOMPARE(candidate->value(), valid ? text : item->value());
    }
#endif
}

QTEST_GUILESS_MAIN(TestValueRules)
#include "tst_valuerules.moc"
