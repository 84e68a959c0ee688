#ifndef SCRIPTEDDEVICE_H
#define SCRIPTEDDEVICE_H

#include <QTimer>

#include "ptypair.h"

class QSocketNotifier;

// A device that follows a script instead of a menu: on the master side of a
// pseudo-terminal it collects the keys the code under test sends, and answers
// every burst of keys (the keys of one robot step) with the next screen of
// its queue. With the queue empty it stays silent. For rules that hinge on
// single screens, where a full menu would only get in the way.
class ScriptedDevice : public QObject
{
    Q_OBJECT

public:
    explicit ScriptedDevice(QObject *parent = nullptr);
    ~ScriptedDevice() override;

    bool isOpen() const { return m_pty.isOpen(); }
    QString slavePath() const { return m_pty.slavePath(); }

    // The bytes that draw a screen: clear, the two lines, and the text cursor
    // left on the given row.
    static QByteArray screen(const QString &line1, const QString &line2, int cursorRow = 0);

    void queue(const QString &line1, const QString &line2, int cursorRow = 0)
    {
        m_queue.append(screen(line1, line2, cursorRow));
    }
    // Output of the device's own, now (not an answer to a key).
    void show(const QString &line1, const QString &line2, int cursorRow = 0)
    {
        m_pty.write(screen(line1, line2, cursorRow));
    }

    // All keys received, and the keys of each answered burst.
    QByteArray keys() const { return m_bursts.join() + m_pending; }
    const QList<QByteArray> &bursts() const { return m_bursts; }

signals:
    void burstReceived();

private:
    void answerBurst();

    PtyPair m_pty;
    int m_slave = -1;
    QSocketNotifier *m_notifier = nullptr;
    QTimer m_quietGap;
    QByteArray m_pending;
    QList<QByteArray> m_queue;
    QList<QByteArray> m_bursts;
};

#endif // SCRIPTEDDEVICE_H
