#include "jobtracker.h"

#include "checkwalk.h"
#include "deviceprofile.h"
#include "jobtexts.h"
#include "logcategories.h"
#include "transferwalk.h"

#include <QDebug>
#include <QTime>

using namespace JobTexts;

JobTracker::JobTracker(const TransferWalk &transfer, const CheckWalk &check, QObject *parent)
    : QObject(parent), m_transfer(transfer), m_check(check)
{
}

QString JobTracker::progressText() const
{
    // A check writes nothing: its count is of settings looked at.
    if (m_result.job == JobResult::Check && m_result.serialNumberOnly)
        return JobTexts::serialCheckProgress;
    if (m_result.job == JobResult::Check && m_itemsTotal > 0)
        return JobTexts::checkProgress(m_itemsDone, m_itemsTotal);
    return JobTexts::progress(m_itemsDone, m_itemsTotal);
}

void JobTracker::begin(JobResult::Job job)
{
    setJobOutcome(QString());
    setIdentificationError(QString());
    m_result = JobResult();
    m_result.job = job;
    m_jobOpen = true;
    m_transferredAnnounced = 0;
}

void JobTracker::setJob(JobResult::Job job)
{
    m_result.job = job;
}

// ----------------------------------------------------------- the device

void JobTracker::forgetDevice()
{
    m_takeIdentifier = false;
    m_deviceIdentifier.clear();
    m_deviceWarning.clear();
    emit deviceIdentifierChanged();
}

void JobTracker::awaitIdentifier(const QString &warning)
{
    m_deviceWarning = warning;
    m_takeIdentifier = true;
}

void JobTracker::takeIdentifier(const QString &firstLine)
{
    m_deviceIdentifier = firstLine;
    qCDebug(lumRobot) << "m_deviceIdentifier" << m_deviceIdentifier;
    m_takeIdentifier = false;
    emit deviceIdentifierChanged();
}

void JobTracker::endIdentification()
{
    setIdentificationError(m_deviceIdentifier.trimmed().isEmpty() ? errorNoDevice : QString());
}

// ----------------------------------------------------------- the job

void JobTracker::setProgress(int done, int total)
{
    if (done == m_itemsDone && total == m_itemsTotal)
        return;
    m_itemsDone = done;
    m_itemsTotal = total;
    emit progressChanged();
}

void JobTracker::announceTransferred(int count)
{
    while (m_transferredAnnounced < count) {
        ++m_transferredAnnounced;
        emit settingTransferred();
    }
}

void JobTracker::reportError(const QString &text)
{
    m_lastError = text;
    qCDebug(lumRobot) << "LUMBOT ERROR:" << text;
    emit transmissionError();
}

void JobTracker::fail(const QString &text)
{
    reportError(text);
    m_result.outcome = JobResult::Failed;
    m_result.error = text;
}

void JobTracker::setError(const QString &text)
{
    m_result.error = text;
}

void JobTracker::noDevice()
{
    setIdentificationError(errorNoDevice);
    settle(JobResult::NoDevice);
}

void JobTracker::setOutcome(JobResult::Outcome outcome)
{
    m_result.outcome = outcome;
}

void JobTracker::settle(JobResult::Outcome outcome)
{
    if (m_result.outcome == JobResult::Running)
        m_result.outcome = outcome;
}

void JobTracker::setDeviceLeft(JobResult::DeviceLeft deviceLeft)
{
    m_result.deviceLeft = deviceLeft;
}

void JobTracker::setEntriesRead(int entries)
{
    m_result.entriesRead = entries;
}

void JobTracker::closeResult()
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

void JobTracker::showOutcome()
{
    closeResult();
    setJobOutcome(m_result.outcomeLine());
}

void JobTracker::finishJob(JobResult::Outcome outcome, JobResult::DeviceLeft deviceLeft)
{
    if (!m_jobOpen)
        return;
    m_jobOpen = false;
    settle(outcome);
    m_result.deviceLeft = deviceLeft;
    showOutcome();
    emit jobFinished();
}

void JobTracker::setIdentificationError(const QString &text)
{
    if (text == m_identificationError)
        return;
    m_identificationError = text;
    emit identificationErrorChanged();
}

void JobTracker::setJobOutcome(const QString &text)
{
    if (text == m_jobOutcome)
        return;
    m_jobOutcome = text;
    emit jobOutcomeChanged();
}
