#ifndef PORTSCAN_H
#define PORTSCAN_H

#include <QList>
#include <QSerialPortInfo>

// Asks the system for its serial ports. On Linux that walks the device tree
// for every tty the kernel knows (a few milliseconds, mostly file system
// calls), which the window's start would otherwise wait for: the link lists
// the ports when it is made, in the middle of building the window. The
// program therefore starts the scan on a thread of its own as it starts, and
// the link takes that result; every other scan (a link made later, a rescan)
// runs where it is asked for.
class PortScan
{
public:
    // Starts a scan in the background, once; the next take() returns it.
    static void startInBackground();

    // The ports of the background scan if one was started and not yet
    // taken (waiting for it to finish), else the ports found now.
    static QList<QSerialPortInfo> take();
};

#endif // PORTSCAN_H
