#include "kelhandler.h"

#include <QDebug>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <QtGlobal>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <poll.h>
#endif

namespace {

constexpr int lineCells = 32;
constexpr int visibleCells = 16;
// The device ends every answer with a pause; 50 ms of quiet after output
// means the screen is complete.
constexpr int quietGapMs = 50;
// A key that got no answer within its time is given one more second.
constexpr int extraWaitMs = 1000;

constexpr char clearScreenByte = 0x0C;
constexpr char cursorHomeByte = 0x11;
constexpr char lineFeedByte = 0x0A;
constexpr char carriageReturnByte = 0x0D;
constexpr char okKey = 13;
constexpr char escKey = 27;

const char *const manufacturerOfPreferredAdapter = "FTDI";

QString blankLine()
{
    return QString(lineCells, QLatin1Char(' '));
}

QString hexByte(char byte)
{
    return QStringLiteral("0x%1").arg(uint(uchar(byte)), 2, 16, QLatin1Char('0'));
}

QString characterWithPadding(char byte)
{
    return QString(QChar(uchar(byte))) + QStringLiteral("  ");
}

QString inputByteName(char byte)
{
    switch (byte) {
    case clearScreenByte: return QStringLiteral("CLS");
    case cursorHomeByte: return QStringLiteral("Cur");
    case lineFeedByte: return QStringLiteral("LF ");
    case carriageReturnByte: return QStringLiteral("CR ");
    default: return characterWithPadding(byte);
    }
}

QString keyName(char key)
{
    switch (key) {
    case okKey: return QStringLiteral("OK ");
    case escKey: return QStringLiteral("ESC");
    default: return characterWithPadding(key);
    }
}

QStringList extraPortsFromEnvironment()
{
    const QString value = qEnvironmentVariable("LUM_EXTRA_PORTS");
    return value.split(QLatin1Char(':'), Qt::SkipEmptyParts);
}

} // namespace

KelHandler::PortChoice KelHandler::buildPortChoice(const QVector<PortEntry> &ports, const QStringList &extraPorts)
{
    PortChoice choice;
    QString preferredName;
    for (const PortEntry &port : ports) {
        choice.names.append(port.first);
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
    if (!preferredName.isEmpty())
        choice.preferredIndex = choice.names.indexOf(preferredName);
    return choice;
}

KelHandler::KelHandler(QObject *parent)
    : QObject(parent)
    , m_serialPort(new QSerialPort(this))
{
    m_lines[0] = blankLine();
    m_lines[1] = blankLine();
    m_cursorRow = 0;
    m_cursorColumn = 0;
    m_inputCount = 0;

    applyPortChoice(buildPortChoice(availablePorts(), extraPortsFromEnvironment()));

    connect(m_serialPort, &QSerialPort::readyRead, this, &KelHandler::readSerialInput);
    connect(m_serialPort, &QSerialPort::errorOccurred, this, &KelHandler::handlePortError);
    m_inputTimer.setSingleShot(true);
    // A coarse timer may fire up to 5 % early, which would cut the 500 ms a
    // key is given short; the quiet gap and the waits are meant exactly.
    m_inputTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_inputTimer, &QTimer::timeout, this, &KelHandler::readSerialInput);
}

QVector<KelHandler::PortEntry> KelHandler::availablePorts()
{
    const QList<QSerialPortInfo> infos = QSerialPortInfo::availablePorts();
    qDebug() << "Number of serial ports:" << infos.size();
    QVector<PortEntry> ports;
    for (const QSerialPortInfo &info : infos) {
        qDebug() << "Name of serial port:" << info.portName();
        qDebug() << "manufacturer:" << info.manufacturer();
        qDebug() << "vendorIdentifier:" << info.vendorIdentifier();
        qDebug() << "productIdentifier:" << info.productIdentifier();
        ports.append(PortEntry(info.portName(), info.manufacturer()));
    }
    for (const QString &path : extraPortsFromEnvironment())
        qDebug() << "Extra serial port:" << path;
    return ports;
}

void KelHandler::applyPortChoice(const PortChoice &choice)
{
    m_termPortList = choice.names;
    if (choice.preferredIndex >= 0 && choice.preferredIndex < m_termPortList.size()) {
        m_termPortPreferredIndx = choice.preferredIndex;
        emit termPortPreferredIndxChanged();
        setTermPortSelectedIndx(choice.preferredIndex);
    }
    emit termPortListChanged();
}

QStringList KelHandler::termPortList() const
{
    return m_termPortList;
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
    return m_lines[0].left(visibleCells) + QLatin1Char('\n') + m_lines[1].left(visibleCells);
}

