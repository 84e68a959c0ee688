// How the configuration editor's time grows with the size of a profile, and
// how smoothly it scrolls through a large one.
//
// The window's own QML (qrc:/main.qml, compiled ahead of time as lum carries
// it) runs on the offscreen platform with the software scene graph (no
// OpenGL there). For generated profiles of 100, 500, 1,000 and 5,000 items
// the clock runs from loadFromFile until the editor's first screen of rows
// is laid out: the list knows every item and the window's next frame has
// polished the rows on screen (the scene graph's beforeSynchronizing, which
// comes after polishing). The time to that frame on screen is printed too.
// Between two loads the editor goes back to a one-item profile and the old
// rows are deleted, outside the clock. The figures are the editor's
// t(5,000) / t(500) and the whole t(5,000) from loadFromFile. The editor's
// t is its own share: after a load the profile announces its item list once
// more, as at the end of the load, and the clock runs until the editor has
// replaced its rows and laid out the first screen of them. (Parsing the file
// and building the items grows with the file; bench_file_model measures it.)
//
// Scrolling: with the 5,000 items loaded, the list is moved from top to
// bottom a quarter of its height at a time, and each step's frame is timed
// from the move until the frame is on screen (new rows created, polished,
// drawn). The figure is the median frame.

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

#include <algorithm>
#include <functional>

#include "benchreport.h"
#include "confitem.h"
#include "deviceprofile.h"
#include "kelhandler.h"
#include "lumbot.h"
#include "lumqmltypes.h"
#include "lumsession.h"
#include "profilegenerator.h"

namespace {

const QVector<int> sizes = { 100, 500, 1000, 5000 };
const int rounds = 3;
const int waitLimitMs = 10 * 60 * 1000;
const double maxGrowth = 3.0;
const double maxFirstScreenMs = 1000.0;
const double maxScrollFrameMs = 16.0;

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
    QObject::connect(window, &QQuickWindow::beforeSynchronizing, &loop, check,
                     Qt::QueuedConnection);
    QObject::connect(window, &QQuickWindow::frameSwapped, &loop, check, Qt::QueuedConnection);
    limit.start(waitLimitMs);
    window->update();
    loop.exec();
    return done();
}

struct Timing
{
    double createdMs = 0; // loadFromFile returned
    double laidOutMs = 0; // polished in the next frame
    double shownMs = 0; // that frame on screen
};

class EditorProbe
{
public:
    EditorProbe(QQuickWindow *window, DeviceProfile *profile, QQuickItem *list)
        : m_window(window), m_profile(profile), m_list(list)
    {
        // Direct: the software scene graph runs on this thread, and the
        // moment counts, not when the event loop gets to it.
        QObject::connect(
                window, &QQuickWindow::beforeSynchronizing, window,
                [this] {
                    if (m_armed && m_laidOutMs < 0 && rowCount() == m_expectedRows)
                        m_laidOutMs = m_clock.nsecsElapsed() / 1e6;
                },
                Qt::DirectConnection);
        QObject::connect(
                window, &QQuickWindow::frameSwapped, window,
                [this] {
                    if (m_armed && m_laidOutMs >= 0 && m_shownMs < 0)
                        m_shownMs = m_clock.nsecsElapsed() / 1e6;
                },
                Qt::DirectConnection);
    }

    // The editor's own share: the profile announces its item list once more,
    // as it does at the end of every load, and the editor replaces all its
    // rows; the clock runs from the announcement to the first screen of the
    // new rows laid out. False when the editor kept its old rows.
    bool reshow(int expectedRows, double *ms)
    {
        QObject *before = firstRow();
        m_expectedRows = expectedRows;
        m_laidOutMs = -1;
        m_shownMs = -1;
        m_armed = true;
        m_clock.start();
        emit m_profile->confItemListChanged();
        const bool shown = waitForWindow(m_window, [this] { return m_shownMs >= 0; });
        m_armed = false;
        *ms = m_laidOutMs;
        return shown && firstRow() != before && firstRow() != nullptr;
    }

    QObject *firstRow() const
    {
        QQuickItem *row = nullptr;
        QMetaObject::invokeMethod(m_list, "itemAtIndex", Q_RETURN_ARG(QQuickItem *, row),
                                  Q_ARG(int, 0));
        return row;
    }

    int rowCount() const { return m_list->property("count").toInt(); }

    // Moves the list from top to bottom, a quarter of its height per frame;
    // the duration of each frame, from the move to the frame on screen.
    QVector<double> scrollFrames()
    {
        QVector<double> frames;
        m_list->setProperty("contentY", m_list->property("originY"));
        waitForWindow(m_window, [] { return true; });
        const double step = m_list->height() / 4;
        for (;;) {
            const double top = m_list->property("contentY").toDouble();
            const double bottom = m_list->property("originY").toDouble()
                    + m_list->property("contentHeight").toDouble() - m_list->height();
            if (top >= bottom)
                break;
            bool shown = false;
            QElapsedTimer clock;
            const auto connection = QObject::connect(
                    m_window, &QQuickWindow::frameSwapped, m_window, [&] { shown = true; },
                    Qt::DirectConnection);
            clock.start();
            m_list->setProperty("contentY", qMin(top + step, bottom));
            waitForWindow(m_window, [&] { return shown; });
            frames.append(clock.nsecsElapsed() / 1e6);
            QObject::disconnect(connection);
            if (!shown || frames.size() > 100000)
                break;
        }
        return frames;
    }

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
    QQuickItem *m_list;
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
        written = written
                && ProfileGenerator::writeProfile(dir.filePath(QStringLiteral("%1.lumc").arg(size)),
                                                  size);
    if (!written) {
        BenchReport::failed(name, QStringLiteral("<= 3"),
                            QStringLiteral("cannot write the test files"));
        return 1;
    }

