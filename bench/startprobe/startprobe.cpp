// A probe that the start-up benchmark loads into the programs it starts, as a
// Qt generic plugin (QT_PLUGIN_PATH pointing at this build, and
// QT_QPA_GENERIC_PLUGINS=lumstartprobe). The programs themselves stay as
// they are shipped.
//
// It watches the window's port box (the combo box named "portSelector") and
// writes one line to the error output as soon as the box has entries:
// "Port box filled: N entries". The benchmark takes the time at that line.
// After the window's first frame it also writes the processor time the
// process has used so far, all its threads together ("First frame, processor
// time: T ms"): unlike the time on the clock it hardly moves when other
// work shares the machine.
// The box is looked for when the event loop first runs (the window's
// document is loaded by then) and again after every frame, in case a
// program builds it later; a box that is still empty is watched until its
// count changes.

#include <QGenericPlugin>
#include <QGuiApplication>
#include <QMetaObject>
#include <QPointer>
#include <QQuickWindow>
#include <QVariant>

#include <cstdio>
#include <ctime>

namespace {

class PortBoxWatch : public QObject
{
    Q_OBJECT

public:
    PortBoxWatch()
    {
        QMetaObject::invokeMethod(this, &PortBoxWatch::watchWindows, Qt::QueuedConnection);
    }

public slots:
    void check()
    {
        if (m_reported)
            return;
        if (!m_box)
            m_box = findPortBox();
        if (!m_box)
            return;
        if (!m_watchingCount) {
            m_watchingCount = true;
            connect(m_box, SIGNAL(countChanged()), this, SLOT(check()));
        }
        const int count = m_box->property("count").toInt();
        if (count <= 0)
            return;
        m_reported = true;
        std::fprintf(stderr, "Port box filled: %d entries\n", count);
        std::fflush(stderr);
    }

private:
    void watchWindows()
    {
        for (QWindow *window : QGuiApplication::allWindows()) {
            if (auto *quickWindow = qobject_cast<QQuickWindow *>(window)) {
                connect(quickWindow, &QQuickWindow::frameSwapped, this, &PortBoxWatch::check);
                connect(quickWindow, &QQuickWindow::frameSwapped, this,
                        &PortBoxWatch::reportProcessorTime);
            }
        }
        check();
    }

    void reportProcessorTime()
    {
        if (m_firstFrameReported)
            return;
        m_firstFrameReported = true;
        timespec used{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
        std::fprintf(stderr, "First frame, processor time: %.2f ms\n",
                     used.tv_sec * 1e3 + used.tv_nsec / 1e6);
        std::fflush(stderr);
    }

    static QObject *findPortBox()
    {
        for (QWindow *window : QGuiApplication::allWindows()) {
            if (QObject *box = window->findChild<QObject *>(QStringLiteral("portSelector")))
                return box;
        }
        return nullptr;
    }

    QPointer<QObject> m_box;
    bool m_watchingCount = false;
    bool m_reported = false;
    bool m_firstFrameReported = false;
};

} // namespace

class StartProbePlugin : public QGenericPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "startprobe.json")

public:
    QObject *create(const QString &key, const QString &) override
    {
        if (key.compare(QLatin1String("lumstartprobe"), Qt::CaseInsensitive) != 0)
            return nullptr;
        return new PortBoxWatch;
    }
};

#include "startprobe.moc"
