#include "menuscreen.h"

#include "logcategories.h"

#include <QDebug>
#include <QRegularExpression>
#include <QStringList>

const QString MenuScreen::Setting = QStringLiteral("setting");
const QString MenuScreen::Section = QStringLiteral("section");
const QString MenuScreen::Option = QStringLiteral("option");
const QString MenuScreen::Info = QStringLiteral("info");

namespace {

// The device writes "no entry" in place of an empty value.
const QString noEntryMarker = QStringLiteral("<KEIN EINTRAG!>");

// Patterns that must match the whole line, not a part of it.
QRegularExpression wholeLine(const QString &pattern)
{
    return QRegularExpression(QRegularExpression::anchoredPattern(pattern));
}

} // namespace

MenuScreen MenuScreen::read(const QString &displayLines, int cursorRow, int level)
{
    const QStringList parts = displayLines.split(QLatin1Char('\n'));
    MenuScreen screen;
    screen.cursorRow = cursorRow;
    screen.firstLine = parts.value(0).trimmed();
    screen.secondLine = parts.value(1).trimmed();

    rewriteAmbiguousHeadings(screen.firstLine, screen.secondLine);

    if (screen.firstLine.endsWith(QLatin1Char(':'))) {
        if (cursorRow != 0) {
            screen.kind = Option;
            screen.name = screen.secondLine;
        } else {
            screen.kind = Setting;
            screen.name = QString(screen.firstLine).remove(QLatin1Char(':'));
            screen.secondLine.remove(noEntryMarker);
        }
    } else {
        const bool asks = screen.firstLine.endsWith(QLatin1Char('?'))
                || screen.secondLine.endsWith(QLatin1Char('?'));
        screen.kind = asks ? Section : Info;
        screen.name = sectionOrInfoName(screen.firstLine, screen.secondLine, level);
    }
    screen.value = screen.secondLine;
    return screen;
}

void MenuScreen::rewriteAmbiguousHeadings(QString &first, const QString &second)
{
    // This entry is a setting although the device asks a question.
    if (first == QLatin1String("SIM-Entsperren?"))
        first = QStringLiteral("SIM-Entsperren:");

    // Every alarm channel shows the same 'ALARM n:' heading; the loudspeaker
    // and microphone variants differ only on the second line.
    static const QRegularExpression alarmHeading = wholeLine(QStringLiteral("ALARM \\d:"));
    static const QRegularExpression loudspeaker = wholeLine(QStringLiteral("VERWENDET LSP\\d"));
    static const QRegularExpression microphone = wholeLine(QStringLiteral("VERWENDET MIC\\d"));
    if (alarmHeading.match(first).hasMatch() && loudspeaker.match(second).hasMatch())
        first = first.remove(QLatin1Char(':')) + QStringLiteral(" LSP:");
    if (alarmHeading.match(first).hasMatch() && microphone.match(second).hasMatch())
        first = first.remove(QLatin1Char(':')) + QStringLiteral(" MIC:");
}

QString MenuScreen::sectionOrInfoName(const QString &first, const QString &second, int level)
{
    const QLatin1Char question('?');
    if (level == 0)
        return QString(first).remove(question);
    // Deeper down a submenu is often offered as a question on the second line
    // below a heading that repeats on every entry.
    if (second.endsWith(question))
        return QString(second).remove(question);
    QString name = QString(first).remove(question);
    if (!second.isEmpty())
        name += QLatin1Char(' ') + QString(second).remove(question);
    return name;
}

QString MenuScreen::joinedLines() const
{
    return firstLine + QLatin1Char(' ') + secondLine;
}

void MenuScreen::log() const
{
    qCDebug(lumTrace).noquote() << QString(72, QLatin1Char('#'));
    qCDebug(lumTrace) << "PRG DISPLAY:" << firstLine << secondLine;
    qCDebug(lumTrace) << "extracted:" << name << kind;
}
