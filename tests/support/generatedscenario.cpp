#include "generatedscenario.h"

#include <QDate>
#include <QRandomGenerator>
#include <QTime>

#include "menugenerator.h"
#include "robotharness.h"
#include "treetext.h"

QString GeneratedScenario::prepare()
{
    m_menuText = MenuGenerator::generate(m_seed);
    QString error;
    if (!m_menu.parse(m_menuText, &error))
        return QStringLiteral("generated menu does not parse: %1").arg(error);
    m_expected = ReadOutOracle::expect(m_menu);
    return QString();
}

QString GeneratedScenario::runReadOut(RobotHarness &harness) const
{
    harness.bot().startDownload();
    if (!harness.waitUntilIdle(RobotHarness::readOutTimeoutMs(m_expected.screens)))
        return QStringLiteral("the read-out did not end");
    if (!harness.bot().lastErrorString().isEmpty())
        return QStringLiteral("read-out ended with \"%1\"").arg(harness.bot().lastErrorString());
    const QString difference = TreeText::diff(
            TreeText::canonicalLines(TreeText::menuTreeOf(m_expected.document)),
            TreeText::canonicalLines(TreeText::menuTreeOf(harness.profile().document())));
    return difference.isEmpty() ? difference
                                : QStringLiteral("read-out differs from the menu:\n") + difference;
}

QVector<GeneratedScenario::Mark> GeneratedScenario::markSettings(DeviceProfile &profile,
                                                                 int count) const
{
    QRandomGenerator random(m_seed);
    QList<ConfItem *> candidates;
    for (ConfItem *item : profile.items()) {
        // A new value of an 'ALARM n' line renames the entry; leave those alone.
        const SimMenuNode *node = m_menu.find(item->menuPath());
        if (node && node->isSetting() && node->blocked.isEmpty()
            && !item->menuPath().last().startsWith(QLatin1String("ALARM"))
            && node->valueType != SimMenuNode::ReadOnly
            && (node->valueType != SimMenuNode::Selection || node->options.size() > 1))
            candidates.append(item);
    }
    QVector<Mark> marks;
    while (marks.size() < count && !candidates.isEmpty()) {
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
        if (!mark.newValue.isEmpty())
            item->setValue(mark.newValue);
        item->setActive(true);
        marks.append(mark);
    }
    return marks;
}

QString GeneratedScenario::runTransfer(RobotHarness &harness, const QVector<Mark> &marks,
                                       const QString &identifier)
{
    LumBot &bot = harness.bot();
    QObject listening;
    int identifications = 0;
    QObject::connect(&bot, &LumBot::deviceIdentifierChanged, &listening,
                     [&] { identifications += !bot.deviceIdentifier().isEmpty(); });
    QString errors;
    QObject::connect(&bot, &LumBot::transmissionError, &listening,
                     [&] { errors += bot.lastErrorString(); });

    const QDateTime before = QDateTime::currentDateTime();
    bot.startUpload();
    // Once when the transfer starts, once more after it.
    const bool ended = RobotHarness::waitFor(
            &bot, &LumBot::enabledChanged,
            [&] { return harness.isIdle() && (identifications >= 2 || !errors.isEmpty()); },
            RobotHarness::readOutTimeoutMs());
    const QDateTime after = QDateTime::currentDateTime();
    if (!errors.isEmpty())
        return QStringLiteral("transfer failed: %1").arg(errors);
    if (!ended)
        return QStringLiteral("the transfer and the new identification did not end");
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
        const QString format = mark == marks.cend()                   ? QString()
                : mark->valueType == QLatin1String("inputsystemtime") ? QStringLiteral("hh:mm")
                : mark->valueType == QLatin1String("inputsystemdate") ? QStringLiteral("dd.MM.yy")
                                                                      : QString();
        if (!format.isEmpty())
            accepted = QStringList{ before.toString(format), after.toString(format) };
        const QString stored = harness.device().value(item->menuPath());
        if (!accepted.contains(stored))
            wrong.append(QStringLiteral("%1 (%2, %3) holds \"%4\", expected \"%5\"")
                                 .arg(item->menuPath().join(QStringLiteral(" > ")), item->type(),
                                      mark == marks.cend() ? "unmarked" : "marked", stored,
                                      accepted.join(QStringLiteral("\" or \""))));
    }
    return wrong.join(QLatin1Char('\n'));
}
