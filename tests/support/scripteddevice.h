#ifndef SCRIPTEDDEVICE_H
#define SCRIPTEDDEVICE_H

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
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
    struct Burst
    {
        QByteArray keys;
        qint64 receivedMs = 0; // since the device was created
    };

    explicit ScriptedDevice(QObject *parent = nullptr);
    ~ScriptedDevice() override;

    bool isOpen() const;
    QString slavePath() const;

    // The bytes that draw a screen: clear, the two lines, and the text cursor
    // left on the given row.
    static QByteArray screen(const QString &line1, const QString &line2, int cursorRow = 0);

    void queue(const QByteArray &screenBytes);
    void queue(const QString &line1, const QString &line2, int cursorRow = 0);
    int queued() const { return m_queue.size(); }

    // Output of the device's own, now (not an answer to a key).
    void show(const QByteArray &screenBytes);

    QByteArray keys() const;
    const QList<Burst> &bursts() const { return m_bursts; }

    // Hangs the line up, as an unplugged adapter does.
    void hangUp();

signals:
    void burstReceived();

private:
    void readKeys();
    void answerBurst();

    PtyPair m_pty;
    int m_slave = -1;
    QSocketNotifier *m_notifier = nullptr;
    QTimer m_quietGap;
    QElapsedTimer m_clock;
    QByteArray m_pending;
    QList<QByteArray> m_queue;
    QList<Burst> m_bursts;
};

#endif // SCRIPTEDDEVICE_H
