#ifndef LUMSESSION_H
#define LUMSESSION_H

#include <QObject>

// Complete types: the properties' meta-types need them (Qt 6).
#include "deviceprofile.h"
#include "kelhandler.h"
#include "lumbot.h"
#include "seriessession.h"
#include "servicerecord.h"

// What one window works with, for as long as it is open: the link to the
// device, the configuration on screen, the robot that works the device's menu
// and the record kept of its jobs, wired to one another. The window and its
// components only show these objects and forward the technician's actions to
// them.
class LumSession : public QObject
{
    Q_OBJECT
    Q_PROPERTY(KelHandler *link READ link CONSTANT)
    Q_PROPERTY(DeviceProfile *profile READ profile CONSTANT)
    Q_PROPERTY(LumBot *bot READ bot CONSTANT)
    Q_PROPERTY(ServiceRecord *record READ record CONSTANT)
    // Whether the technician was asked for the site and his name yet (on
    // this computer): the window asks once and remembers the answer.
    Q_PROPERTY(bool siteAndTechnicianAsked READ siteAndTechnicianAsked NOTIFY
                       siteAndTechnicianAskedChanged)
    // Many lifts from one template and a table ("Serie").
    Q_PROPERTY(SeriesSession *series READ series CONSTANT)
    // The serial number of the device on the line, as this connection's last
    // check or read-out found it; empty while it is not known.
    Q_PROPERTY(QString connectedSerialNumber READ connectedSerialNumber NOTIFY connectedDeviceChanged)
    // A transfer asked for waits for the device's serial number (the robot
    // reads it first) and the decision after it.
    Q_PROPERTY(bool transferPending READ transferPending NOTIFY transferPendingChanged)

public:
    explicit LumSession(QObject *parent = nullptr);
    ~LumSession() override;

    KelHandler *link() const { return m_link; }
    DeviceProfile *profile() const { return m_profile; }
    LumBot *bot() const { return m_bot; }
    ServiceRecord *record() const { return m_record; }
    SeriesSession *series() const { return m_series; }

    // "Verbinden": opens the port chosen on the link and, once it is open,
    // has the robot identify the device. False when the port did not open;
    // the robot is then not started and connectFailureText() says why.
    Q_INVOKABLE bool connectAndIdentify();
    // Why the last connect failed, for the technician: the port's name and
    // the link's error text ("Fehler beim Öffnen von /dev/ttyUSB0:\n...");
    // with no port chosen the link's text alone.
    Q_INVOKABLE QString connectFailureText() const;

    // "Verlauf": opens a copy from the history as the configuration on
    // screen; with `compareWithDevice` the robot then checks every editable
    // setting against the connected device, which marks each one that
    // differs (so that a transfer restores the copy). False when the copy
    // could not be read (the profile says why) or the device cannot be
    // checked now (no connection, a job running).
    Q_INVOKABLE bool openHistoryCopy(const QString &path, bool compareWithDevice);
    // Whether a copy can be compared with the device now.
    Q_INVOKABLE bool canCompareWithDevice() const;

    bool siteAndTechnicianAsked() const { return m_siteAndTechnicianAsked; }
    // The site ("Anlage") and the technician the record's protocols name,
    // kept for the next start of the window.
    Q_INVOKABLE void setSiteAndTechnician(const QString &site, const QString &technician);

    // "Exportieren": the configuration on screen as CSV for a spreadsheet,
    // into the file chosen in the save dialog (a name without an ending
    // gets ".csv"). Empty when written, else why not, in German.
    Q_INVOKABLE QString exportCsv(const QString &chosen, const QString &folder);
    // The path exportCsv() writes for a choice, to ask before replacing it.
    Q_INVOKABLE static QString csvPathFor(const QString &chosen, const QString &folder);


    // The device on the line: the identifier the robot found and the serial
    // number this connection's last check or read-out showed (none when the
    // device was identified anew as another one since, or the port closed).
    DeviceOrigin connectedDevice() const;
    QString connectedSerialNumber() const;
    // Whether the configuration on screen may be written into the connected
    // device without asking: it comes from it, or from any device of its
    // type when it is a template or no serial number is known on one side.
    Q_INVOKABLE bool fileFitsDevice() const;
    // The question before writing a configuration of another device, naming
    // both; empty when the file fits the device.
    Q_INVOKABLE QString otherDeviceQuestion() const;

    // "übertragen": writes the marked settings into the connected device.
    // A configuration with a setting its field cannot take is refused
    // (transferRefused()). A configuration of another device is written only
    // when the technician says so (otherDeviceQuestionAsked(), "Ja" calls
    // transferToOtherDevice()). Where only the serial number tells whether
    // the device on the line is the file's own and this connection has not
    // seen it yet, the robot reads it first; the transfer or the question
    // follows when it is known.
    Q_INVOKABLE void transfer();
    // The technician's "Ja" to the question: the transfer all the same.
    Q_INVOKABLE void transferToOtherDevice();
    bool transferPending() const { return m_transferPending; }

signals:
    void siteAndTechnicianAskedChanged();
    void connectedDeviceChanged();
    // Nothing was sent; `reason` says why, in the technician's words.
    void transferRefused(const QString &reason);
    // The configuration belongs to another device: `question` names both.
    void otherDeviceQuestionAsked(const QString &question);
    void transferPendingChanged();

private:
    void takeSerialNumberOf(const JobResult &result);
    void forgetConnectedDevice();
    bool canTransfer() const;
    void decideTransfer();
    void setTransferPending(bool pending);

    KelHandler *m_link;
    DeviceProfile *m_profile;
    LumBot *m_bot;
    ServiceRecord *m_record;
    bool m_siteAndTechnicianAsked = false;
    SeriesSession *m_series;
    // The device whose serial number is known, by its identifier.
    DeviceOrigin m_knownDevice;
    bool m_transferPending = false;
};

#endif // LUMSESSION_H
