#include "portscan.h"

#include <future>
#include <mutex>

namespace {

std::mutex scanMutex;
std::future<QList<QSerialPortInfo>> backgroundScan;

} // namespace

void PortScan::startInBackground()
{
    std::lock_guard<std::mutex> lock(scanMutex);
    if (backgroundScan.valid())
        return;
    backgroundScan = std::async(std::launch::async, [] { return QSerialPortInfo::availablePorts(); });
}

QList<QSerialPortInfo> PortScan::take()
{
    std::future<QList<QSerialPortInfo>> started;
    {
        std::lock_guard<std::mutex> lock(scanMutex);
        started = std::move(backgroundScan);
    }
    if (started.valid())
        return started.get();
    return QSerialPortInfo::availablePorts();
}
