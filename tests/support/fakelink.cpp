#include "fakelink.h"

namespace {

QString keyText(QByteArray keys)
{
    return QString::fromLatin1(keys.replace('\x1b', 'E').replace('\r', 'K'));
}

} // namespace

FakeLink::FakeLink(QObject *parent) : DeviceLink(parent) { }

void FakeLink::record(char key)
{
    if (!m_inStep && !m_betweenScreens) {
        m_steps.append(QByteArray());
        m_betweenScreens = true;
    }
    m_steps.last().append(key);
}

void FakeLink::sendChar(char key)
{
    if (m_ready)
        record(key);
}

void FakeLink::sendCharTimer(char key, int time)
{
    if (!m_ready)
        return;
    record(key);
    m_timed.append(keyText(QByteArray(1, key)) + QLatin1Char('@') + QString::number(time));
}

QString FakeLink::displayLinesOf(const QString &screen)
{
    const QStringList parts = screen.split(QLatin1Char('|'));
    return parts.value(0).leftJustified(32) + QLatin1Char('\n') + parts.value(1).leftJustified(32);
}

QString FakeLink::displayLines() const
{
    return m_lines.at(0).leftJustified(32) + QLatin1Char('\n') + m_lines.at(1).leftJustified(32);
}

quint8 FakeLink::cursorRow() const
{
    return quint8(m_cursorRow);
}

void FakeLink::show(const QString &screen, bool answered)
{
    const QStringList parts = screen.split(QLatin1Char('|'));
    m_lines = QStringList{ parts.value(0), parts.value(1) };
    m_cursorRow = parts.value(2).toInt();
    m_answered = answered;
    m_steps.append(QByteArray());
    m_betweenScreens = false;
    m_inStep = true;
    emit displayCompleted();
    m_inStep = false;
}

void FakeLink::script(const QString &script)
{
    m_queue += script.split(QLatin1Char(';'));
}

void FakeLink::run(int maxSteps)
{
    while (steps() < maxSteps && !lastStep().isEmpty()) {
        if (!m_queue.isEmpty()) {
            show(m_queue.takeFirst());
            continue;
        }
        show(m_lines.join(QLatin1Char('|')) + QLatin1Char('|') + QString::number(m_cursorRow),
             false);
    }
}

void FakeLink::setReady(bool ready, const QString &reason)
{
    m_error = reason;
    if (ready == m_ready)
        return;
    m_ready = ready;
    emit terminalIsReadyChanged();
}

QString FakeLink::keys(bool showEmptySteps) const
{
    QStringList steps;
    for (const QByteArray &step : m_steps) {
        if (!step.isEmpty())
            steps.append(keyText(step));
        else if (showEmptySteps)
            steps.append(QStringLiteral("-"));
    }
    return steps.join(QLatin1Char(' '));
}

QString FakeLink::timedKeys() const
{
    return m_timed.join(QLatin1Char(' '));
}
