#ifndef SCREENMONITOR_H
#define SCREENMONITOR_H

#include <QByteArray>
#include <QEventLoop>
#include <QObject>
#include <QQueue>
#include <QString>

class KelHandler;
class QSocketNotifier;

// The terminal panel for a shell: prints every completed screen of the
// device and sends the keys it reads from standard input, one per line.
class ScreenMonitor : public QObject
{
    Q_OBJECT

public:
    explicit ScreenMonitor(KelHandler *link, QObject *parent = nullptr);

    void setJson(bool json);
    // Ends the monitor after this many completed screens (0: never).
    void setScreenLimit(int screens);
    // Ends the monitor after this many seconds (0: never).
    void setTimeoutSeconds(int seconds);

    enum Outcome { Ended = 0, LineLost = 1, TimedOut = 2 };
    // Runs until the screen limit, the time limit or the loss of the line.
    int run();
    int screensShown() const;

    // The screen as framed text, with the cursor and overlong-line marks.
    static QString framedScreen(const QString &text, const QString &overlay);

private slots:
    void printScreen();
    void readKeys();

private:
    void queueKeyLine(const QString &line);
    void sendNextKey();

    KelHandler *m_link = nullptr;
    QSocketNotifier *m_stdinNotifier = nullptr;
    QEventLoop m_loop;
    QByteArray m_pendingInput;
    QQueue<char> m_pendingKeys;
    bool m_awaitingScreen = false;
    bool m_json = false;
    int m_screenLimit = 0;
    int m_screensShown = 0;
    int m_timeoutSeconds = 0;
};

#endif // SCREENMONITOR_H
