// The robot's steps: each completed screen is read and handed to the job
// that runs; the job's answer is sent, and its end is turned into the
// robot's state, signals and result. (The robot's control and properties
// are in lumbot.cpp.)

#include "lumbot.h"

#include "deviceprofile.h"
#include "jobtexts.h"
#include "logcategories.h"
#include "menuscreen.h"

#include <QDebug>

using namespace JobTexts;

void LumBot::readDisplay()
{
    if (m_mode == Idle || !m_link)
        return;

    const MenuScreen screen =
            MenuScreen::read(m_link->displayLines(), m_link->cursorRow(), walkLevel());
    screen.log();

    if (m_takeIdentifier) {
        m_deviceIdentifier = screen.firstLine;
        qCDebug(lumRobot) << "m_deviceIdentifier" << m_deviceIdentifier;
        m_takeIdentifier = false;
        emit deviceIdentifierChanged();
        if (m_mode == Init) {
            endIdentification();
            enterIdle();
            finishJob(m_identificationError.isEmpty() ? JobResult::Done : JobResult::NoDevice,
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
        m_deviceWarning = programmingMode ? warningProgrammingMode : QString();
        m_takeIdentifier = true;
        if (m_mode == DownloadInit)
            m_mode = Download;
        else if (m_mode == UploadInit)
            m_mode = Upload;
        else if (m_mode == CheckInit)
            m_mode = Check;
    }
    sendKeys(answer);
}

// The search has sent all the ESC it may: a climb would send as many again.
void LumBot::failBaseMenuSearch()
{
    if (m_mode != Init) {
        reportError(errorBaseMenu);
        m_result.outcome = JobResult::Failed;
        m_result.error = errorBaseMenu;
    } else {
        setIdentificationError(errorNoDevice);
        if (m_result.outcome == JobResult::Running)
            m_result.outcome = JobResult::NoDevice;
    }
    discardJob();
    enterIdle();
    finishJob(m_result.outcome, JobResult::MaybeElsewhere);
}

void LumBot::readOutStep(const MenuScreen &screen)
{
    const RobotAnswer answer = m_readOut.step(screen, m_link->lastKeyAnswered());
    setProgress(m_readOut.recorded(), 0);
    sendKeys(answer);
    if (answer.outcome() == RobotAnswer::Failed)
        failReadOut(answer.error());
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
    setProgress(entries, 0);
    m_result.entriesRead = entries;
    // The file saved from it knows the device it came from.
    m_profile->setOrigin({ m_deviceIdentifier.trimmed(), m_profile->serialNumberSetting(), false });
    emit readOutCompleted();
    finishJob(JobResult::Done, JobResult::NotSaid);
}

void LumBot::failReadOut(const QString &text)
{
    reportError(text);
    if (m_mode == Idle || m_mode == Return)
        return;
    m_result.error = text;
    discardJob();
    returnToBaseMenu(JobResult::Failed);
}

void LumBot::transferStep(const MenuScreen &screen)
{
    const RobotAnswer answer = m_transfer.step(screen);
    setProgress(m_transfer.done(), m_transfer.total());
    emitTransferred();
    sendKeys(answer);
    if (answer.outcome() == RobotAnswer::Failed) {
        failTransfer(answer.error());
    } else if (answer.outcome() == RobotAnswer::Done) {
        const bool first = m_transfer.nothingMarked();
        m_result.outcome = JobResult::Done;
        closeResult();
        setJobOutcome(m_result.outcomeLine());
        emit transferCompleted();
        enterIdle();
        // Bring the device back to its base menu and read its identity anew.
        if (!first && m_mode == Idle)
            beginInit();
        else
            finishJob(JobResult::Done, JobResult::NotSaid);
    }
}

// One settingTransferred() for each setting the transfer has newly worked on.
void LumBot::emitTransferred()
{
    while (m_transferredAnnounced < m_transfer.transferred().size()) {
        ++m_transferredAnnounced;
        emit settingTransferred();
    }
}

void LumBot::failTransfer(const QString &text)
{
    reportError(text);
    if (m_mode == Idle || m_mode == Return)
        return;
    m_result.error = text;
    // Not an abort: the identification and the paths stay as they are.
    returnToBaseMenu(JobResult::Failed);
}

void LumBot::climbStep(const MenuScreen &screen)
{
    const RobotAnswer answer = m_return.step(screen, m_link->lastKeyAnswered());
    sendKeys(answer);
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
    setProgress(m_check.done(), m_check.total());
    sendKeys(answer);
    if (answer.outcome() == RobotAnswer::Failed) {
        failCheck(answer.error());
    } else if (answer.outcome() == RobotAnswer::Done) {
        if (!m_result.serialNumberOnly)
            m_profile->applyComparison(m_check.records());
        closeResult();
        emit checkCompleted();
        returnToBaseMenu(JobResult::Done);
    }
}

void LumBot::failCheck(const QString &text)
{
    reportError(text);
    if (m_mode == Idle || m_mode == Return)
        return;
    m_result.error = text;
    returnToBaseMenu(JobResult::Failed);
}
