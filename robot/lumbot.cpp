#include "lumbot.h"

#include "devicekeys.h"
#include "deviceprofile.h"
#include "kelhandler.h"
#include "jobtexts.h"
#include "logcategories.h"
#include "menuscreen.h"

#include <QDebug>

using namespace JobTexts;

LumBot::LumBot(QObject *parent) : QObject(parent)
{
    connect(&m_line, &RobotLink::displayCompleted, this, &LumBot::readDisplay);
    connect(&m_line, &RobotLink::lineLost, this, &LumBot::onLineLost);
    connect(&m_line, &RobotLink::linkGone, this, &LumBot::stopJob);
    // The account of the jobs speaks for the robot.
    connect(&m_job, &JobTracker::deviceIdentifierChanged, this, &LumBot::deviceIdentifierChanged);
    connect(&m_job, &JobTracker::progressChanged, this, &LumBot::progressChanged);
    connect(&m_job, &JobTracker::jobOutcomeChanged, this, &LumBot::jobOutcomeChanged);
    connect(&m_job, &JobTracker::identificationErrorChanged, this,
            &LumBot::identificationErrorChanged);
    connect(&m_job, &JobTracker::transmissionError, this, &LumBot::transmissionError);
    connect(&m_job, &JobTracker::settingTransferred, this, &LumBot::settingTransferred);
    connect(&m_job, &JobTracker::jobFinished, this, &LumBot::jobFinished);
}

