#include "lumbot.h"

#include "devicekeys.h"
#include "deviceprofile.h"
#include "kelhandler.h"
#include "jobtexts.h"
#include "logcategories.h"
#include "menuscreen.h"

#include <QDebug>
#include <QTime>

using namespace JobTexts;

LumBot::LumBot(QObject *parent) : QObject(parent) { }

KelHandler *LumBot::kelHandler() const
{
    return m_kelHandler;
}

void LumBot::setKelHandler(KelHandler *kelHandler)
{
    attachLink(kelHandler);
    emit kelHandlerChanged(kelHandler);
}

void LumBot::setDeviceLink(DeviceLink *link)
{
    attachLink(link);
}

DeviceLink *LumBot::deviceLink() const
{
    return m_link;
}

void LumBot::attachLink(DeviceLink *link)
{
    // One connection per link: a screen must never be processed twice.
    disconnect(m_displayConnection);
    disconnect(m_portConnection);
    disconnect(m_linkGoneConnection);
    m_link = link;
    m_kelHandler = qobject_cast<KelHandler *>(link);
    if (!link)
        return;
    m_displayConnection = connect(link, &DeviceLink::displayCompleted, this, &LumBot::readDisplay);
    m_portConnection = connect(link, &DeviceLink::terminalIsReadyChanged, this,
                               &LumBot::onTerminalReadyChanged);
    // The robot does not own the link; it must not outlive it holding a
    // dangling pointer (the scene may destroy its objects in any order).
    m_linkGoneConnection = connect(link, &QObject::destroyed, this, [this] {
        m_link = nullptr;
        m_kelHandler = nullptr;
        stopJob();
    });
}

DeviceProfile *LumBot::profile() const
{
    return m_profile;
}

void LumBot::setProfile(DeviceProfile *profile)
{
    disconnect(m_profileGoneConnection);
    m_profile = profile;
    emit profileChanged(profile);
    if (!profile)
        return;
    m_profileGoneConnection = connect(profile, &QObject::destroyed, this, [this] {
        m_profile = nullptr;
        stopJob();
    });
}

JobResult LumBot::lastResult() const
{
    return m_result;
}

// ---------------------------------------------------------------- control

void LumBot::startInit()
{
    if (m_mode != Idle)
        return;
    if (!m_link) {
        qCDebug(lumRobot) << "LUMBOT start refused: no terminal link set";
        return;
    }
    clearOutcome();
    beginJob(JobResult::Identification);
    beginInit();
}

// The base-menu search that begins every job; also run by the transfer at
// its end to bring the device back and read its identity anew, which keeps
// the transfer's outcome.
void LumBot::beginInit()
{
    qCDebug(lumRobot) << "LUMBOT start init";
    reset();
    setProgress(0, 0);
    m_link->sendChar(DeviceKeys::Esc);
    m_mode = Init;
    emit enabledChanged();
}

void LumBot::startDownload()
{
    if (!canStartProfileJob())
        return;
    qCDebug(lumRobot) << "LUMBOT start download";
    m_profile->resetProfile();
    startInitFor(DownloadInit);
}

void LumBot::startUpload()
{
    if (!canStartProfileJob())
        return;
    qCDebug(lumRobot) << "LUMBOT start upload";
    m_transfer.reset(m_profile);
    m_transferredAnnounced = 0;
    m_profile->gotoRoot();
    startInitFor(UploadInit);
    if (m_mode == UploadInit)
        emit transferStarted();
}

void LumBot::startCheck(bool allEditable)
{
    if (!canStartProfileJob())
        return;
    qDebug() << "LUMBOT start check";
    m_check.reset(m_profile->checkedPaths(allEditable));
    startInitFor(CheckInit);
}

void LumBot::startSerialCheck()
{
    if (!canStartProfileJob())
        return;
    qDebug() << "LUMBOT start check of the serial number";
    m_check.reset(m_profile->serialNumberPaths());
    startInitFor(CheckInit);
    if (m_mode == CheckInit)
        m_result.serialNumberOnly = true;
}

