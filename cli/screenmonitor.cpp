#include "screenmonitor.h"

#include "console.h"
#include "devicekeys.h"
#include "kelhandler.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSocketNotifier>
#include <QStringList>
#include <QTimer>

#include <limits>

#include <cerrno>
#include <unistd.h>

namespace {

const int maximumLineLength = 1024;

} // namespace

ScreenMonitor::ScreenMonitor(KelHandler *link, QObject *parent) : QObject(parent), m_link(link)
{
    connect(m_link, &KelHandler::displayCompleted, this, &ScreenMonitor::printScreen);
    connect(m_link, &KelHandler::terminalIsReadyChanged, &m_loop, [this] {
        if (!m_link->terminalIsReady())
            m_loop.exit(LineLost);
    });
}

void ScreenMonitor::setJson(bool json)
{
    m_json = json;
}

void ScreenMonitor::setScreenLimit(int screens)
{
    m_screenLimit = screens;
}

void ScreenMonitor::setTimeoutSeconds(int seconds)
{
    m_timeoutSeconds = seconds;
}

int ScreenMonitor::screensShown() const
{
    return m_screensShown;
}

int ScreenMonitor::run()
{
    m_stdinNotifier = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
    connect(m_stdinNotifier, &QSocketNotifier::activated, this, &ScreenMonitor::readKeys);
    QTimer timeout;
    timeout.setSingleShot(true);
    connect(&timeout, &QTimer::timeout, &m_loop, [this] { m_loop.exit(TimedOut); });
    if (m_timeoutSeconds > 0)
        timeout.start(int(
                qMin<qint64>(qint64(m_timeoutSeconds) * 1000, std::numeric_limits<int>::max())));
    return m_loop.exec();
}

QString ScreenMonitor::framedScreen(const QString &text, const QString &overlay)
{
    // Each visible line between bars so that trailing blanks show. A "+"
    // after the right bar says the line goes on past the 16 visible columns;
    // a "^" on an extra line below points at the cursor in the second line.
    const QStringList lines = text.split(QLatin1Char('\n'));
    const QStringList marks = overlay.split(QLatin1Char('\n'));
    QStringList out;
    QString cursorLine;
    for (int row = 0; row < lines.size(); ++row) {
        const QString mark = row < marks.size() ? marks.at(row) : QString();
        QString framed = QLatin1Char('|') + lines.at(row) + QLatin1Char('|');
        if (mark.contains(QLatin1Char('+')))
            framed += QLatin1Char('+');
        out << framed;
        const int cursorColumn = mark.indexOf(QLatin1Char('_'));
        if (cursorColumn >= 0)
            cursorLine = QString(cursorColumn + 1, QLatin1Char(' ')) + QLatin1Char('^');
    }
    if (!cursorLine.isEmpty())
        out << cursorLine;
    return out.join(QLatin1Char('\n'));
}

void ScreenMonitor::printScreen()
{
    if (m_json) {
        QJsonObject screen;
        screen.insert(QStringLiteral("text"), m_link->displayText());
        screen.insert(QStringLiteral("overlay"), m_link->displayCursorOverlay());
        screen.insert(QStringLiteral("lines"), m_link->displayLines());
        screen.insert(QStringLiteral("cursorRow"), int(m_link->cursorRow()));
        Console::outRaw(QJsonDocument(screen).toJson(QJsonDocument::Compact) + '\n');
    } else {
        Console::out(framedScreen(m_link->displayText(), m_link->displayCursorOverlay())
                     + QLatin1Char('\n'));
    }
    ++m_screensShown;
    m_awaitingScreen = false;
    if (m_screenLimit > 0 && m_screensShown >= m_screenLimit) {
        m_loop.exit(Ended);
        return;
    }
    sendNextKey();
}

void ScreenMonitor::readKeys()
{
    char buffer[256];
    const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (got < 0 && (errno == EINTR || errno == EAGAIN))
        return;
    if (got <= 0) {
        // End of input: no more keys, but the screens keep coming.
        m_stdinNotifier->setEnabled(false);
        if (!m_pendingInput.isEmpty())
            queueKeyLine(QString::fromLocal8Bit(m_pendingInput));
        m_pendingInput.clear();
        return;
    }
    m_pendingInput.append(buffer, int(got));
    int end;
    while ((end = m_pendingInput.indexOf('\n')) >= 0) {
        const QByteArray line = m_pendingInput.left(end);
        m_pendingInput.remove(0, end + 1);
        queueKeyLine(QString::fromLocal8Bit(line));
    }
    // No key name is this long: input without line ends is not kept for ever.
    if (m_pendingInput.size() > maximumLineLength) {
        Console::err(QStringLiteral("Eingabezeile zu lang, verworfen"));
        m_pendingInput.clear();
    }
}

void ScreenMonitor::queueKeyLine(const QString &line)
{
    if (line.trimmed().isEmpty())
        return;
    const char key = DeviceKeys::fromName(line);
    if (key == 0) {
        Console::err(QStringLiteral("Unbekannte Taste \"%1\" (erlaubt: 0-9 * # + - OK ESC)")
                             .arg(line.trimmed()));
        return;
    }
    m_pendingKeys.enqueue(key);
    sendNextKey();
}

void ScreenMonitor::sendNextKey()
{
    // One key per screen, as a hand on the keypad would: keys sent faster
    // than the device answers would share one completed screen, and a
    // script piping several keys would never see the screens in between.
    // An unanswered key still completes a screen after the link's wait.
    if (m_awaitingScreen || m_pendingKeys.isEmpty())
        return;
    m_awaitingScreen = true;
    m_link->sendChar(m_pendingKeys.dequeue());
}
