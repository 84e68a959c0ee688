// How the configuration editor's time grows with the size of a profile.
//
// The window's own QML (qrc:/main.qml) runs on the offscreen platform with
// the software scene graph (no OpenGL there). For generated profiles of
// 100, 500, 1,000 and 5,000 items the clock runs from loadFromFile until the
// editor's rows are laid out: the Repeater has created a row for every item
// and the window's next frame has polished the layout (the scene graph's
// beforeSynchronizing, which comes after polishing). The time to that frame
// on screen is printed too. Between two loads the editor goes back to a
// one-item profile and the old rows are deleted, outside the clock.
// The figure is t(5,000) / t(500): a linear cost gives 10.

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QTimer>
#include <QtQml>

#include <functional>

#include "benchreport.h"
#include "confitem.h"
#include "deviceprofile.h"
#include "kelhandler.h"
#include "lumbot.h"
#include "lumqmltypes.h"
#include "profilegenerator.h"

namespace {

const QVector<int> sizes = { 100, 500, 1000, 5000 };
const int rounds = 3;
const int waitLimitMs = 10 * 60 * 1000;
const double maxGrowth = 12.0;

// Runs the event loop until `done` holds, checked whenever the window has
// prepared or shown a frame.
bool waitForWindow(QQuickWindow *window, const std::function<bool()> &done)
{
    if (done())
        return true;
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    const auto check = [&] {
        if (done())
            loop.quit();
    };
    QObject::connect(window, &QQuickWindow::beforeSynchronizing, &loop, check, Qt::QueuedConnection);
    QObject::connect(window, &QQuickWindow::frameSwapped, &loop, check, Qt::QueuedConnection);
    limit.start(waitLimitMs);
    window->update();
    loop.exec();
    return done();
}

struct Timing {
    double createdMs = 0;  // loadFromFile returned with the rows created
    double laidOutMs = 0;  // polished in the next frame
    double shownMs = 0;    // that frame on screen
};

class EditorProbe
{
public:
    EditorProbe(QQuickWindow *window, DeviceProfile *profile, QObject *repeater)
        : m_window(window)
        , m_profile(profile)
        , m_repeater(repeater)
    {
        // Direct: the software scene graph runs on this thread, and the
        // moment counts, not when the event loop gets to it.
        QObject::connect(window, &QQuickWindow::beforeSynchronizing, window, [this] {
            if (m_armed && m_laidOutMs < 0 && rowCount() == m_expectedRows)
                m_laidOutMs = m_clock.nsecsElapsed() / 1e6;
        }, Qt::DirectConnection);
        QObject::connect(window, &QQuickWindow::frameSwapped, window, [this] {
            if (m_armed && m_laidOutMs >= 0 && m_shownMs < 0)
                m_shownMs = m_clock.nsecsElapsed() / 1e6;
        }, Qt::DirectConnection);
    }

    int rowCount() const { return m_repeater->property("count").toInt(); }

    bool load(const QString &path, int expectedRows, Timing *timing)
    {
        m_expectedRows = expectedRows;
        m_laidOutMs = -1;
        m_shownMs = -1;
        m_armed = true;
        m_clock.start();
        m_profile->loadFromFile(path);
        timing->createdMs = m_clock.nsecsElapsed() / 1e6;
        const bool shown = waitForWindow(m_window, [this] { return m_shownMs >= 0; });
        m_armed = false;
        timing->laidOutMs = m_laidOutMs;
        timing->shownMs = m_shownMs;
        return shown && rowCount() == expectedRows;
    }

    // Back to a one-row editor, the old rows gone, outside the clock.
    bool clear(const QString &onePath)
    {
        Timing ignored;
        const bool cleared = load(onePath, 1, &ignored);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
        return cleared;
    }

private:
    QQuickWindow *m_window;
    DeviceProfile *m_profile;
    QObject *m_repeater;
    QElapsedTimer m_clock;
    int m_expectedRows = 0;
    double m_laidOutMs = -1;
    double m_shownMs = -1;
    bool m_armed = false;
};

} // namespace

