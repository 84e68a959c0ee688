#ifndef PTYPAIR_H
#define PTYPAIR_H

#include <QByteArray>
#include <QString>

// A raw pseudo-terminal pair for tests that play the device byte by byte:
// the code under test opens slavePath() as its serial port, the test writes
// the device's output to the master side and reads the keys that arrive there.
class PtyPair
{
public:
    PtyPair();
    ~PtyPair() { closeMaster(); }
    Q_DISABLE_COPY(PtyPair)

    bool isOpen() const { return m_master >= 0; }
    QString slavePath() const { return m_slavePath; }
    // For a QSocketNotifier on the master side; -1 once it is closed.
    int masterFd() const { return m_master; }

    // Writes everything (the master side blocks only when the slave's input
    // queue is full, which never happens with the few bytes of a screen).
    bool write(const QByteArray &bytes);
    // Whatever the slave side has sent so far, without blocking.
    QByteArray readAvailable();
    // Hangs the line up: the slave side then sees an I/O error.
    void closeMaster();

private:
    int m_master = -1;
    QString m_slavePath;
};

#endif // PTYPAIR_H
