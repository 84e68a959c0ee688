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

#include "basemenusearch.h"
#include "checkwalk.h"
#include "jobresult.h"
#include "jobtracker.h"
#include "readoutwalk.h"
#include "robotlink.h"
#include "safereturn.h"
#include "transferwalk.h"

class MenuScreen;

// The menu robot: a reactive state machine that operates the device's text
// menu one completed screen at a time. It identifies the device, reads its
// whole configuration menu out, and transfers marked settings back. Each
// job is a unit of its own that answers a screen with keys or its end (the
// base-menu search, the read-out walk, the transfer walk, the safe return
// to the base menu); the robot hands them the screens, sends their keys and
// says how the job ended. It reaches the device through its RobotLink and
// keeps its account of the device and the jobs in a JobTracker.
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
    Q_PROPERTY(QString progressText READ progressText NOTIFY progressChanged)
    Q_PROPERTY(QString jobOutcome READ jobOutcome NOTIFY jobOutcomeChanged)
    Q_PROPERTY(
            QString identificationError READ identificationError NOTIFY identificationErrorChanged)

public:
    enum Mode {
        Idle = 0,
        Init = 1,
        DownloadInit = 2,
        UploadInit = 3,
        Download = 4,
        Upload = 5,
        // A job ended early: the robot climbs back to the base menu.
        Return = 6,
        CheckInit = 7,
        Check = 8
    };
    Q_ENUM(Mode)

    explicit LumBot(QObject *parent = nullptr);

    KelHandler *kelHandler() const { return m_line.kelHandler(); }
    void setKelHandler(KelHandler *kelHandler);
    // Any other line to the device (C++ only; tests hand screens through
    // one). kelHandler() is null unless the link is the terminal link.
    void setDeviceLink(DeviceLink *link) { m_line.attach(link); }
    DeviceLink *deviceLink() const { return m_line.link(); }
    DeviceProfile *profile() const { return m_profile; }
    void setProfile(DeviceProfile *profile);
    bool isEnabled() const { return m_mode != Idle; }
    QString deviceIdentifier() const { return m_job.deviceIdentifier(); }
    QString deviceWarning() const { return m_job.deviceWarning(); }
    int itemsDone() const { return m_job.itemsDone(); }
    int itemsTotal() const { return m_job.itemsTotal(); }
    // How far the job has come, in the technician's words; empty before
    // anything is done.
    QString progressText() const { return m_job.progressText(); }
    // How the last job ended, for the technician: what was done and when,
    // that it was cancelled or failed, and where the device was left.
    // Empty while a read-out or transfer runs.
    QString jobOutcome() const { return m_job.jobOutcome(); }
    // Why the last identification found no device; empty otherwise.
    QString identificationError() const { return m_job.identificationError(); }
    Mode mode() const { return m_mode; }

    Q_INVOKABLE QString lastErrorString() const { return m_job.lastError(); }

    // How the last job ended; complete from jobFinished() on.
    JobResult lastResult() const { return m_job.result(); }

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
    // A check visited every setting; the profile holds the comparison
    // (not after a check of the serial number alone).
    void checkCompleted();
    void transferStarted();
    void settingTransferred();
    void transferCompleted();
    // A job is over (identification, read-out or transfer, also one that
    // failed, was cancelled or found no device), after its last key and
    // enabledChanged(); lastResult() tells how it ended. Once per job.
    void jobFinished();

public slots:
    void startInit();
    // Compares the profile with the device: reads what the device's lists
    // show for the marked settings (every editable one with `allEditable`)
    // without opening any, applies the comparison to the profile and takes
    // the device back to its base menu.
    Q_INVOKABLE void startCheck(bool allEditable);
    // The same walk to the device's serial number alone (the profile's
    // serial-number setting), which tells which device is connected: the
    // result names it, the profile's marks and comparison stay as they are.
    Q_INVOKABLE void startSerialCheck();
    void startDownload();
    void startUpload();
    void abort();
    void readDisplay();

private:
    bool canStartProfileJob() const;
    void startInitFor(Mode mode);
    void beginInit();
    void stopJob();
    void discardJob();
    void finishJob(JobResult::Outcome outcome, JobResult::DeviceLeft deviceLeft);
    void returnToBaseMenu(JobResult::Outcome outcome);
    void endReturn(JobResult::DeviceLeft deviceLeft);
    void reset();
    void enterIdle()
    {
        m_mode = Idle;
        emit enabledChanged();
    }
    void onLineLost();
    bool hasProfileFor(Mode mode);
    int walkLevel() const;

    void searchBaseMenu(const MenuScreen &screen);
    void failBaseMenuSearch();
    void readOutStep(const MenuScreen &screen);
    void finishReadOut();
    void failJob(const QString &text);
    void transferStep(const MenuScreen &screen);
    // One settingTransferred() for each setting the transfer has newly worked on.
    void emitTransferred() { m_job.announceTransferred(int(m_transfer.transferred().size())); }
    void climbStep(const MenuScreen &screen);
    void checkStep(const MenuScreen &screen);

    RobotLink m_line;
    DeviceProfile *m_profile = nullptr;
    Mode m_mode = Idle;
    BaseMenuSearch m_search;
    ReadOutWalk m_readOut;
    TransferWalk m_transfer;
    CheckWalk m_check;
    SafeReturn m_return;
    JobTracker m_job{ m_transfer, m_check }; // after the walks it reads
    QMetaObject::Connection m_profileGoneConnection;
};

#endif // LUMBOT_H