// A read-out or a transfer needs the tree as well as the link; a job that is
// already running is never replaced.
bool LumBot::canStartProfileJob() const
{
    if (m_mode != Idle)
        return false;
    if (!m_link || !m_profile) {
        qCDebug(lumRobot) << "LUMBOT start refused: terminal link or profile not set";
        return false;
    }
    return true;
}

// Every job begins with the base-menu search; the mode says what follows it.
void LumBot::startInitFor(Mode mode)
{
    startInit();
    if (m_mode != Init)
        return;
    m_mode = mode;
    m_result.job = mode == DownloadInit ? JobResult::ReadOut
            : mode == CheckInit         ? JobResult::Check
                                        : JobResult::Transfer;
}

void LumBot::beginJob(JobResult::Job job)
{
    m_result = JobResult();
    m_result.job = job;
    m_jobOpen = true;
}

// The job is over and everything about it is known: its result, once.
void LumBot::finishJob(JobResult::Outcome outcome, JobResult::DeviceLeft deviceLeft)
{
    // A receiver of enabledChanged() may have started the next job already.
    if (!m_jobOpen || m_mode != Idle)
        return;
    m_jobOpen = false;
    // A transfer done stays done while the device is identified anew.
    if (m_result.outcome == JobResult::Running)
        m_result.outcome = outcome;
    m_result.deviceLeft = deviceLeft;
    closeResult();
    setJobOutcome(m_result.outcomeLine());
    emit jobFinished();
}

void LumBot::closeResult()
{
    if (m_result.endedAt.isNull())
        m_result.endedAt = QTime::currentTime();
    m_result.deviceIdentifier = m_deviceIdentifier;
    if (m_result.job == JobResult::Transfer) {
        m_result.settingsWritten = m_transfer.done();
        m_result.settingsToWrite = m_transfer.total();
        m_result.settings = m_transfer.settingRecords();
    }
    if (m_result.job == JobResult::Check) {
        m_result.checked = m_check.records();
        m_result.deviceSerialNumber.clear();
        for (const CheckedSetting &record : m_check.records()) {
            if (record.found && DeviceProfile::isSerialNumberPath(record.menuPath))
                m_result.deviceSerialNumber = record.deviceValue.trimmed();
        }
    }
}

void LumBot::clearOutcome()
{
    setJobOutcome(QString());
    setIdentificationError(QString());
}

void LumBot::setJobOutcome(const QString &text)
{
    if (text == m_jobOutcome)
        return;
    m_jobOutcome = text;
    emit jobOutcomeChanged();
}

void LumBot::setIdentificationError(const QString &text)
{
    if (text == m_identificationError)
        return;
    m_identificationError = text;
    emit identificationErrorChanged();
}

// An identification that ends without an identifier found no device: the
// link completed its screens without an answer (or only blank ones).
void LumBot::endIdentification()
{
    setIdentificationError(m_deviceIdentifier.trimmed().isEmpty() ? errorNoDevice : QString());
}

// The user's abort. The robot lets go of the device only at its base menu:
// left deep in the menu, or inside a setting it opened, one key by the
// technician would change a setting there.
void LumBot::abort()
{
    if (m_mode == Idle || m_mode == Return)
        return;
    discardJob();
    // After a transfer done, its outcome stands while the device is identified anew.
    returnToBaseMenu(JobResult::Cancelled);
}

// Ends the job without a key: after an error, or when the line is lost.
void LumBot::stopJob()
{
    if (m_mode == Idle)
        return;
    discardJob();
    m_mode = Idle;
    emit enabledChanged();
    finishJob(JobResult::Cancelled, JobResult::NotSaid);
}

// What an aborted job leaves behind: a partial read-out is discarded, the
// device no longer counts as identified.
void LumBot::discardJob()
{
    qCDebug(lumRobot) << "LUMBOT abort";
    if (m_mode == Download && m_profile)
        m_profile->resetProfile();
    reset();
}