int main(int argc, char *argv[])
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!qEnvironmentVariableIsSet("QT_QUICK_BACKEND"))
        qputenv("QT_QUICK_BACKEND", "software");
    qputenv("QML_DISABLE_DISTANCEFIELD", "1");
    // Qt 6 always scales for the screen; Qt 5 does it when asked.
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
#endif
    QGuiApplication app(argc, argv);
    app.setOrganizationName(QStringLiteral("Kestrom Elektronik GmbH"));
    app.setOrganizationDomain(QStringLiteral("kestrom-elektronik.example"));
    qInstallMessageHandler(BenchReport::dropDebugMessages);
    registerLumQmlTypes();

    const QString name = QStringLiteral("Editor scale, t(5,000) / t(500)");
    QTemporaryDir dir;
    const QString onePath = dir.filePath(QStringLiteral("one.lumc"));
    bool written = dir.isValid() && ProfileGenerator::writeProfile(onePath, 1);
    for (int size : sizes)
        written = written && ProfileGenerator::writeProfile(dir.filePath(QStringLiteral("%1.lumc").arg(size)), size);
    if (!written) {
        BenchReport::failed(name, QStringLiteral("<= 12"), QStringLiteral("cannot write the test files"));
        return 1;
    }

    // "--main FILE" measures another main document instead, to find out
    // what in the window costs the time.
    QUrl mainDocument(QStringLiteral("qrc:/main.qml"));
    const int mainAt = app.arguments().indexOf(QStringLiteral("--main"));
    if (mainAt > 0 && mainAt + 1 < app.arguments().size())
        mainDocument = QUrl::fromLocalFile(QFileInfo(app.arguments().at(mainAt + 1)).absoluteFilePath());
    QQmlApplicationEngine engine;
    engine.load(mainDocument);
    QQuickWindow *window = engine.rootObjects().isEmpty() ? nullptr : qobject_cast<QQuickWindow *>(engine.rootObjects().first());
    DeviceProfile *profile = window ? window->findChild<DeviceProfile *>(QStringLiteral("deviceProfile")) : nullptr;
    QObject *repeater = window ? window->findChild<QObject *>(QStringLiteral("itemRepeater")) : nullptr;
    if (!window || !profile || !repeater) {
        BenchReport::failed(name, QStringLiteral("<= 12"), QStringLiteral("the window, its profile or its editor rows were not found"));
        return 1;
    }
    BenchReport::say(QStringLiteral("Editor scale: %1 on platform %2, %3 scene graph, window %4 x %5")
                         .arg(mainDocument.toString(), QGuiApplication::platformName(),
                              QString::fromLatin1(qgetenv("QT_QUICK_BACKEND")))
                         .arg(window->width())
                         .arg(window->height()));

    EditorProbe probe(window, profile, repeater);
    QMap<int, double> laidOut;
    QMap<int, double> shown;
    for (int size : sizes) {
        QVector<double> laidOutTimes;
        QVector<double> shownTimes;
        QVector<double> createdTimes;
        for (int round = 0; round < rounds; ++round) {
            Timing timing;
            if (!probe.clear(onePath) || !probe.load(dir.filePath(QStringLiteral("%1.lumc").arg(size)), size, &timing)) {
                BenchReport::failed(name, QStringLiteral("<= 12"),
                                    QStringLiteral("the editor did not show %1 rows (it shows %2)").arg(size).arg(probe.rowCount()));
                return 1;
            }
            createdTimes.append(timing.createdMs);
            laidOutTimes.append(timing.laidOutMs);
            shownTimes.append(timing.shownMs);
        }
        // The profile's own share: the same load into a profile no window shows.
        QVector<double> loadTimes;
        for (int round = 0; round < rounds; ++round) {
            DeviceProfile unseen;
            QElapsedTimer clock;
            clock.start();
            unseen.loadFromFile(dir.filePath(QStringLiteral("%1.lumc").arg(size)));
            loadTimes.append(clock.nsecsElapsed() / 1e6);
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        laidOut[size] = BenchReport::median(laidOutTimes);
        shown[size] = BenchReport::median(shownTimes);
        BenchReport::say(QStringLiteral("%1 items: rows created %2, laid out %3, frame shown %4; the load alone, without a window: %5 (medians of %6)")
                             .arg(size)
                             .arg(BenchReport::ms(BenchReport::median(createdTimes)), BenchReport::ms(laidOut[size]),
                                  BenchReport::ms(shown[size]), BenchReport::ms(BenchReport::median(loadTimes)))
                             .arg(rounds));
    }

    // Empty the editor before the window goes: the software scene graph does
    // not release the images of rows still shown when the window is
    // destroyed, which would bury a sanitizer run's leak report.
    probe.clear(onePath);

    const bool met = BenchReport::figure(name, laidOut[5000] / laidOut[500], BenchReport::Goal::AtMost, maxGrowth,
                                         QStringLiteral("t(500) %1, t(5,000) %2 from loadFromFile to rows laid out")
                                             .arg(BenchReport::ms(laidOut[500]), BenchReport::ms(laidOut[5000])));
    BenchReport::info(QStringLiteral("Editor, t(1,000): loadFromFile to rows laid out (aim: about a second)"),
                      QStringLiteral("%1 (frame shown %2); t(100) %3")
                          .arg(BenchReport::ms(laidOut[1000]), BenchReport::ms(shown[1000]), BenchReport::ms(laidOut[100])));
    return met ? 0 : 2;
}
