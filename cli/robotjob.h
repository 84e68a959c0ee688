#ifndef ROBOTJOB_H
#define ROBOTJOB_H

#include <QElapsedTimer>
#include <QEventLoop>
#include <QObject>
#include <QString>
#include <QTimer>

#include "deviceorigin.h"

class DeviceProfile;
class KelHandler;
class LumBot;
class ProgressLine;

// Runs one job of the menu robot (identify, read out, transfer) to its end
// and tells how it went. The robot has no time-out of its own, so a silent
// device would keep it waiting for ever; the job aborts it after a limit.
class RobotJob : public QObject
{
    Q_OBJECT

public:
    enum Kind { Identification, ReadOut, Transfer, Check };

    RobotJob(Kind kind, KelHandler *link, DeviceProfile *profile, QObject *parent = nullptr);

    void setTimeoutSeconds(int seconds);
    void setProgressLine(ProgressLine *progress);
    // A check visits every editable setting, not only the marked ones.
    void setCheckAll(bool all) { m_checkAll = all; }

    // Runs the job in a local event loop; true when it completed.
    bool run();

    // The robot doing the job, for those who follow its course.
    LumBot *bot() const { return m_bot; }

    QString errorText() const;
    bool timedOut() const;
    QString deviceIdentifier() const;
    QString deviceWarning() const;
    // The device as a check found it: identifier and, when the file has the
    // serial number's setting, the device's serial number.
    DeviceOrigin connectedDevice() const;
    int itemsDone() const;
    int itemsTotal() const;
    qint64 elapsedMs() const;

private slots:
    void finish();
    void showProgress();
    void giveUp();

private:
    void startRobot();
    bool judgeOutcome();

    Kind m_kind;
    KelHandler *m_link = nullptr;
    DeviceProfile *m_profile = nullptr;
    LumBot *m_bot = nullptr;
    ProgressLine *m_progress = nullptr;
    QEventLoop m_loop;
    QTimer m_timeout;
    QElapsedTimer m_clock;
    int m_timeoutSeconds = 600;
    bool m_checkAll = false;
    bool m_finished = false;
    bool m_timedOut = false;
    QString m_errorText;
    int m_itemsDone = 0;
    int m_itemsTotal = 0;
    qint64 m_elapsedMs = 0;
};

#endif // ROBOTJOB_H
