#include "portscan.h"

#include <QObject>
#include <QThread>

namespace {

// The background scan. Only the program's main thread starts, takes and
// hands over the scan; the scan's thread writes its ports once, before it
// finishes.
QThread *scanThread = nullptr;
QList<QSerialPortInfo> scannedPorts;

enum class ScanClaim { Free, Promised, Taken };
ScanClaim scanClaim = ScanClaim::Free;
// Counts the scans started, so that a hand-over still queued from an
// earlier scan does not pass for the current one.
int scanNumber = 0;

} // namespace

void PortScan::startInBackground()
{
    if (scanThread && (scanClaim != ScanClaim::Taken || !scanThread->isFinished()))
        return;
    delete scanThread;
    scanClaim = ScanClaim::Free;
    ++scanNumber;
    scanThread = QThread::create([] { scannedPorts = QSerialPortInfo::availablePorts(); });
    scanThread->setObjectName(QStringLiteral("PortScan"));
    // The thread object stays until a later scan replaces it, once it has
    // finished: a scan still running when the program ends must not be
    // destroyed under it.
    scanThread->start();
}

QList<QSerialPortInfo> PortScan::take()
{
    if (scanThread && scanClaim != ScanClaim::Taken) {
        scanClaim = ScanClaim::Taken;
        scanThread->wait();
        return scannedPorts;
    }
    return QSerialPortInfo::availablePorts();
}

bool PortScan::takeWhenDone(QObject *context,
                            const std::function<void(const QList<QSerialPortInfo> &)> &done)
{
    if (!scanThread || scanClaim != ScanClaim::Free)
        return false;
    scanClaim = ScanClaim::Promised;
    auto handOver = [done, number = scanNumber] {
        if (number != scanNumber || scanClaim != ScanClaim::Promised)
            return; // handed over already, or taken by take()
        scanClaim = ScanClaim::Taken;
        done(scannedPorts);
    };
    // Connected before asking whether the scan is done: a scan finishing in
    // between is then seen by one of the two, and handOver() runs once.
    QObject::connect(scanThread, &QThread::finished, context, handOver);
    if (scanThread->isFinished())
        handOver();
    return true;
}
