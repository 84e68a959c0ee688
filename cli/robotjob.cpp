#include "robotjob.h"

#include "deviceprofile.h"
#include "jobtexts.h"
#include "kelhandler.h"
#include "lumbot.h"
#include "progressline.h"

#include <QtGlobal>

#include <limits>

namespace {

// Eleven ESC at most, each answered within the link's longest wait.
const int returnGraceMs = 30000;

} // namespace

RobotJob::RobotJob(Kind kind, KelHandler *link, DeviceProfile *profile, QObject *parent)
    : QObject(parent), m_kind(kind), m_link(link), m_profile(profile), m_bot(new LumBot(this))
{
    m_bot->setKelHandler(m_link);
    m_bot->setProfile(m_profile);
    // The robot says once when the job is over, with its result complete.
    connect(m_bot, &LumBot::jobFinished, this, &RobotJob::finish);
    connect(m_bot, &LumBot::progressChanged, this, &RobotJob::showProgress);
    m_timeout.setSingleShot(true);
    connect(&m_timeout, &QTimer::timeout, this, &RobotJob::giveUp);
}

void RobotJob::setTimeoutSeconds(int seconds)
{
    m_timeoutSeconds = seconds;
}

void RobotJob::setProgressLine(ProgressLine *progress)
{
    m_progress = progress;
}

bool RobotJob::run()
{
    m_clock.start();
    startRobot();
    if (m_bot->isEnabled() && !m_finished) {
        m_timeout.start(int(
                qMin<qint64>(qint64(m_timeoutSeconds) * 1000, std::numeric_limits<int>::max())));
        m_loop.exec();
    }
    m_timeout.stop();
    m_elapsedMs = m_clock.elapsed();
    if (m_progress)
        m_progress->finish();
    return judgeOutcome();
}

void RobotJob::startRobot()
{
    switch (m_kind) {
    case Identification:
        m_bot->startInit();
        break;
    case ReadOut:
        m_bot->startDownload();
        break;
    case Transfer:
        m_bot->startUpload();
        break;
    case Check:
        m_bot->startCheck(m_checkAll);
        break;
    }
}

// What the robot's result says, in lumctl's words where the robot has none.
bool RobotJob::judgeOutcome()
{
    const JobResult result = m_bot->lastResult();
    if (m_timedOut) {
        m_errorText = QStringLiteral("Zeitüberschreitung: Das Gerät hat den Auftrag nicht "
                                     "innerhalb von %1 s beendet.")
                              .arg(m_timeoutSeconds);
        return false;
    }
    switch (result.outcome) {
    case JobResult::Done:
        // A read-out is done only once an entry came round again: never empty.
        return true;
    case JobResult::Failed:
        m_errorText = result.error;
        return false;
    case JobResult::NoDevice:
        // What the window says below the keypad.
        m_errorText = m_bot->identificationError();
        if (m_errorText.isEmpty())
            m_errorText = QStringLiteral(
                    "Fehler bei Initialisierung!\nDas Gerät konnte nicht identifiziert werden!");
        return false;
    case JobResult::Running:
    case JobResult::Cancelled:
        break;
    }
    // Ended without a result of its own: the read-out was stopped before
    // its walk began, or the line went before the device answered.
    m_errorText = result.job == JobResult::ReadOut
            ? QStringLiteral("Fehler beim Auslesen!\nKeine Einträge vom Gerät erhalten!")
            : QStringLiteral("Fehler: Der Auftrag wurde abgebrochen.");
    return false;
}

void RobotJob::finish()
{
    m_finished = true;
    m_loop.quit();
}

void RobotJob::showProgress()
{
    // Every start sets both counters back to 0, the re-identification after a
    // transfer too; keep what the job itself reached.
    m_itemsDone = qMax(m_itemsDone, m_bot->itemsDone());
    m_itemsTotal = qMax(m_itemsTotal, m_bot->itemsTotal());
    if (!m_progress || (m_itemsDone == 0 && m_itemsTotal == 0))
        return;
    if (m_kind == ReadOut || m_kind == Transfer)
        m_progress->show(JobTexts::progressLine(m_kind == Transfer, m_itemsDone, m_itemsTotal));
    else if (m_kind == Check)
        m_progress->show(JobTexts::checkProgressLine(m_itemsDone, m_itemsTotal));
}

// The robot climbs back to the base menu after the abort; the job ends when
// it is idle, or after a last grace period should the line hang.
void RobotJob::giveUp()
{
    if (m_timedOut) {
        m_loop.quit();
        return;
    }
    m_timedOut = true;
    m_bot->abort();
    if (!m_bot->isEnabled() || m_finished)
        m_loop.quit();
    else
        m_timeout.start(returnGraceMs);
}

// Why the job failed, and where the device was left when the robot knows.
QString RobotJob::errorText() const
{
    const QString whereLeft = m_bot->lastResult().outcomeLine();
    if (m_errorText.isEmpty() || whereLeft.isEmpty())
        return m_errorText;
    return m_errorText + QLatin1Char('\n') + whereLeft;
}
bool RobotJob::timedOut() const
{
    return m_timedOut;
}
QString RobotJob::deviceIdentifier() const
{
    return m_bot->deviceIdentifier();
}
QString RobotJob::deviceWarning() const
{
    return m_bot->deviceWarning();
}
int RobotJob::itemsDone() const
{
    return m_itemsDone;
}
int RobotJob::itemsTotal() const
{
    return m_itemsTotal;
}
qint64 RobotJob::elapsedMs() const
{
    return m_elapsedMs;
}

DeviceOrigin RobotJob::connectedDevice() const
{
    const JobResult result = m_bot->lastResult();
    DeviceOrigin device;
    device.identifier = result.deviceIdentifier.trimmed();
    device.serialNumber = result.deviceSerialNumber;
    return device;
}
