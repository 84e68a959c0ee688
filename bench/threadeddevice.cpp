#include "threadeddevice.h"

ThreadedDevice::ThreadedDevice()
{
    m_thread.start();
    m_anchor = new QObject;
    m_anchor->moveToThread(&m_thread);
    QMetaObject::invokeMethod(m_anchor, [this] { m_device = new DeviceSimulator; },
                              Qt::BlockingQueuedConnection);
}

ThreadedDevice::~ThreadedDevice()
{
    QMetaObject::invokeMethod(m_anchor, [this] {
        m_device->stop();
        delete m_device;
        m_device = nullptr;
    }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
    delete m_anchor;
}

bool ThreadedDevice::start(const QString &menuFile, QString *error)
{
    bool started = false;
    inDeviceThread([&](DeviceSimulator &device) {
        started = device.loadMenuFile(menuFile, error);
        if (!started)
            return;
        device.setPaced(true);
        started = device.start(error);
        m_portPath = device.portPath();
    });
    return started;
}

QString ThreadedDevice::value(const QStringList &path)
{
    QString result;
    inDeviceThread([&](DeviceSimulator &device) { result = device.value(path); });
    return result;
}

QVector<DeviceSimulator::KeyRecord> ThreadedDevice::records()
{
    QVector<DeviceSimulator::KeyRecord> result;
    inDeviceThread([&](DeviceSimulator &device) { result = device.keyRecords(); });
    return result;
}

void ThreadedDevice::clearRecords()
{
    inDeviceThread([](DeviceSimulator &device) { device.clearRecords(); });
}

void ThreadedDevice::inDeviceThread(const std::function<void(DeviceSimulator &)> &work)
{
    QMetaObject::invokeMethod(m_anchor, [&] { work(*m_device); }, Qt::BlockingQueuedConnection);
}
