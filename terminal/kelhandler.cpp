#include "kelhandler.h"

#include "devicekeys.h"
#include "displaydecoder.h"
#include "linktiming.h"
#include "logcategories.h"
#include "portdiagnosis.h"
#include "portscan.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QHash>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <QtGlobal>

#include <algorithm>

#ifdef Q_OS_UNIX
#  include <poll.h>
#endif

namespace {

const char *const manufacturerOfPreferredAdapter = "FTDI";

QString hexByte(char byte)
{
    return QStringLiteral("0x%1").arg(uint(uchar(byte)), 2, 16, QLatin1Char('0'));
}

QString inputByteName(char byte)
{
    switch (byte) {
    case DisplayDecoder::ClearScreen:
        return QStringLiteral("CLS");
    case DisplayDecoder::CursorHome:
        return QStringLiteral("Cur");
    case DisplayDecoder::LineFeed:
        return QStringLiteral("LF ");
    case DisplayDecoder::CarriageReturn:
        return QStringLiteral("CR ");
    default:
        return QString(QChar(uchar(byte))) + QStringLiteral("  ");
    }
}

QStringList extraPortsFromEnvironment()
{
    const QString value = qEnvironmentVariable("LUM_EXTRA_PORTS");
    return value.split(QLatin1Char(':'), Qt::SkipEmptyParts);
}

} // namespace

KelHandler::PortChoice KelHandler::buildPortChoice(const QVector<PortEntry> &ports,
                                                   const QStringList &extraPorts)
{
    PortChoice choice;
    QString preferredName;
    QHash<QString, QString> manufacturerOf;
    for (const PortEntry &port : ports) {
        choice.names.append(port.first);
        manufacturerOf.insert(port.first, port.second);
        if (port.second == QLatin1String(manufacturerOfPreferredAdapter))
            preferredName = port.first;
    }

    QString firstExtraPort;
    for (const QString &path : extraPorts) {
        if (path.isEmpty())
            continue;
        if (firstExtraPort.isEmpty())
            firstExtraPort = path;
        if (!choice.names.contains(path))
            choice.names.append(path);
    }
    if (preferredName.isEmpty())
        preferredName = firstExtraPort;

    // QString's operator< compares UTF-16 code units: COM10 before COM3.
    std::sort(choice.names.begin(), choice.names.end());
    for (const QString &name : qAsConst(choice.names))
        choice.manufacturers.append(manufacturerOf.value(name));
    if (!preferredName.isEmpty())
        choice.preferredIndex = choice.names.indexOf(preferredName);
    return choice;
}

KelHandler::KelHandler(QObject *parent) : DeviceLink(parent), m_serialPort(new QSerialPort(this))
{
    m_inputCount = 0;

    // The scan the program started at its start is taken once it is done:
    // the window is built meanwhile, and its port box fills when the list
    // comes. Without such a scan the ports are listed now.
    m_termPortScanRunning = PortScan::takeWhenDone(this, [this](const QList<QSerialPortInfo> &infos) {
        takePortList(portEntries(infos));
    });
    if (!m_termPortScanRunning)
        applyPortChoice(buildPortChoice(availablePorts(), extraPortsFromEnvironment()));

    connect(m_serialPort, &QSerialPort::readyRead, this, &KelHandler::readSerialInput);
    connect(m_serialPort, &QSerialPort::errorOccurred, this,
            [this](QSerialPort::SerialPortError error) { handlePortError(error); });
    m_inputTimer.setSingleShot(true);
    // A coarse timer may fire up to 5 % early, which would cut the 500 ms a
    // key is given short; the quiet gap and the waits are meant exactly.
    m_inputTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_inputTimer, &QTimer::timeout, this, &KelHandler::readSerialInput);
}

QVector<KelHandler::PortEntry> KelHandler::availablePorts()
{
    return portEntries(PortScan::take());
}