bool LumBot::linkWorks() const
{
    return m_link && m_link->terminalIsReady();
}

// Every job that ends early on a working line ends here: the robot stays
// busy while it takes the device back to its base menu.
void LumBot::returnToBaseMenu(JobResult::Outcome outcome)
{
    if (m_result.outcome == JobResult::Running)
        m_result.outcome = outcome;
    if (!linkWorks()) {
        endReturn(JobResult::LineLost);
        return;
    }
    sendKeys(m_return.start());
    const bool wasIdle = m_mode == Idle;
    m_mode = Return;
    m_result.deviceLeft = JobResult::Returning;
    closeResult();
    setJobOutcome(m_result.outcomeLine());
    if (wasIdle)
        emit enabledChanged();
}

void LumBot::endReturn(JobResult::DeviceLeft deviceLeft)
{
    const bool wasBusy = m_mode != Idle;
    m_mode = Idle;
    if (wasBusy)
        emit enabledChanged();
    finishJob(m_result.outcome, deviceLeft);
}

void LumBot::reset()
{
    m_takeIdentifier = false;
    m_search.reset();
    m_readOut.reset(m_profile);
    m_deviceIdentifier.clear();
    m_deviceWarning.clear();
    emit deviceIdentifierChanged();
}

void LumBot::enterIdle()
{
    m_mode = Idle;
    emit enabledChanged();
}

void LumBot::setProgress(int done, int total)
{
    if (done == m_itemsDone && total == m_itemsTotal)
        return;
    m_itemsDone = done;
    m_itemsTotal = total;
    emit progressChanged();
}

void LumBot::reportError(const QString &text)
{
    m_lastError = text;
    qCDebug(lumRobot) << "LUMBOT ERROR:" << text;
    emit transmissionError();
}

void LumBot::onTerminalReadyChanged()
{
    if (!m_link || m_link->terminalIsReady())
        return;
    switch (m_mode) {
    case Init:
        setIdentificationError(errorNoDevice);
        if (m_result.outcome == JobResult::Running)
            m_result.outcome = JobResult::NoDevice;
        stopJob();
        break;
    case DownloadInit:
    case Download:
        failReadOut(errorReadOutLinkLost + linkReason());
        break;
    case UploadInit:
    case Upload:
        m_transfer.noteFailure(errorTransferLinkLost + linkReason());
        emitTransferred();
        failTransfer(errorTransferLinkLost + linkReason());
        break;
    case CheckInit:
    case Check:
        failCheck(errorCheckLinkLost + linkReason());
        break;
    case Return:
        endReturn(JobResult::LineLost);
        break;
    default:
        break;
    }
}

// What the link says about a lost line, as a line of its own.
QString LumBot::linkReason() const
{
    const QString reason = m_link ? m_link->lastErrorString() : QString();
    return reason.isEmpty() ? QString() : QLatin1Char('\n') + reason;
}

// The profile may be unset while a job runs (QML rebinding); stop rather than
// walk without a tree.
bool LumBot::hasProfileFor(Mode mode)
{
    if (m_profile)
        return true;
    qCDebug(lumRobot) << "LUMBOT no profile set in mode" << mode << "- stopping";
    stopJob();
    return false;
}

void LumBot::sendKeys(const RobotAnswer &answer)
{
    for (const RobotAnswer::Key &key : answer.keys()) {
        if (key.waitMs > 0)
            m_link->sendCharTimer(key.key, key.waitMs);
        else
            m_link->sendChar(key.key);
    }
}

QString LumBot::progressText() const
{
    // A check writes nothing: its count is of settings looked at.
    if (m_result.job == JobResult::Check && m_result.serialNumberOnly)
        return JobTexts::serialCheckProgress;
    if (m_result.job == JobResult::Check && m_itemsTotal > 0)
        return JobTexts::checkProgress(m_itemsDone, m_itemsTotal);
    return JobTexts::progress(m_itemsDone, m_itemsTotal);
}
