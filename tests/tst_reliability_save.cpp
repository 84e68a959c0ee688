// A save that is cut off by the hardest stop there is: the saving process is
// killed with SIGKILL at random moments while it writes a large
// configuration. The file on disk must always be one complete configuration,
// the one before or the one after, never a mixture or a stump.
//
// The test runs itself a second time as the saving process:
//   tst_reliability_save --save-loop FILE
// saves two versions of a large configuration into FILE, alternately, until
// it is killed.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>

#include "deviceprofile.h"

namespace {

// About 30000 entries, well over a megabyte of text: a save takes long
// enough to be hit in the middle.
QByteArray largeConfiguration(char version)
{
    QByteArray text = "<deviceProfile version=\"1.0\">\n <menuTree>\n";
    for (int s = 0; s < 3000; ++s) {
        text += "  <section text=\"Bereich " + QByteArray::number(s) + "?\">\n";
        for (int i = 0; i < 8; ++i) {
            text += "   <setting text=\"Rufnummer " + QByteArray::number(i) + ":\" value=\"" + version
                    + QByteArray::number(s * 10 + i) + "\" active=\"0\" valuetype=\"inputnum\"/>\n";
        }
        text += "  </section>\n";
    }
    return text + " </menuTree>\n</deviceProfile>\n";
}

bool loadConfiguration(DeviceProfile &profile, const QString &folder, char version)
{
    const QString source = QDir(folder).filePath(QStringLiteral("quelle-%1.xml").arg(QLatin1Char(version)));
    QFile file(source);
    if (!file.open(QIODevice::WriteOnly) || file.write(largeConfiguration(version)) < 0)
        return false;
    file.close();
    return profile.load(source);
}

int runSaveLoop(const QString &target)
{
    QTemporaryDir work;
    DeviceProfile first;
    DeviceProfile second;
    if (!loadConfiguration(first, work.path(), 'A') || !loadConfiguration(second, work.path(), 'B'))
        return 3;
    for (long round = 0;; ++round) {
        DeviceProfile &profile = round % 2 == 0 ? first : second;
        if (!profile.save(target))
            return 4;
        if (round == 1) {
            std::fputs("saving\n", stdout);
            std::fflush(stdout);
        }
    }
}

} // namespace

class tst_ReliabilitySave : public QObject
{
    Q_OBJECT

private slots:
    void saveKilledPartWay_leavesOneCompleteConfiguration();
};

void tst_ReliabilitySave::saveKilledPartWay_leavesOneCompleteConfiguration()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString target = dir.filePath(QStringLiteral("anlage.lumc"));

    // What each version looks like when saved without interruption.
    QByteArray saved[2];
    for (int v = 0; v < 2; ++v) {
        DeviceProfile profile;
        QVERIFY(loadConfiguration(profile, dir.path(), v == 0 ? 'A' : 'B'));
        const QString reference = dir.filePath(QStringLiteral("referenz-%1.lumc").arg(v));
        QVERIFY(profile.save(reference));
        QFile file(reference);
        QVERIFY(file.open(QIODevice::ReadOnly));
        saved[v] = file.readAll();
        QVERIFY(saved[v].size() > 1000000);
    }
    QVERIFY(saved[0] != saved[1]);

    const int kills = 8;
    for (int k = 0; k < kills; ++k) {
        QProcess saver;
        saver.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--save-loop"), target});
        QVERIFY(saver.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(saver.canReadLine() || saver.state() == QProcess::NotRunning, 120000);
        QCOMPARE(saver.state(), QProcess::Running);
        QTest::qWait(QRandomGenerator::global()->bounded(20, 400));
        saver.kill(); // SIGKILL: no handler, no flush, no clean-up
        QVERIFY(saver.waitForFinished(30000));
        QCOMPARE(saver.exitStatus(), QProcess::CrashExit);

        QFile file(target);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray content = file.readAll();
        file.close();
        const int version = content == saved[0] ? 0 : content == saved[1] ? 1 : -1;
        QVERIFY2(version >= 0, qPrintable(QStringLiteral("kill %1 left %2 bytes that are neither version")
                                                  .arg(k).arg(content.size())));
    }

    // The next ordinary save still goes through.
    DeviceProfile profile;
    QVERIFY(loadConfiguration(profile, dir.path(), 'A'));
    QVERIFY(profile.save(target));
    QFile file(target);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), saved[0]);
}

int main(int argc, char *argv[])
{
    if (argc == 3 && qstrcmp(argv[1], "--save-loop") == 0) {
        QCoreApplication app(argc, argv);
        return runSaveLoop(QString::fromLocal8Bit(argv[2]));
    }
    QCoreApplication app(argc, argv);
    tst_ReliabilitySave test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_reliability_save.moc"