    // "--main FILE" measures another main document instead, to find out
    // what in the window costs the time.
    QUrl mainDocument(QStringLiteral("qrc:/main.qml"));
    const int mainAt = app.arguments().indexOf(QStringLiteral("--main"));
    if (mainAt > 0 && mainAt + 1 < app.arguments().size())
        mainDocument =
                QUrl::fromLocalFile(QFileInfo(app.arguments().at(mainAt + 1)).absoluteFilePath());
    LumSession session;
    QQmlApplicationEngine engine;
    engine.setInitialProperties({ { QStringLiteral("session"), QVariant::fromValue(&session) } });
    engine.load(mainDocument);
    QQuickWindow *window = engine.rootObjects().isEmpty()
            ? nullptr
            : qobject_cast<QQuickWindow *>(engine.rootObjects().first());
    DeviceProfile *profile = window ? session.profile() : nullptr;
    QQuickItem *list =
            window ? window->findChild<QQuickItem *>(QStringLiteral("editorList")) : nullptr;
    if (!window || !profile || !list) {
        BenchReport::failed(
                name, QStringLiteral("<= 3"),
                QStringLiteral("the window, its profile or its editor rows were not found"));
        return 1;
    }
    BenchReport::say(
            QStringLiteral("Editor scale: %1 on platform %2, %3 scene graph, window %4 x %5")
                    .arg(mainDocument.toString(), QGuiApplication::platformName(),
                         QString::fromLatin1(qgetenv("QT_QUICK_BACKEND")))
                    .arg(window->width())
                    .arg(window->height()));

    EditorProbe probe(window, profile, list);
    QMap<int, double> laidOut;
    QMap<int, double> shown;
    QMap<int, double> editor;
    for (int size : sizes) {
        QVector<double> laidOutTimes;
        QVector<double> shownTimes;
        QVector<double> createdTimes;
        QVector<double> editorTimes;
        for (int round = 0; round < rounds; ++round) {
            Timing timing;
            if (!probe.clear(onePath)
                || !probe.load(dir.filePath(QStringLiteral("%1.lumc").arg(size)), size, &timing)) {
                BenchReport::failed(name, QStringLiteral("<= 3"),
                                    QStringLiteral("the editor did not show %1 rows (it shows %2)")
                                            .arg(size)
                                            .arg(probe.rowCount()));
                return 1;
            }
            createdTimes.append(timing.createdMs);
            double editorMs = 0;
            if (!probe.reshow(size, &editorMs)) {
                BenchReport::failed(
                        name, QStringLiteral("<= 3"),
                        QStringLiteral("the editor kept its rows of %1 items").arg(size));
                return 1;
            }
            editorTimes.append(editorMs);
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
        editor[size] = BenchReport::median(editorTimes);
        shown[size] = BenchReport::median(shownTimes);
        BenchReport::say(
                QStringLiteral(
                        "%1 items: load returned %2, first screen laid out %3 (the editor's share "
                        "%4), frame shown %5; the load alone, without a window: %6 (medians of %7)")
                        .arg(size)
                        .arg(BenchReport::ms(BenchReport::median(createdTimes)),
                             BenchReport::ms(laidOut[size]), BenchReport::ms(editor[size]),
                             BenchReport::ms(shown[size]),
                             BenchReport::ms(BenchReport::median(loadTimes)))
                        .arg(rounds));
    }

    Timing ignored;
    QVector<double> frames;
    if (probe.clear(onePath)
        && probe.load(dir.filePath(QStringLiteral("5000.lumc")), 5000, &ignored))
        frames = probe.scrollFrames();
    std::sort(frames.begin(), frames.end());
    const double scrollMedian = frames.isEmpty() ? 1e9 : BenchReport::median(frames);

    // Empty the editor before the window goes: the software scene graph does
    // not release the images of rows still shown when the window is
    // destroyed, which would bury a sanitizer run's leak report.
    probe.clear(onePath);

    bool met = BenchReport::figure(
            name, editor[5000] / editor[500], BenchReport::Goal::AtMost, maxGrowth,
            QStringLiteral("t(500) %1, t(5,000) %2 from the profile's new item list to the first "
                           "screen of rows laid out")
                    .arg(BenchReport::ms(editor[500]), BenchReport::ms(editor[5000])));
    met &= BenchReport::figure(
            QStringLiteral("Editor, t(5,000) in ms: loadFromFile to the first screen of rows"),
            laidOut[5000], BenchReport::Goal::AtMost, maxFirstScreenMs,
            QStringLiteral("frame shown %1").arg(BenchReport::ms(shown[5000])));
    met &= BenchReport::figure(
            QStringLiteral("Editor scrolling 5,000 rows top to bottom, median frame in ms"),
            scrollMedian, BenchReport::Goal::AtMost, maxScrollFrameMs,
            QStringLiteral("%1 frames, 90th percentile %2, slowest %3")
                    .arg(frames.size())
                    .arg(BenchReport::ms(frames.isEmpty() ? 0 : frames.at(frames.size() * 9 / 10)),
                         BenchReport::ms(frames.isEmpty() ? 0 : frames.last())));
    BenchReport::info(
            QStringLiteral("Editor, t(1,000): loadFromFile to rows laid out (aim: about a second)"),
            QStringLiteral("%1 (frame shown %2); t(100) %3")
                    .arg(BenchReport::ms(laidOut[1000]), BenchReport::ms(shown[1000]),
                         BenchReport::ms(laidOut[100])));
    return met ? 0 : 2;
}