void LumBot::setKelHandler(KelHandler *kelHandler)
{
    m_line.attach(kelHandler);
    emit kelHandlerChanged(kelHandler);
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

// ---------------------------------------------------------------- control

void LumBot::startInit()
{
    if (m_mode != Idle)
        return;
    if (!m_line.link()) {
        qCDebug(lumRobot) << "LUMBOT start refused: no terminal link set";
        return;
    }
    m_job.begin(JobResult::Identification);
    beginInit();
}

// The base-menu search that begins every job; also run by the transfer at
// its end to bring the device back and read its identity anew, which keeps
// the transfer's outcome.
void LumBot::beginInit()
{
    qCDebug(lumRobot) << "LUMBOT start init";
    reset();
    m_job.setProgress(0, 0);
    m_line.sendChar(DeviceKeys::Esc);
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
        m_job.setSerialNumberOnly();
}

// A read-out or a transfer needs the tree as well as the link; a job that is
// already running is never replaced.
bool LumBot::canStartProfileJob() const
{
    if (m_mode != Idle)
        return false;
    if (!m_line.link() || !m_profile) {
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
    m_job.setJob(mode == DownloadInit        ? JobResult::ReadOut
                         : mode == CheckInit ? JobResult::Check
                                             : JobResult::Transfer);
}

// The job is over: its result, once. A receiver of enabledChanged() may
// have started the next job already; that one is not over.
void LumBot::finishJob(JobResult::Outcome outcome, JobResult::DeviceLeft deviceLeft)
{
    if (m_mode == Idle)
        m_job.finishJob(outcome, deviceLeft);
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

// Every job that ends early on a working line ends here: the robot stays
// busy while it takes the device back to its base menu.
void LumBot::returnToBaseMenu(JobResult::Outcome outcome)
{
    m_job.settle(outcome);
    if (!m_line.works()) {
        endReturn(JobResult::LineLost);
        return;
    }
    m_line.sendKeys(m_return.start());
    const bool wasIdle = m_mode == Idle;
    m_mode = Return;
    m_job.setDeviceLeft(JobResult::Returning);
    m_job.showOutcome();
    if (wasIdle)
        emit enabledChanged();
}

void LumBot::endReturn(JobResult::DeviceLeft deviceLeft)
{
    const bool wasBusy = m_mode != Idle;
    m_mode = Idle;
    if (wasBusy)
        emit enabledChanged();
    finishJob(m_job.result().outcome, deviceLeft);
}

void LumBot::reset()
{
    m_search.reset();
    m_readOut.reset(m_profile);
    m_job.forgetDevice();
}

// The line stopped working while a job ran.
void LumBot::onLineLost()
{
    switch (m_mode) {
    case Init:
        m_job.noDevice();
        stopJob();
        break;
    case DownloadInit:
    case Download:
        failJob(errorReadOutLinkLost + m_line.linkReason());
        break;
    case UploadInit:
    case Upload:
        m_transfer.noteFailure(errorTransferLinkLost + m_line.linkReason());
        emitTransferred();
        failJob(errorTransferLinkLost + m_line.linkReason());
        break;
    case CheckInit:
    case Check:
        failJob(errorCheckLinkLost + m_line.linkReason());
        break;
    case Return:
        endReturn(JobResult::LineLost);
        break;
    default:
        break;
    }
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

// ------------------------------------------------------------------ steps
// Each completed screen is read and handed to the job that runs; the job's
// answer is sent, and its end is turned into the robot's state, signals and
// result.

void LumBot::readDisplay()
{
    if (m_mode == Idle || !m_line.link())
        return;

    const MenuScreen screen = m_line.readScreen(walkLevel());

    if (m_job.identifierDue()) {
        m_job.takeIdentifier(screen.firstLine);
        if (m_mode == Init) {
            m_job.endIdentification();
            enterIdle();
            finishJob(identificationError().isEmpty() ? JobResult::Done : JobResult::NoDevice,
                      JobResult::NotSaid);
            return;
        }
    }

    switch (m_mode) {
    case Init:
    case DownloadInit:
    case UploadInit:
    case CheckInit:
        searchBaseMenu(screen);
        break;
    case Check:
        if (hasProfileFor(Check))
            checkStep(screen);
        break;
    case Download:
        if (hasProfileFor(Download))
            readOutStep(screen);
        break;
    case Upload:
        if (hasProfileFor(Upload))
            transferStep(screen);
        break;
    case Return:
        climbStep(screen);
        break;
    default:
        break;
    }
}

// The depth at which the screen is read: names are formed differently on
// the configuration menu's own level.
int LumBot::walkLevel() const
{
    if (m_mode == Download)
        return m_readOut.level();
    if (m_mode == Upload)
        return m_transfer.level();
    if (m_mode == Check)
        return m_check.level();
    return 0;
}

void LumBot::searchBaseMenu(const MenuScreen &screen)
{
    const RobotAnswer answer = m_search.step(screen);
    if (answer.outcome() == RobotAnswer::Failed) {
        failBaseMenuSearch();
        return;
    }
    if (answer.outcome() == RobotAnswer::Done) {
        const bool programmingMode = m_search.programmingMode();
        reset();
        m_job.awaitIdentifier(programmingMode ? warningProgrammingMode : QString());
        if (m_mode == DownloadInit)
            m_mode = Download;
        else if (m_mode == UploadInit)
            m_mode = Upload;
        else if (m_mode == CheckInit)
            m_mode = Check;
    }
    m_line.sendKeys(answer);
}

// The search has sent all the ESC it may: a climb would send as many again.
void LumBot::failBaseMenuSearch()
{
    if (m_mode != Init)
        m_job.fail(errorBaseMenu);
    else
        m_job.noDevice();
    discardJob();
    enterIdle();
    finishJob(m_job.result().outcome, JobResult::MaybeElsewhere);
}

void LumBot::readOutStep(const MenuScreen &screen)
{
    const RobotAnswer answer = m_readOut.step(screen, m_line.lastKeyAnswered());
    m_job.setProgress(m_readOut.recorded(), 0);
    m_line.sendKeys(answer);
    if (answer.outcome() == RobotAnswer::Failed)
        failJob(answer.error());
    else if (answer.outcome() == RobotAnswer::Done)
        finishReadOut();
}

void LumBot::finishReadOut()
{
    enterIdle();
    if (m_mode != Idle)
        return;
    m_profile->rebuildConfItemList();
    // Counted as the technician counts them, the same number lumctl gives.
    const int entries = m_profile->entryCount();
    m_job.setProgress(entries, 0);
    m_job.setEntriesRead(entries);
    // The file saved from it knows the device it came from.
    m_profile->setOrigin({ deviceIdentifier().trimmed(), m_profile->serialNumberSetting(), false });
    emit readOutCompleted();
    finishJob(JobResult::Done, JobResult::NotSaid);
}

// A job that cannot go on: said, and the device taken back to its base menu.
// A read-out's half tree is dropped; a transfer or a check keeps the
// identification and the paths as they are.
void LumBot::failJob(const QString &text)
{
    m_job.reportError(text);
    if (m_mode == Idle || m_mode == Return)
        return;
    m_job.setError(text);
    if (m_mode == Download || m_mode == DownloadInit)
        discardJob();
    returnToBaseMenu(JobResult::Failed);
}

void LumBot::transferStep(const MenuScreen &screen)
{
    const RobotAnswer answer = m_transfer.step(screen);
    m_job.setProgress(m_transfer.done(), m_transfer.total());
    emitTransferred();
    m_line.sendKeys(answer);
    if (answer.outcome() == RobotAnswer::Failed) {
        failJob(answer.error());
    } else if (answer.outcome() == RobotAnswer::Done) {
        const bool first = m_transfer.nothingMarked();
        m_job.setOutcome(JobResult::Done);
        m_job.showOutcome();
        emit transferCompleted();
        enterIdle();
        // Bring the device back to its base menu and read its identity anew.
        if (!first && m_mode == Idle)
            beginInit();
        else
            finishJob(JobResult::Done, JobResult::NotSaid);
    }
}

void LumBot::climbStep(const MenuScreen &screen)
{
    const RobotAnswer answer = m_return.step(screen, m_line.lastKeyAnswered());
    m_line.sendKeys(answer);
    if (answer.outcome() == RobotAnswer::Done)
        endReturn(JobResult::AtBaseMenu);
    else if (answer.outcome() == RobotAnswer::Failed)
        endReturn(JobResult::MaybeElsewhere);
}

// The check opens sections only; once every setting was looked at, the
// comparison goes to the profile (unless only the serial number was looked
// at) and the device is taken back to its base menu, as after an abort (no
// setting is open, so the ESC only climb).
void LumBot::checkStep(const MenuScreen &screen)
{
    const RobotAnswer answer = m_check.step(screen);
    m_job.setProgress(m_check.done(), m_check.total());
    m_line.sendKeys(answer);
    if (answer.outcome() == RobotAnswer::Failed) {
        failJob(answer.error());
    } else if (answer.outcome() == RobotAnswer::Done) {
        if (!m_job.result().serialNumberOnly)
            m_profile->applyComparison(m_check.records());
        m_job.closeResult();
        emit checkCompleted();
        returnToBaseMenu(JobResult::Done);
    }
}
