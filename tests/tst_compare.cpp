// The comparison with the device in the model: which device a file belongs
// to (kept on its root element, asked about before a write into another),
// and a setting edited after a check compared anew.

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "deviceorigin.h"
#include "deviceprofile.h"

namespace {

const QByteArray plainFile = R"(<deviceProfile version="1.0">
 <menuTree>
  <section text="Einstellungen">
   <setting text="Rufversuche" value="5" active="0" valuetype="inputnum"/>
  </section>
  <section text="Geräteinfo">
   <setting text="Seriennummer" value="4711-0815" active="0" valuetype="readonly"/>
  </section>
 </menuTree>
</deviceProfile>
)";

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
            && file.write(content) == content.size();
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestCompare : public QObject
{
    Q_OBJECT

private slots:
    // "id|serial|template" for the file and "id|serial" for the connected
    // device; the question names both as the technician reads them. Only
    // the device's serial number, where it is not known, can turn the
    // answer: then it is to be read first.
    void origin_fitsOrAsks_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("connected");
        QTest::addColumn<bool>("fits");
        QTest::addColumn<QString>("question");
        QTest::addColumn<bool>("readSerialFirst");
        const QString nr4000 = "ORV-NR4000 V2.31";
        // clang-format off
        QTest::newRow("same device") << nr4000 + "|4711-0815|0" << nr4000 + "|4711-0815" << true << "" << false;
        QTest::newRow("other serial number") << nr4000 + "|4711-0815|0" << nr4000 + "|4711-0999" << false << "Datei von ORV-NR4000 V2.31, Nr. 4711-0815; angeschlossen: ORV-NR4000 V2.31, Nr. 4711-0999" << false;
        QTest::newRow("other identifier, serial not shown") << nr4000 + "|4711-0815|0" << "ORV-NR4100 V2.48|" << false << "Datei von ORV-NR4000 V2.31, Nr. 4711-0815; angeschlossen: ORV-NR4100 V2.48" << false;
        QTest::newRow("other identifier, same serial") << nr4000 + "|4711-0815|0" << "ORV-NR4100 V2.48|4711-0815" << false << "Datei von ORV-NR4000 V2.31, Nr. 4711-0815; angeschlossen: ORV-NR4100 V2.48, Nr. 4711-0815" << false;
        QTest::newRow("template: any serial of its identifier") << nr4000 + "|4711-0815|1" << nr4000 + "|1234" << true << "" << false;
        QTest::newRow("template: not another identifier") << nr4000 + "||1" << "ORV-NR4100 V2.48|1234" << false << "Datei von ORV-NR4000 V2.31; angeschlossen: ORV-NR4100 V2.48, Nr. 1234" << false;
        QTest::newRow("file without serial number") << nr4000 + "||0" << nr4000 + "|1234" << true << "" << false;
        QTest::newRow("device's serial number not read (or not shown)") << nr4000 + "|4711-0815|0" << nr4000 + "|" << true << "" << true;
        QTest::newRow("template, device's serial number not read") << nr4000 + "|4711-0815|1" << nr4000 + "|" << true << "" << false;
        QTest::newRow("file without serial number, device's not read") << nr4000 + "||0" << nr4000 + "|" << true << "" << false;
        QTest::newRow("file of unknown origin") << "||0" << "ORV-NR4100 V2.48|" << true << "" << false;
        // clang-format on
    }

    void origin_fitsOrAsks()
    {
        QFETCH(QString, file);
        QFETCH(QString, connected);
        QFETCH(bool, fits);
        QFETCH(QString, question);
        QFETCH(bool, readSerialFirst);
        DeviceOrigin origin;
        origin.identifier = file.section('|', 0, 0);
        origin.serialNumber = file.section('|', 1, 1);
        origin.isTemplate = file.section('|', 2, 2) == "1";
        DeviceOrigin device;
        device.identifier = connected.section('|', 0, 0);
        device.serialNumber = connected.section('|', 1, 1);
        QCOMPARE(origin.fits(device), fits);
        QCOMPARE(origin.needsSerialNumberOf(device), readSerialFirst);
        if (!fits)
            QCOMPARE(origin.mismatchText(device), question);
    }

    // The device's identity goes into the file's root element and comes
    // back; a file without it loads as before and is saved without it.
    void origin_survivesSaveAndLoad()
    {
        QTemporaryDir dir;
        const QString plain = dir.filePath("plain.lumc");
        QVERIFY(writeFile(plain, plainFile));
        DeviceProfile profile;
        QVERIFY(profile.load(plain));
        QVERIFY(!profile.origin().isKnown());
        QCOMPARE(profile.serialNumberSetting(), QStringLiteral("4711-0815"));
        const QString again = dir.filePath("again.lumc");
        QVERIFY(profile.save(again));
        QVERIFY(!readAll(again).contains("deviceIdentifier"));

        profile.setOrigin({ "ORV-NR4000 V2.31", profile.serialNumberSetting(), false });
        const QString known = dir.filePath("known.lumc");
        QVERIFY(profile.save(known));
        QVERIFY(readAll(known).startsWith(
                R"(<deviceProfile version="1.0" deviceIdentifier="ORV-NR4000 V2.31" serialNumber="4711-0815">)"));
        DeviceProfile loaded;
        QVERIFY(loaded.load(known));
        QCOMPARE(loaded.origin().description(), QStringLiteral("ORV-NR4000 V2.31, Nr. 4711-0815"));
        QVERIFY(!loaded.origin().isTemplate);
        QCOMPARE(loaded.entryCount(), profile.entryCount());
    }

    // A setting edited after the check is compared with what the device
    // showed; a new list of settings has no comparison.
    void comparison_followsEditsAndEndsWithNewItems()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("plain.lumc");
        QVERIFY(writeFile(path, plainFile));
        DeviceProfile profile;
        QVERIFY(profile.load(path));
        const QList<CheckedSetting> paths = profile.checkedPaths(true);
        QCOMPARE(paths.size(), 2); // the setting and the serial number
        QList<CheckedSetting> found = paths;
        for (CheckedSetting &checked : found) {
            checked.found = checked.reached = true;
            checked.deviceValue = checked.menuPath.last() == "Seriennummer" ? "9999" : "7";
        }
        QSignalSpy changed(&profile, &DeviceProfile::comparisonChanged);
        profile.applyComparison(found);
        QVERIFY(profile.hasComparison());
        QCOMPARE(profile.differenceCount(), 1);
        ConfItem *setting = nullptr;
        for (ConfItem *item : profile.items())
            if (item->menuName() == "Rufversuche")
                setting = item;
        QVERIFY(setting);
        QCOMPARE(setting->comparison(), ConfItem::Differs);
        QVERIFY(setting->active());
        setting->editValue("7");
        QCOMPARE(setting->comparison(), ConfItem::Same);
        QCOMPARE(profile.differenceCount(), 0);
        QVERIFY(changed.count() >= 2);
        profile.rebuildConfItemList();
        QVERIFY(!profile.hasComparison());
        QCOMPARE(profile.differenceCount(), 0);
    }
};

QTEST_GUILESS_MAIN(TestCompare)
#include "tst_compare.moc"
