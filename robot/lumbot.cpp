#include "lumbot.h"

#include "devicekeys.h"
#include "deviceprofile.h"
#include "kelhandler.h"
#include "jobtexts.h"
#include "menuscreen.h"

#include <QDebug>
#include <QTime>

using namespace JobTexts;

namespace {

QString clockTime()
{
    return QTime::currentTime().toString(QStringLiteral("hh:mm"));
}

QString joinedOutcome(const QString &ending, const QString &whereLeft)
{
    return ending.isEmpty() ? whereLeft : ending + QLatin1Char(' ') + whereLeft;
}

} // namespace

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

QList<LumBot::TransferredSetting> LumBot::transferredSettings() const
{
    return m_transfer.transferred();
}

// ---------------------------------------------------------------- control

void LumBot::startInit()
{
    if (m_mode != Idle)
        return;
    if (!m_link) {
        qDebug() << "LUMBOT start refused: no terminal link set";
        return;
    }
    clearOutcome();
    beginInit();
}

// The base-menu search that begins every job; also run by the transfer at
// its end to bring the device back and read its identity anew, which keeps
// the transfer's outcome.
void LumBot::beginInit()
{
    qDebug() << "LUMBOT start init";
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
    qDebug() << "LUMBOT start download";
    m_profile->resetProfile();
    startInitFor(DownloadInit);
}

void LumBot::startUpload()
{
    if (!canStartProfileJob())
        return;
    qDebug() << "LUMBOT start upload";
    m_transfer.reset(m_profile);
    m_transferredAnnounced = 0;
    m_profile->gotoRoot();
    startInitFor(UploadInit);
    if (m_mode == UploadInit)
        emit transferStarted();
}

// A read-out or a transfer needs the tree as well as the link; a job that is
// already running is never replaced.
bool LumBot::canStartProfileJob() const
{
    if (m_mode != Idle)
        return false;
    if (!m_link || !m_profile) {
        qDebug() << "LUMBOT start refused: terminal link or profile not set";
        return false;
    }
    return true;
}

// Every job begins with the base-menu search; the mode says what follows it.
void LumBot::startInitFor(int mode)
{
    startInit();
    if (m_mode == Init)
        m_mode = mode;
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
    const int mode = m_mode;
    discardJob();
    if (mode == DownloadInit || mode == Download)
        returnToBaseMenu(outcomeReadOutAborted);
    else if (mode == UploadInit || mode == Upload)
        returnToBaseMenu(outcomeTransferAborted);
    else if (m_jobOutcome.isEmpty())
        returnToBaseMenu(outcomeIdentificationAborted);
    else // the identification that follows a transfer: its outcome stands
        returnToBaseMenu(m_jobOutcome);
}

// Ends the job without a key: after an error, or when the line is lost.
void LumBot::stopJob()
{
    if (m_mode == Idle)
        return;
    discardJob();
    m_mode = Idle;
    emit enabledChanged();
}

// What an aborted job leaves behind: a partial read-out is discarded, the
// device no longer counts as identified.
void LumBot::discardJob()
{
    qDebug() << "LUMBOT abort";
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
void LumBot::returnToBaseMenu(const QString &ending)
{
    m_jobEnding = ending;
    if (!linkWorks()) {
        endReturn(deviceLineLost);
        return;
    }
    sendKeys(m_return.start());
    const bool wasIdle = m_mode == Idle;
    m_mode = Return;
    setJobOutcome(joinedOutcome(m_jobEnding, deviceReturning));
    if (wasIdle)
        emit enabledChanged();
}

void LumBot::endReturn(const QString &whereLeft)
{
    const bool wasBusy = m_mode != Idle;
    m_mode = Idle;
    setJobOutcome(joinedOutcome(m_jobEnding, whereLeft));
    if (wasBusy)
        emit enabledChanged();
}

void LumBot::readDisplay()
{
    if (m_mode == Idle || !m_link)
        return;

    const MenuScreen screen =
            MenuScreen::read(m_link->displayLines(), m_link->cursorRow(), walkLevel());
    screen.log();

    if (m_takeIdentifier) {
        m_deviceIdentifier = screen.firstLine;
        qDebug() << "m_deviceIdentifier" << m_deviceIdentifier;
        m_takeIdentifier = false;
        emit deviceIdentifierChanged();
        if (m_mode == Init) {
            endIdentification();
            enterIdle();
            return;
        }
    }

    switch (m_mode) {
    case Init:
    case DownloadInit:
    case UploadInit:
        searchBaseMenu(screen);
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
    return 0;
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
    qDebug() << "LUMBOT ERROR:" << text;
    emit transmissionError();
}

void LumBot::onTerminalReadyChanged()
{
    if (!m_link || m_link->terminalIsReady())
        return;
    switch (m_mode) {
    case Init:
        setIdentificationError(errorNoDevice);
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
    case Return:
        endReturn(deviceLineLost);
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
bool LumBot::hasProfileFor(int mode)
{
    if (m_profile)
        return true;
    qDebug() << "LUMBOT no profile set in mode" << mode << "- stopping";
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

// ------------------------------------------------------------- the steps

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
    }
    sendKeys(answer);
}

// The search has sent all the ESC it may: a climb would send as many again.
void LumBot::failBaseMenuSearch()
{
    const int mode = m_mode;
    if (mode != Init)
        reportError(errorBaseMenu);
    else
        setIdentificationError(errorNoDevice);
    stopJob();
    if (mode == DownloadInit)
        setJobOutcome(joinedOutcome(outcomeReadOutFailed, deviceMaybeElsewhere));
    else if (mode == UploadInit)
        setJobOutcome(joinedOutcome(outcomeTransferFailed, deviceMaybeElsewhere));
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
    setJobOutcome(outcomeReadOut.arg(entries).arg(clockTime()));
    emit readOutCompleted();
}

void LumBot::failReadOut(const QString &text)
{
    reportError(text);
    if (m_mode == Idle || m_mode == Return)
        return;
    discardJob();
    returnToBaseMenu(outcomeReadOutFailed);
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
        setJobOutcome(first ? outcomeNothingMarked
                            : outcomeTransfer.arg(m_transfer.done()).arg(clockTime()));
        emit transferCompleted();
        enterIdle();
        // Bring the device back to its base menu and read its identity anew.
        if (!first && m_mode == Idle)
            beginInit();
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
    // Not an abort: the identification and the paths stay as they are.
    returnToBaseMenu(outcomeTransferFailed);
}

void LumBot::climbStep(const MenuScreen &screen)
{
    const RobotAnswer answer = m_return.step(screen, m_link->lastKeyAnswered());
    sendKeys(answer);
    if (answer.outcome() == RobotAnswer::Done)
        endReturn(deviceAtBaseMenu);
    else if (answer.outcome() == RobotAnswer::Failed)
        endReturn(deviceMaybeElsewhere);
}
