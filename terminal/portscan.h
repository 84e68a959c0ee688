#ifndef PORTSCAN_H
#define PORTSCAN_H

#include <QList>
#include <QSerialPortInfo>

#include <functional>

class QObject;

// Asks the system for its serial ports. On Linux that walks the device tree
// for every tty the kernel knows (about 12 ms of processor time on a machine
// with 68 ttys, mostly file system calls), which the window's start would
// otherwise wait for: the link lists the ports when it is made, just before
// the window's objects are. The program therefore starts the scan on a
// thread of its own once the window's documents are loaded (beside their
// loading it slowed that down on a machine of two cores), and the link
// takes that result when the scan is done, without waiting for it; every
// other scan (a link made later, a rescan) runs where it is asked for.
class PortScan
{
public:
    // Starts a scan in the background, unless one runs or waits to be taken.
    static void startInBackground();

    // The ports of the background scan if one was started and not yet
    // taken (waiting for it to finish), else the ports found now.
    static QList<QSerialPortInfo> take();

    // Takes the background scan without waiting: `done` gets its ports on
    // the thread of `context` (the program's main thread) once the scan has
    // finished, at once when it already has. Returns false, and never calls
    // `done`, when there is no background scan left to take. A take() before
    // the scan has finished takes its ports instead, and `done` is not called.
    static bool takeWhenDone(QObject *context,
                             const std::function<void(const QList<QSerialPortInfo> &)> &done);
};

#endif // PORTSCAN_H
