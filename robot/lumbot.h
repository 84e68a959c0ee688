#ifndef LUMBOT_H
#define LUMBOT_H

#include <QList>
#include <QMetaObject>
#include <QObject>
#include <QString>
#include <QStringList>

// Complete types: Qt 6's meta-object code needs them for the properties.
#include "deviceprofile.h"
#include "kelhandler.h"

class MenuScreen;

// The menu robot: a reactive state machine that operates the device's text
// menu one completed screen at a time. It identifies the device, reads its
// whole configuration menu out, and transfers marked settings back.
class LumBot : public QObject
{
    Q_OBJECT
    Q_PROPERTY(KelHandler *kelHandler READ kelHandler WRITE setKelHandler NOTIFY kelHandlerChanged)
    Q_PROPERTY(DeviceProfile *profile READ profile WRITE setProfile NOTIFY profileChanged)
    Q_PROPERTY(bool isEnabled READ isEnabled NOTIFY enabledChanged)
    Q_PROPERTY(QString deviceIdentifier READ deviceIdentifier NOTIFY deviceIdentifierChanged)
    Q_PROPERTY(QString deviceWarning READ deviceWarning NOTIFY deviceIdentifierChanged)
    Q_PROPERTY(int itemsDone READ itemsDone NOTIFY progressChanged)
    Q_PROPERTY(int itemsTotal READ itemsTotal NOTIFY progressChanged)
    Q_PROPERTY(QString jobOutcome READ jobOutcome NOTIFY jobOutcomeChanged)
    Q_PROPERTY(
            QString identificationError READ identificationError NOTIFY identificationErrorChanged)

public:
    enum Mode { Idle = 0, Init = 1, DownloadInit = 2, UploadInit = 3, Download = 4, Upload = 5,
                // A job ended early: the robot climbs back to the base menu.
                Return = 6 };
    Q_ENUM(Mode)

    explicit LumBot(QObject *parent = nullptr);

    KelHandler *kelHandler() const;
    void setKelHandler(KelHandler *kelHandler);
    // Any other line to the device (C++ only; tests hand screens through
    // one). kelHandler() is null unless the link is the terminal link.
    void setDeviceLink(DeviceLink *link);
    DeviceLink *deviceLink() const;
    DeviceProfile *profile() const;
    void setProfile(DeviceProfile *profile);
    bool isEnabled() const;
    QString deviceIdentifier() const;
    QString deviceWarning() const;
    int itemsDone() const;
    int itemsTotal() const;
    // How the last read-out or transfer ended, for the technician: what was
    // done and when, or that it was cancelled. Empty while a job runs.
    QString jobOutcome() const;
    // Why the last identification found no device; empty otherwise.
    QString identificationError() const;
    int mode() const;

    Q_INVOKABLE QString lastErrorString() const;

    // What became of a marked setting the last transfer worked on: written
    // and confirmed by the device (`error` empty), or the error that stopped
    // the transfer there. Settings passed over or not reached have no entry.
    struct TransferredSetting
    {
        QStringList menuPath;
        QString value; // the value keyed in (for the clock and date: as the device shows it)
        QString error;
    };
    QList<TransferredSetting> transferredSettings() const;

signals:
    void kelHandlerChanged(KelHandler *kelHandler);
    void profileChanged(DeviceProfile *profile);
    void enabledChanged();
    void transmissionError();
    void deviceIdentifierChanged();
    void progressChanged();
    void jobOutcomeChanged();
    void identificationErrorChanged();
    // The record of a job's course, for whoever keeps the service record.
    void readOutCompleted();
    void transferStarted();
    void settingTransferred();
    void transferCompleted();

public slots:
    void startInit();
    void startDownload();
    void startUpload();
    void abort();
    void readDisplay();

private:
    bool canStartProfileJob() const;
    void startInitFor(int mode);
    void beginInit();
    void clearOutcome();
    void setJobOutcome(const QString &text);
    void setIdentificationError(const QString &text);
    void endIdentification();
    void stopJob();
    void discardJob();
    bool linkWorks() const;
    QString linkReason() const;
    void returnToBaseMenu(const QString &ending);
    void climbStep(const MenuScreen &screen);
    void endReturn(const QString &whereLeft);
    void reset();
    void clearTransferState();
    void enterIdle();
    void setProgress(int done, int total);
    void reportError(const QString &text);
    void onTerminalReadyChanged();
    void attachLink(DeviceLink *link);
    bool hasProfileFor(int mode);
    void sendKey(char key);
    void sendText(const QString &text);

    void searchBaseMenu(const MenuScreen &screen);
    void failBaseMenuSearch();

    void readOutStep(const MenuScreen &screen);
    void searchWayBack(const MenuScreen &screen);
    void leaveLevel(const MenuScreen &screen);
    void markReadOnly();
    void recordEntry(const MenuScreen &screen);
    void finishReadOut();
    void failReadOut(const QString &text);

    void transferStep(const MenuScreen &screen);
    void walkTowardsTarget(const MenuScreen &screen);
    void enterValue(const MenuScreen &screen);
    void enterSelection(const MenuScreen &screen, const QString &wanted);
    void verifyValue(const MenuScreen &screen);
    void chooseMarkedSetting(bool first, const MenuScreen &screen);
    bool gotoNextTransferable();
    int countTransferable() const;
    void failTransfer(const QString &text);
    void recordTransferred(const QString &value, const QString &error);

    KelHandler *m_kelHandler = nullptr;
    DeviceLink *m_link = nullptr; // the same object as m_kelHandler, when that is set
    DeviceProfile *m_profile = nullptr;
    int m_mode = Idle;
    QString m_lastDisplay;
    bool m_takeIdentifier = false;
    quint8 m_escCount = 0;
    quint8 m_level = 0;
    QString m_deviceIdentifier;
    QString m_deviceWarning;
    QString m_lastError;
    QStringList m_targetPath;
    QStringList m_devicePath;
    bool m_valueEntered = false;
    bool m_skipVerify = false;
    QStringList m_searchPath;
    QStringList m_seenNames;
    int m_itemsDone = 0;
    int m_itemsTotal = 0;
    QString m_jobOutcome;
    QString m_identificationError;
    QList<TransferredSetting> m_transferred;
    QString m_jobEnding;
    int m_unansweredEscapes = 0;
    QMetaObject::Connection m_displayConnection;
    QMetaObject::Connection m_portConnection;
    QMetaObject::Connection m_linkGoneConnection;
    QMetaObject::Connection m_profileGoneConnection;
};

#endif // LUMBOT_H
