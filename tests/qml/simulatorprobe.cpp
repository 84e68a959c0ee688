#include "simulatorprobe.h"

#include <QFile>
#include <QQuickWindow>

SimulatorProbe::SimulatorProbe(const QString &menuFile, QObject *parent)
    : QObject(parent), m_simulator(new DeviceSimulator(this))
{
    connect(m_simulator, &DeviceSimulator::keyReceived, this, &SimulatorProbe::receivedKeysChanged);
    if (m_simulator->loadMenuFile(menuFile, &m_startError))
        restart();
}

void SimulatorProbe::clearRecords()
{
    m_simulator->clearRecords();
    emit receivedKeysChanged();
}

QString SimulatorProbe::scratchFileUrl(const QString &fileName) const
{
    return QUrl::fromLocalFile(m_scratch.filePath(fileName)).toString();
}

QString SimulatorProbe::writeScratchFile(const QString &fileName, const QString &text) const
{
    QFile file(m_scratch.filePath(fileName));
    const QByteArray bytes = text.toUtf8();
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        return QString();
    return scratchFileUrl(fileName);
}

bool SimulatorProbe::saveWindowImageIfAsked(QObject *window) const
{
    const QString path = qEnvironmentVariable("LUM_WINDOW_SCREENSHOT");
    auto *quickWindow = qobject_cast<QQuickWindow *>(window);
    if (path.isEmpty() || !quickWindow)
        return false;
    const bool saved = quickWindow->grabWindow().save(path);
    qWarning().noquote() << (saved ? "Window picture written to"
                                   : "Could not write the window picture to")
                         << path;
    return saved;
}

bool SimulatorProbe::restart()
{
    if (!m_simulator->isRunning() && !m_simulator->start(&m_startError))
        return false;
    // The link reads its extra ports once, when the window creates it.
    qputenv("LUM_EXTRA_PORTS", m_simulator->portPath().toLocal8Bit());
    return true;
}

void SimulatorProbe::stop()
{
    if (m_simulator->isRunning())
        m_simulator->stop();
}
