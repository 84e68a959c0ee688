#include "generatedscenario.h"

#include <QDateTime>
#include <QRandomGenerator>
#include <QTime>

#include "menugenerator.h"
#include "readoutoracle.h"
#include "simmenu.h"
#include "robotharness.h"
#include "treetext.h"

QString GeneratedScenario::run(quint32 seed)
{
    const QString menuText = MenuGenerator::generate(seed);
    SimMenu menu;
    RobotHarness harness;
    QString error;
    if (!menu.parse(menuText, &error) || !harness.startWithMenuText(menuText, &error))
        return QStringLiteral("generated menu does not start: %1").arg(error);
    const ReadOutOracle::Expectation expected = ReadOutOracle::expect(menu);
    harness.bot().startDownload();
    if (!harness.waitUntilIdle(RobotHarness::readOutTimeoutMs(expected.screens)))
        return QStringLiteral("the read-out did not end");
    if (!harness.bot().lastErrorString().isEmpty())
        return QStringLiteral("read-out ended with \"%1\"").arg(harness.bot().lastErrorString());
    const QString difference = TreeText::diff(
            TreeText::canonicalLines(TreeText::menuTreeOf(expected.document)),
            TreeText::canonicalLines(TreeText::menuTreeOf(harness.profile().document())));
    if (!difference.isEmpty())
        return QStringLiteral("read-out differs from the menu:\n") + difference;

    // Three settings the device lets a program write, with new values.
    QRandomGenerator random(seed);
    QList<ConfItem *> candidates;
    for (ConfItem *item : harness.profile().items()) {
        // A new value of an 'ALARM n' line renames the entry; leave those alone.
        const SimMenuNode *node = menu.find(item->menuPath());
        if (node && node->isSetting() && node->blocked.isEmpty()
            && !item->menuPath().last().startsWith(QLatin1String("ALARM"))
            && node->valueType != SimMenuNode::ReadOnly
            && (node->valueType != SimMenuNode::Selection || node->options.size() > 1))
            candidates.append(item);
    }
    QVector<Mark> marks;
    while (marks.size() < 3 && !candidates.isEmpty()) {
        ConfItem *item = candidates.takeAt(random.bounded(candidates.size()));
        Mark mark{ item->menuPath(), item->type(), QString() };
        do {
            if (mark.valueType == QLatin1String("selection"))
                mark.newValue = item->options().at(random.bounded(item->options().size()));
            else if (mark.valueType == QLatin1String("inputnum"))
                mark.newValue = QString::number(random.bounded(1, 1000000));
            else if (mark.valueType == QLatin1String("inputtime_hhmm"))
                mark.newValue = QTime(random.bounded(24), random.bounded(60)).toString("hh:mm");
        } while (!mark.newValue.isEmpty() && mark.newValue == item->value());
        marks.append(mark);
    }
    if (marks.isEmpty())
        return QStringLiteral("the generated menu offers no setting to write");
    return runTransfer(harness, marks, menu.identifier);
}

QString GeneratedScenario::runTransfer(RobotHarness &harness, const QVector<Mark> &marks,
                                       const QString &identifier)
{
    for (const Mark &mark : marks) {
        ConfItem *item = harness.item(mark.path);
        if (!item)
            return QStringLiteral("no setting %1 to mark")
                    .arg(mark.path.join(QStringLiteral(" > ")));
        if (!mark.newValue.isEmpty())
            item->setValue(mark.newValue);
        item->setActive(true);
    }
    LumBot &bot = harness.bot();
    const QDateTime before = QDateTime::currentDateTime();
    bot.startUpload();
    // Idle only once the new identification after the transfer is done.
    if (!harness.waitUntilIdle(RobotHarness::readOutTimeoutMs()))
        return QStringLiteral("the transfer and the new identification did not end");
    const QDateTime after = QDateTime::currentDateTime();
    if (!bot.lastErrorString().isEmpty())
        return QStringLiteral("transfer failed: %1").arg(bot.lastErrorString());
    const QString shown = harness.device().screen().join(QStringLiteral(" | ")).simplified();
    if (bot.deviceIdentifier() != identifier || shown != identifier + " | konfigurieren?")
        return QStringLiteral("identified as \"%1\" after the transfer, device left on \"%2\"")
                .arg(bot.deviceIdentifier(), shown);

    QStringList wrong;
    for (const ConfItem *item : harness.profile().items()) {
        if (item->element().tagName() != QLatin1String("setting"))
            continue;
        const auto mark = std::find_if(marks.cbegin(), marks.cend(), [item](const Mark &mark) {
            return mark.path == item->menuPath();
        });
        QStringList accepted{ mark == marks.cend() ? item->value() : mark->newValue };
        // The clock and the date take the PC's at the moment of the transfer.
        if (mark != marks.cend() && mark->newValue.isEmpty()) {
            const QString format = mark->valueType.endsWith(QLatin1String("time"))
                    ? QStringLiteral("hh:mm")
                    : QStringLiteral("dd.MM.yy");
            accepted = QStringList{ before.toString(format), after.toString(format) };
        }
        const QString stored = harness.device().value(item->menuPath());
        if (!accepted.contains(stored))
            wrong.append(QStringLiteral("%1 (%2, %3) holds \"%4\", expected \"%5\"")
                                 .arg(item->menuPath().join(QStringLiteral(" > ")), item->type(),
                                      mark == marks.cend() ? "unmarked" : "marked", stored,
                                      accepted.join(QStringLiteral("\" or \""))));
    }
    return wrong.join(QLatin1Char('\n'));
}
