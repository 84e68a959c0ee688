// Read-outs and transfers of generated device menus. A robot that is right
// on the demo menu but wrong in general shows itself here: every menu is
// compared with the tree its menu file describes, then a few settings are
// written and checked in the device. Each seed runs its own simulator, link
// and robot in a thread of its own, so the seeds wait on their devices at
// the same time; each row reports one seed.

#include <QLoggingCategory>
#include <QMap>
#include <QMutex>
#include <QThread>
#include <QtTest>

#include "generatedscenario.h"

namespace {

constexpr quint32 kSeeds = 20;

} // namespace

class TestGeneratedMenus : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
        QMutex mutex;
        QVector<QThread *> threads;
        for (quint32 seed = 1; seed <= kSeeds; ++seed) {
            threads.append(QThread::create([this, &mutex, seed] {
                const QString problem = GeneratedScenario::run(seed);
                QMutexLocker lock(&mutex);
                m_problems.insert(seed, problem);
            }));
            threads.last()->start();
        }
        for (QThread *thread : threads) {
            thread->wait();
            delete thread;
        }
    }

    void generatedMenu_readsOutAndTakesMarkedValues_data()
    {
        QTest::addColumn<quint32>("seed");
        for (quint32 seed = 1; seed <= kSeeds; ++seed)
            QTest::newRow(qPrintable(QStringLiteral("seed %1").arg(seed))) << seed;
    }

    void generatedMenu_readsOutAndTakesMarkedValues()
    {
        QFETCH(quint32, seed);
        QVERIFY(m_problems.contains(seed));
        QVERIFY2(m_problems.value(seed).isEmpty(), qPrintable("\n" + m_problems.value(seed)));
    }

private:
    QMap<quint32, QString> m_problems;
};

QTEST_GUILESS_MAIN(TestGeneratedMenus)
#include "tst_generatedmenus.moc"