QVector<KelHandler::PortEntry> KelHandler::portEntries(const QList<QSerialPortInfo> &infos)
{
    qCDebug(lumLink) << "Number of serial ports:" << infos.size();
    QVector<PortEntry> ports;
    for (const QSerialPortInfo &info : infos) {
        qCDebug(lumLink) << "Name of serial port:" << info.portName();
        qCDebug(lumLink) << "manufacturer:" << info.manufacturer();
        qCDebug(lumLink) << "vendorIdentifier:" << info.vendorIdentifier();
        qCDebug(lumLink) << "productIdentifier:" << info.productIdentifier();
        ports.append(PortEntry(info.portName(), info.manufacturer()));
    }
    for (const QString &path : extraPortsFromEnvironment())
        qCDebug(lumLink) << "Extra serial port:" << path;
    return ports;
}

// The port offered first: the preferred adapter, else the first port listed
// (a machine with one adapter of another make), -1 when there is none.
// The background scan's ports arrive (or are fetched, when the port is to be
// opened before they arrived): the list is made from them.
void KelHandler::takePortList(const QVector<PortEntry> &ports)
{
    m_termPortScanRunning = false;
    applyPortChoice(buildPortChoice(ports, extraPortsFromEnvironment()));
    emit termPortScanRunningChanged();
}

void KelHandler::finishPortScan()
{
    if (m_termPortScanRunning)
        takePortList(availablePorts());
}

bool KelHandler::termPortScanRunning() const
{
    return m_termPortScanRunning;
}

int KelHandler::initialSelection(const PortChoice &choice)
{
    if (choice.preferredIndex >= 0 && choice.preferredIndex < choice.names.size())
        return choice.preferredIndex;
    return choice.names.isEmpty() ? -1 : 0;
}

void KelHandler::applyPortChoice(const PortChoice &choice)
{
    m_termPortList = choice.names;
    m_termPortManufacturers = choice.manufacturers;
    if (choice.preferredIndex >= 0 && choice.preferredIndex < m_termPortList.size()) {
        m_termPortPreferredIndx = choice.preferredIndex;
        emit termPortPreferredIndxChanged();
    }
    if (initialSelection(choice) >= 0)
        setTermPortSelectedIndx(initialSelection(choice));
    emit termPortListChanged();
}

QStringList KelHandler::termPortList() const
{
    return m_termPortList;
}

QStringList KelHandler::termPortManufacturers() const
{
    return m_termPortManufacturers;
}

int KelHandler::rescanPorts()
{
    if (terminalIsReady())
        return m_termPortSelectedIndx;
    finishPortScan();
    const QString selectedName = m_termPortList.value(m_termPortSelectedIndx);
    const PortChoice choice = buildPortChoice(availablePorts(), extraPortsFromEnvironment());
    m_termPortList = choice.names;
    m_termPortManufacturers = choice.manufacturers;
    if (choice.preferredIndex != m_termPortPreferredIndx) {
        m_termPortPreferredIndx = choice.preferredIndex;
        emit termPortPreferredIndxChanged();
    }
    const int kept = m_termPortList.indexOf(selectedName);
    const int selected = kept >= 0 && !selectedName.isEmpty() ? kept : initialSelection(choice);
    setTermPortSelectedIndx(selected);
    // A selector showing the list may move its index when the list changes;
    // the caller puts it back with the index returned.
    emit termPortListChanged();
    return selected;
}

int KelHandler::termPortPreferredIndx() const
{
    return m_termPortPreferredIndx;
}

int KelHandler::termPortSelectedIndx() const
{
    return m_termPortSelectedIndx;
}

QString KelHandler::displayText() const
{
    return m_display.text();
}

QString KelHandler::displayCursorOverlay() const
{
    return m_display.cursorOverlay();
}

bool KelHandler::terminalIsReady() const
{
    return m_serialPort->isOpen();
}

QString KelHandler::displayLines() const
{
    return m_display.lines();
}

quint8 KelHandler::cursorRow() const
{
    return quint8(m_display.cursorRow());
}

QString KelHandler::lastErrorString() const
{
    return m_lastErrorString;
}

void KelHandler::setTermPortSelectedIndx(int index)
{
    qCDebug(lumLink) << "set m_termPortSelectedIndx:" << index;
    m_termPortSelectedIndx = index;
    emit termPortSelectedIndxChanged();
}

