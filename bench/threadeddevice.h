#ifndef THREADEDDEVICE_H
#define THREADEDDEVICE_H

#include <QString>
#include <QVector>
#include <QStringList>
#include <QThread>

#include <functional>

#include "devicesimulator.h"

// The simulated device on a thread of its own, as a real device runs on its
// own hardware, sending at real 9600-baud speed; every call waits for the
// device's thread to carry it out.
class ThreadedDevice
{
public:
    ThreadedDevice();
    ~ThreadedDevice();
    ThreadedDevice(const ThreadedDevice &) = delete;
    ThreadedDevice &operator=(const ThreadedDevice &) = delete;

    bool start(const QString &menuFile, QString *error);
    QString portPath() const { return m_portPath; }
    QString value(const QStringList &path);
    // When each key arrived and the answer before it ended.
    QVector<DeviceSimulator::KeyRecord> records();
    void clearRecords();

    // Runs WORK with the device in the device's thread and waits for it.
    void inDeviceThread(const std::function<void(DeviceSimulator &)> &work);

private:
    QThread m_thread;
    QObject *m_anchor = nullptr;
    DeviceSimulator *m_device = nullptr;
    QString m_portPath;
};

#endif // THREADEDDEVICE_H