QString KelHandler::displayCursorOverlay() const
{
    QString rows[2] = { QString(visibleCells, QLatin1Char(' ')), QString(visibleCells, QLatin1Char(' ')) };
    if (m_cursorRow == 1 && m_cursorColumn < visibleCells)
        rows[1][m_cursorColumn] = QLatin1Char('_');
    // A line whose text runs past the visible width gets a mark on its last
    // visible cell, so the user knows there is more.
    for (int row = 0; row < 2; ++row) {
        if (m_lines[row].trimmed().size() > visibleCells)
            rows[row][visibleCells - 1] = QLatin1Char('+');
    }
    return rows[0] + QLatin1Char('\n') + rows[1];
}

bool KelHandler::terminalIsReady() const
{
    return m_serialPort->isOpen();
}

QString KelHandler::displayLines() const
{
    return m_lines[0] + QLatin1Char('\n') + m_lines[1];
}

quint8 KelHandler::cursorRow() const
{
    return m_cursorRow;
}

QString KelHandler::lastErrorString() const
{
    return m_lastErrorString;
}

void KelHandler::setTermPortSelectedIndx(int index)
{
    qDebug() << "set m_termPortSelectedIndx:" << index;
    m_termPortSelectedIndx = index;
    emit termPortSelectedIndxChanged();
}

void KelHandler::openSerialPort()
{
    if (m_termPortSelectedIndx < 0 || m_termPortSelectedIndx >= m_termPortList.size()) {
        m_lastErrorString = tr("Kein Anschluss ausgewählt");
        qDebug() << m_lastErrorString;
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
        m_lastErrorString = m_serialPort->errorString();
        qDebug() << m_lastErrorString;
        return false;
    }
    emit terminalIsReadyChanged();
    return true;
}

void KelHandler::closeSerialPort()
{
    if (!m_serialPort->isOpen())
        return;
    m_serialPort->close();
    emit terminalIsReadyChanged();
    clearScreen();
    emit displayTextChanged();
}

void KelHandler::handlePortError(int error)
{
    // An unplugged adapter shows up as a resource error. A line hung up from
    // the other end (a pseudo-terminal whose master was closed) reads as end
    // of file instead, which the port reports as a read error again and again
    // with a stale system text; that must end the connection as well.
    if (error == QSerialPort::ResourceError)
        m_lineLostError = m_serialPort->errorString();
    else if (error == QSerialPort::ReadError && lineHungUp())
        m_lineLostError = tr("Verbindung zum Gerät unterbrochen");
    else
        return;
    // Close from the event loop: the port is still inside its own read
    // handling while it reports the error.
    QMetaObject::invokeMethod(this, &KelHandler::closeLostPort, Qt::QueuedConnection);
}

bool KelHandler::lineHungUp() const
{
#ifdef Q_OS_UNIX
    pollfd fd { int(m_serialPort->handle()), POLLIN, 0 };
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
    qDebug() << "KELHANDLER: connection lost:" << m_lastErrorString;
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
    sendCharTimer(key, 50);
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
    qDebug() << "PRG TASTE:" << keyName(key) << hexByte(key);
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
    qDebug() << "KELHANDLER: no input after regular timeout - we wait an additional 1000ms...";
    m_inputCount = 1;
    m_inputTimer.start(extraWaitMs);
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
        decodeByte(byte);
        qDebug() << "PRG INPUT:" << inputByteName(byte) << hexByte(byte);
    }
    emit displayTextChanged();
    emit displayCursorOverlayChanged();
    if (!m_inputTimer.isActive() || m_inputTimer.remainingTime() < quietGapMs)
        m_inputTimer.start(quietGapMs);
}

void KelHandler::decodeByte(char byte)
{
    switch (byte) {
    case clearScreenByte:
        clearScreen();
        break;
    case cursorHomeByte:
        m_cursorRow = 0;
        m_cursorColumn = 0;
        break;
    case lineFeedByte:
        // The device's line feed toggles between its two rows.
        m_cursorRow = m_cursorRow == 0 ? 1 : 0;
        break;
    case carriageReturnByte:
        m_cursorColumn = 0;
        break;
    default:
        // No wrap: text past the last cell is lost until the cursor moves back.
        if (m_cursorColumn < lineCells) {
            m_lines[m_cursorRow][m_cursorColumn] = QChar(uchar(byte));
            ++m_cursorColumn;
        }
        break;
    }
}

void KelHandler::clearScreen()
{
    m_lines[0] = blankLine();
    m_lines[1] = blankLine();
    m_cursorRow = 0;
    m_cursorColumn = 0;
}