void KelHandler::openSerialPort()
{
    finishPortScan();
    if (m_termPortSelectedIndx < 0 || m_termPortSelectedIndx >= m_termPortList.size()) {
        m_lastErrorString = m_termPortList.isEmpty() ? PortDiagnosis::noPortFoundText()
                                                     : PortDiagnosis::notSelectedText();
        qCDebug(lumLink) << m_lastErrorString;
        return;
    }
    openPort(m_termPortList.at(m_termPortSelectedIndx));
}

bool KelHandler::openSerialPortByName(const QString &name)
{
    return openPort(name);
}

bool KelHandler::openPort(const QString &name)
{
    m_lineLostError.clear();
    m_serialPort->setPortName(name);
    m_serialPort->setBaudRate(QSerialPort::Baud9600, QSerialPort::AllDirections);
    m_serialPort->setDataBits(QSerialPort::Data8);
    m_serialPort->setParity(QSerialPort::NoParity);
    m_serialPort->setStopBits(QSerialPort::OneStop);
    m_serialPort->setFlowControl(QSerialPort::NoFlowControl);
    if (!m_serialPort->open(QIODevice::ReadWrite)) {
        // The port's own text is English and says little ("Permission error
        // while locking the device"); the technician is told what holds the
        // port or what is missing, and what to do.
        qCDebug(lumLink) << "KELHANDLER: open failed:" << name << m_serialPort->error()
                 << m_serialPort->errorString();
        const int error = m_serialPort->error() == QSerialPort::NoError ? QSerialPort::UnknownError
                                                                        : m_serialPort->error();
        m_lastErrorString = PortDiagnosis().examine(name, error).text;
        qCDebug(lumLink) << m_lastErrorString;
        return false;
    }
    emit terminalIsReadyChanged();
    return true;
}

KelHandler::~KelHandler()
{
    flushKeys();
}

// Keys are written from the event loop. A key sent just before the port is
// closed (the ESC that closes a setting when a job is aborted) must still
// reach the device. Whatever the port last reported (a time-out of a look at
// the quiet line, say) is no reason to hold it back; only a line that is
// already lost is, since nothing would arrive.
void KelHandler::flushKeys()
{
    if (!m_serialPort->isOpen() || !m_lineLostError.isEmpty())
        return;
    QElapsedTimer clock;
    clock.start();
    while (m_serialPort->bytesToWrite() > 0 && clock.elapsed() < LinkTiming::SlowAnswerMs) {
        if (!m_serialPort->waitForBytesWritten(LinkTiming::SlowAnswerMs - int(clock.elapsed())))
            break;
    }
    if (m_serialPort->bytesToWrite() > 0)
        qCDebug(lumLink) << "KELHANDLER: keys not written before closing:" << m_serialPort->bytesToWrite();
}

// waitForReadyRead() that finds nothing records a time-out as the port's
// error; it says nothing about the line, and the port's error is to tell of
// the line only.
void KelHandler::clearStaleTimeout()
{
    if (m_serialPort->error() == QSerialPort::TimeoutError)
        m_serialPort->clearError();
}

void KelHandler::closeSerialPort()
{
    if (!m_serialPort->isOpen())
        return;
    flushKeys();
    m_serialPort->close();
    emit terminalIsReadyChanged();
    m_display.clear();
    emit displayTextChanged();
}

