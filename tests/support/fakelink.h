#ifndef FAKELINK_H
#define FAKELINK_H

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include "devicelink.h"

// A line to a device that exists only in the test: it hands the robot the
// screens it is given and records the robot's keys, synchronously. Every
// completed screen is one step of the robot; the keys sent while the robot
// handles it are that step's keys (an empty step: no key followed).
//
// Screens are written "line 1|line 2|cursor row" (row 0 when left out). A
// script is a queue of screens, separated by ';', that answers the robot's
// keys one step at a time, as a device answers a key with its next screen.
// When the queue is empty the device falls silent: a step that sent keys is
// followed by the old screen once more, marked unanswered, as the terminal
// link completes it after its extra wait.
class FakeLink : public DeviceLink
{
    Q_OBJECT

public:
    explicit FakeLink(QObject *parent = nullptr);

    void sendChar(char key) override;
    void sendCharTimer(char key, int time) override;
    QString displayLines() const override;
    quint8 cursorRow() const override;
    bool terminalIsReady() const override { return m_ready; }
    bool lastKeyAnswered() const override { return m_answered; }
    QString lastErrorString() const override { return m_error; }

    // Completes one screen now: one step of the robot. `answered` says
    // whether it answers the last key.
    void show(const QString &screen, bool answered = true);
    // Queues the screens of `script` (separated by ';').
    void script(const QString &script);
    // Shows queued screens, each in answer to the keys of the step before,
    // until the robot sends no key, has made `maxSteps` steps (the keys sent
    // before the first screen count as one), or the silence after the queue
    // has been answered by a step without a key.
    void run(int maxSteps = 500);
    int queued() const { return m_queue.size(); }

    // The line is lost (with the link's reason) or opened again.
    void setReady(bool ready, const QString &reason = QString());

    // The keys of every step, ESC written as E and OK as K, the steps
    // separated by blanks; empty steps leave out, or written as "-".
    QString keys(bool showEmptySteps = false) const;
    // The keys sent with a longer wait, each as key@ms, in order.
    QString timedKeys() const;
    int steps() const { return m_steps.size(); }
    QByteArray lastStep() const { return m_steps.isEmpty() ? QByteArray() : m_steps.last(); }

private:
    void record(char key);

    // Writes a screen as the robot reads it (two lines of 32 cells).
    static QString displayLinesOf(const QString &screen);

    QStringList m_lines{ QString(), QString() };
    int m_cursorRow = 0;
    bool m_ready = true;
    bool m_answered = true;
    QString m_error;
    QStringList m_queue;
    // The keys of each step; keys sent between screens (a start, an abort)
    // make a step of their own.
    QList<QByteArray> m_steps;
    bool m_inStep = false;
    bool m_betweenScreens = false;
    QStringList m_timed;
};

#endif // FAKELINK_H
