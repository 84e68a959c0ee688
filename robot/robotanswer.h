#ifndef ROBOTANSWER_H
#define ROBOTANSWER_H

#include <QString>
#include <QVector>

// What one job of the robot answers to one completed screen: the keys to
// send, in order, and whether the job goes on, is done or has failed.
class RobotAnswer
{
public:
    enum Outcome { Continue, Done, Failed };

    struct Key
    {
        char key = 0;
        int waitMs = 0; // 0: the link's usual wait for the answer
    };

    void press(char key) { m_keys.append({ key, 0 }); }
    // A key whose answer the device takes longer to draw.
    void pressSlow(char key, int waitMs) { m_keys.append({ key, waitMs }); }
    // Each character of a value as its Latin-1 code (0 outside Latin-1).
    void type(const QString &text)
    {
        for (const QChar c : text)
            press(c.toLatin1());
    }
    void finish() { m_outcome = Done; }
    void fail(const QString &error)
    {
        m_outcome = Failed;
        m_error = error;
    }

    const QVector<Key> &keys() const { return m_keys; }
    Outcome outcome() const { return m_outcome; }
    QString error() const { return m_error; }

private:
    QVector<Key> m_keys;
    Outcome m_outcome = Continue;
    QString m_error;
};

#endif // ROBOTANSWER_H
