#ifndef JOBTRACKER_H
#define JOBTRACKER_H

#include <QObject>
#include <QString>

#include "jobresult.h"

class CheckWalk;
class TransferWalk;

// The robot's account of the device and of its jobs: the identifier and
// warning the last base menu gave, the result of the job that runs as it
// fills (outcome, error, counts, where the device was left, the transfer's
// and the check's records), the progress counters, the outcome line, why an
// identification found no device and the last error message, each with its
// signal. The robot says what happens and when; the tracker keeps the
// account and says once per job that the job is over. LumBot passes the
// signals on under the same names.
class JobTracker : public QObject
{
    Q_OBJECT

public:
    // The walks whose records go into a transfer's and a check's result.
    JobTracker(const TransferWalk &transfer, const CheckWalk &check, QObject *parent = nullptr);

    QString deviceIdentifier() const { return m_deviceIdentifier; }
    QString deviceWarning() const { return m_deviceWarning; }
    const JobResult &result() const { return m_result; }
    int itemsDone() const { return m_itemsDone; }
    int itemsTotal() const { return m_itemsTotal; }
    QString progressText() const;
    QString jobOutcome() const { return m_jobOutcome; }
    QString identificationError() const { return m_identificationError; }
    QString lastError() const { return m_lastError; }

    // A job begins: a fresh result, and the last job's outcome line and
    // identification error are cleared. The last error message stays.
    void begin(JobResult::Job job);
    // The identification that begins every job turns out to begin `job`.
    void setJob(JobResult::Job job);

    // The device no longer counts as identified.
    void forgetDevice();
    // The base menu was found: the next screen's first line is the device's
    // identifier; `warning` is what the base menu showed the technician.
    void awaitIdentifier(const QString &warning);
    bool identifierDue() const { return m_takeIdentifier; }
    void takeIdentifier(const QString &firstLine);
    // An identification that ends without an identifier found no device:
    // the link completed its screens without an answer (or only blank ones).
    void endIdentification();

    void setProgress(int done, int total);
    // One settingTransferred() for each setting the transfer has newly
    // worked on; `count` is how many it has worked on so far.
    void announceTransferred(int count);

    // An error that ends a job: its message for lastErrorString(), and
    // transmissionError().
    void reportError(const QString &text);
    // The job failed with `text`: reported, and in its result.
    void fail(const QString &text);
    // The message the job ended with, in its result.
    void setError(const QString &text);
    // No device answered the identification.
    void noDevice();
    void setOutcome(JobResult::Outcome outcome);
    // The running check looks at the serial number alone.
    void setSerialNumberOnly() { m_result.serialNumberOnly = true; }
    // The outcome, unless one was said already (a transfer done stays done
    // while the device is identified anew).
    void settle(JobResult::Outcome outcome);
    void setDeviceLeft(JobResult::DeviceLeft deviceLeft);
    void setEntriesRead(int entries);
    // Completes the result as far as it is known: the time, the device's
    // identifier and the records of a transfer or check.
    void closeResult();
    // The result closed, and its outcome line shown.
    void showOutcome();
    // The job is over and everything about it is known: its result is
    // completed and jobFinished() emitted, once per job.
    void finishJob(JobResult::Outcome outcome, JobResult::DeviceLeft deviceLeft);

signals:
    void deviceIdentifierChanged();
    void progressChanged();
    void jobOutcomeChanged();
    void identificationErrorChanged();
    void transmissionError();
    void settingTransferred();
    void jobFinished();

private:
    void setIdentificationError(const QString &text);
    void setJobOutcome(const QString &text);

    const TransferWalk &m_transfer;
    const CheckWalk &m_check;
    bool m_takeIdentifier = false;
    QString m_deviceIdentifier;
    QString m_deviceWarning;
    JobResult m_result;
    bool m_jobOpen = false; // jobFinished() not yet emitted for the job in m_result
    int m_itemsDone = 0;
    int m_itemsTotal = 0;
    int m_transferredAnnounced = 0;
    QString m_jobOutcome;
    QString m_identificationError;
    QString m_lastError;
};

#endif // JOBTRACKER_H
