#ifndef KELHANDLER_H
#define KELHANDLER_H

#include <QObject>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVector>

#include "devicelink.h"
#include "displaydecoder.h"

class QSerialPort;
class QSerialPortInfo;

// The terminal link to the device's programming interface: the serial port,
// the mirrored 2 x 32 character display and the completion of screens.
class KelHandler : public DeviceLink
{
    Q_OBJECT
    Q_PROPERTY(QStringList termPortList READ termPortList NOTIFY termPortListChanged)
    // The adapter's manufacturer for each entry of termPortList ("" if unknown).
    Q_PROPERTY(
            QStringList termPortManufacturers READ termPortManufacturers NOTIFY termPortListChanged)
    Q_PROPERTY(int termPortPreferredIndx READ termPortPreferredIndx NOTIFY
                       termPortPreferredIndxChanged)
    Q_PROPERTY(int termPortSelectedIndx READ termPortSelectedIndx WRITE setTermPortSelectedIndx
                       NOTIFY termPortSelectedIndxChanged)
    Q_PROPERTY(QString displayText READ displayText NOTIFY displayTextChanged)
    Q_PROPERTY(QString displayCursorOverlay READ displayCursorOverlay NOTIFY
                       displayCursorOverlayChanged)
    // True while the ports the program listed at its start are not yet in
    // termPortList (the list is empty until then).
    Q_PROPERTY(bool termPortScanRunning READ termPortScanRunning NOTIFY termPortScanRunningChanged)
    Q_PROPERTY(bool terminalIsReady READ terminalIsReady NOTIFY terminalIsReadyChanged)

public:
    // One enumerated port: its name and the manufacturer text of the adapter.
    using PortEntry = QPair<QString, QString>;

    // The port list as the panel offers it, built from the enumerated ports
    // and the extra ports (paths) named in LUM_EXTRA_PORTS.
    struct PortChoice
    {
        QStringList names; // sorted by character codes
        QStringList manufacturers; // for each name, "" when not known
        int preferredIndex = -1; // -1: no preferred adapter
    };
    static PortChoice buildPortChoice(const QVector<PortEntry> &ports,
                                      const QStringList &extraPorts);

    explicit KelHandler(QObject *parent = nullptr);
    ~KelHandler() override;

    QStringList termPortList() const;
    QStringList termPortManufacturers() const;
    int termPortPreferredIndx() const;
    bool termPortScanRunning() const;
    int termPortSelectedIndx() const;
    QString displayText() const;
    QString displayCursorOverlay() const;
    bool terminalIsReady() const override;

    // For the robot (not exposed to QML).
    QString displayLines() const override;
    quint8 cursorRow() const override;
    // Whether any byte has come from the device since the last key. The
    // completion after the extra wait looks like an answer otherwise: it
    // repeats the old screen.
    bool lastKeyAnswered() const override;

    Q_INVOKABLE QString lastErrorString() const override;

    // Opens a port by name or device path, bypassing the list (command-line tool).
    bool openSerialPortByName(const QString &name);

    // The decoding half of readSerialInput(): takes bytes as if they had just
    // been read from the port (count, decode, log, change signals, quiet-gap
    // timer). Lets the fuzzer and the benchmark drive the decoder without a port.
    void processReceivedBytes(const QByteArray &bytes);

    // Takes over a port list (done by the constructor with the ports found and
    // LUM_EXTRA_PORTS): the preferred index when an entry is preferred, the
    // selection (the preferred entry, else the first) when there is an entry,
    // then the list, with their change signals in that order.
    void applyPortChoice(const PortChoice &choice);

    // Builds the port list anew (an adapter plugged in since), while the port
    // is closed. The selected port stays selected by its name; returns its
    // new index (when it is gone, the preferred one, else the first).
    Q_INVOKABLE int rescanPorts();

signals:
    void termPortListChanged();
    void termPortSelectedIndxChanged();
    void termPortPreferredIndxChanged();
    void termPortScanRunningChanged();
    void displayTextChanged();
    void displayCursorOverlayChanged();
    // displayCompleted() and terminalIsReadyChanged() come from DeviceLink.

public slots:
    void setTermPortSelectedIndx(int index);
    void openSerialPort();
    void closeSerialPort();
    void sendString(QString text);
    void sendChar(char key) override;
    void sendCharTimer(char key, int time) override;
    void readSerialInput();

private:
    static QVector<PortEntry> availablePorts();
    static QVector<PortEntry> portEntries(const QList<QSerialPortInfo> &infos);
    void takePortList(const QVector<PortEntry> &ports);
    void finishPortScan();
    static int initialSelection(const PortChoice &choice);
    bool openPort(const QString &name);
    void handlePortError(int error);
    void closeLostPort();
    bool lineHungUp() const;
    void checkCompletion();
    void flushKeys();
    void clearStaleTimeout();

    QSerialPort *m_serialPort = nullptr;
    QStringList m_termPortList;
    QStringList m_termPortManufacturers;
    int m_termPortPreferredIndx = -1;
    int m_termPortSelectedIndx = -1;
    bool m_termPortScanRunning = false;
    QString m_lastErrorString;
    DisplayDecoder m_display;
    QTimer m_inputTimer;
    int m_inputCount = 0;
    bool m_lastKeyAnswered = false;
    QString m_lineLostError; // set when the line is lost, until the port is closed
};

#endif // KELHANDLER_H
