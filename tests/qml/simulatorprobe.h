#ifndef SIMULATORPROBE_H
#define SIMULATORPROBE_H

#include <QTemporaryDir>

#include "devicesimulator.h"

// The simulated device as the QML test cases see it: its port, what it
// received and the values it holds, plus a scratch folder for files.
class SimulatorProbe : public QObject
{
    Q_OBJECT
    // Keys as text: OK shows as "\r", ESC as "\u001b".
    Q_PROPERTY(QString receivedKeysText READ receivedKeys NOTIFY receivedKeysChanged)
    // The Qt the test runs with: a case that does not hold under one Qt yet
    // says so and is skipped there.
    Q_PROPERTY(int qtMajorVersion READ qtMajorVersion CONSTANT)

public:
    explicit SimulatorProbe(const QString &menuFile, QObject *parent = nullptr);

    Q_INVOKABLE QString startError() const { return m_startError; }
    Q_INVOKABLE QString portPath() const { return m_simulator->portPath(); }
    Q_INVOKABLE QString value(const QStringList &path) const { return m_simulator->value(path); }
    QString receivedKeys() const { return QString::fromLatin1(m_simulator->receivedKeys()); }
    int qtMajorVersion() const { return QT_VERSION_MAJOR; }
    Q_INVOKABLE void clearRecords();
    Q_INVOKABLE QString scratchFileUrl(const QString &fileName) const;
    // Writes `text` (UTF-8) into the scratch folder; its URL, empty on failure.
    Q_INVOKABLE QString writeScratchFile(const QString &fileName, const QString &text) const;

    // With LUM_WINDOW_SCREENSHOT set, writes the window's picture there.
    Q_INVOKABLE bool saveWindowImageIfAsked(QObject *window) const;

    Q_INVOKABLE void stop();
    // Starts the device again and offers its port to windows created later.
    Q_INVOKABLE bool restart();

signals:
    void receivedKeysChanged();

private:
    DeviceSimulator *m_simulator;
    QString m_startError;
    QTemporaryDir m_scratch;
};

#endif // SIMULATORPROBE_H