void KelHandler::handlePortError(int error)
{
    // An unplugged adapter shows up as a resource error. A line hung up from
    // the other end (a pseudo-terminal whose master was closed) reads as end
    // of file instead, which the port reports as a read error again and again
    // with a stale system text; that must end the connection as well. A key
    // the port cannot write is lost; the robot must not go on as if the
    // device had it, so that ends the connection too.
    if (error == QSerialPort::ResourceError)
        m_lineLostError = tr("Verbindung zum Gerät unterbrochen: der Adapter wurde abgezogen "
                             "oder meldet einen Fehler. Adapter einstecken und neu verbinden.");
    else if (error == QSerialPort::ReadError && lineHungUp())
        m_lineLostError = tr("Verbindung zum Gerät unterbrochen");
    else if (error == QSerialPort::WriteError)
        m_lineLostError = tr("Schreibfehler: die Tasten erreichen das Gerät nicht. Die "
                             "Verbindung wurde getrennt; Adapter und Kabel prüfen, dann neu "
                             "verbinden.");
    else
        return;
    qCDebug(lumLink) << "KELHANDLER: port error:" << error << m_serialPort->errorString();
    // Close from the event loop: the port is still inside its own read
    // handling while it reports the error.
    QMetaObject::invokeMethod(this, &KelHandler::closeLostPort, Qt::QueuedConnection);
}

bool KelHandler::lineHungUp() const
{
#ifdef Q_OS_UNIX
    pollfd fd{ int(m_serialPort->handle()), POLLIN, 0 };
    return ::poll(&fd, 1, 0) > 0 && (fd.revents & POLLHUP);
#else
    return false;
#endif
}

void KelHandler::closeLostPort()
{
    if (m_lineLostError.isEmpty())
        return;
    const QString error = m_lineLostError;
    m_lineLostError.clear();
    if (!m_serialPort->isOpen())
        return;
    m_lastErrorString = error;
    qCDebug(lumLink) << "KELHANDLER: connection lost:" << m_lastErrorString;
    closeSerialPort();
}

void KelHandler::sendString(QString text)
{
    if (!m_serialPort->isOpen())
        return;
    const QByteArray bytes = text.toLatin1();
    if (!bytes.isEmpty())
        m_serialPort->write(bytes);
}

void KelHandler::sendChar(char key)
{
    sendCharTimer(key, LinkTiming::QuietGapMs);
}

void KelHandler::sendCharTimer(char key, int time)
{
    if (!m_serialPort->isOpen())
        return;
    m_serialPort->write(&key, 1);
    m_inputCount = 0;
    m_lastKeyAnswered = false;
    // A longer wait that is already running is not shortened.
    if (!m_inputTimer.isActive() || m_inputTimer.remainingTime() < time)
        m_inputTimer.start(time);
    qCDebug(lumTrace) << "PRG TASTE:" << DeviceKeys::logName(key) << hexByte(key);
}

void KelHandler::readSerialInput()
{
    if (!m_serialPort->isOpen())
        return;
    if (m_serialPort->bytesAvailable() <= 0) {
        // A busy machine may wake up with the timer and the port's news both
        // waiting and run the timer first: bytes already on the line arrived
        // within the gap and belong to this screen. readyRead takes them in
        // (and restarts the gap) from inside this look at the line.
        if (m_serialPort->waitForReadyRead(0) || !m_serialPort->isOpen())
            return;
        clearStaleTimeout();
        checkCompletion();
        return;
    }
    processReceivedBytes(m_serialPort->readAll());
}

void KelHandler::checkCompletion()
{
    if (m_inputCount != 0) {
        // Last action: the robot answers from inside this emission.
        emit displayCompleted();
        return;
    }
    qCDebug(lumTrace)
            << "KELHANDLER: no input after regular timeout - we wait an additional 1000ms...";
    m_inputCount = 1;
    m_inputTimer.start(LinkTiming::ExtraWaitMs);
}

bool KelHandler::lastKeyAnswered() const
{
    return m_lastKeyAnswered;
}

void KelHandler::processReceivedBytes(const QByteArray &bytes)
{
    if (!bytes.isEmpty())
        m_lastKeyAnswered = true;
    for (const char byte : bytes) {
        ++m_inputCount;
        m_display.feed(byte);
        qCDebug(lumTrace) << "PRG INPUT:" << inputByteName(byte) << hexByte(byte);
    }
    emit displayTextChanged();
    emit displayCursorOverlayChanged();
    if (!m_inputTimer.isActive() || m_inputTimer.remainingTime() < LinkTiming::QuietGapMs)
        m_inputTimer.start(LinkTiming::QuietGapMs);
}
