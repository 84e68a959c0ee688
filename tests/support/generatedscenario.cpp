#include "generatedscenario.h"

#include <QDate>
#include <QRandomGenerator>
#include <QTest>
#include <QTime>

#include "menugenerator.h"
#include "robotharness.h"
#include "treetext.h"

namespace {

const QString kSelection = QStringLiteral("selection");
const QString kNumber = QStringLiteral("inputnum");
const QString kTimer = QStringLiteral("inputtime_hhmm");
const QString kClock = QStringLiteral("inputsystemtime");
const QString kDate = QStringLiteral("inputsystemdate");

QString joined(const QStringList &path)
{
    return path.join(QStringLiteral(" > "));
}

} // namespace

GeneratedScenario::GeneratedScenario(quint32 seed) : m_seed(seed) { }

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
    const QString error = harness.bot().lastErrorString();
    if (!error.isEmpty())
        return QStringLiteral("read-out ended with \"%1\"").arg(error);
    const QString difference = TreeText::diff(
            TreeText::canonicalLines(TreeText::menuTreeOf(m_expected.document)),
            TreeText::canonicalLines(TreeText::menuTreeOf(harness.profile().document())));
    if (!difference.isEmpty())
        return QStringLiteral("read-out differs from the menu:\n%1").arg(difference);
    return QString();
}

bool GeneratedScenario::isWritable(const QStringList &path, const QString &valueType) const
{
    const SimMenuNode *node = m_menu.find(path);
    if (!node || !node->isSetting())
        return false;
    // A new value of an 'ALARM n' line renames the entry; leave those alone.
    if (path.last().startsWith(QLatin1String("ALARM")))
        return false;
    switch (node->valueType) {
    case SimMenuNode::Selection:
        return valueType == kSelection && node->options.size() > 1;
    case SimMenuNode::Input:
        return valueType == kNumber;
    case SimMenuNode::Time:
        return valueType == kTimer;
    case SimMenuNode::Clock:
        return valueType == kClock;
    case SimMenuNode::Date:
        return valueType == kDate;
    default:
        return false;
    }
}

QVector<GeneratedScenario::Mark> GeneratedScenario::markSettings(DeviceProfile &profile,
                                                                 int count) const
{
    QRandomGenerator random(m_seed);
    QList<ConfItem *> candidates;
    for (ConfItem *item : profile.items()) {
        if (isWritable(item->menuPath(), item->type()))
            candidates.append(item);
    }
    QVector<Mark> marks;
    while (marks.size() < count && !candidates.isEmpty()) {
        ConfItem *item = candidates.takeAt(random.bounded(candidates.size()));
        Mark mark{ item->menuPath(), item->type(), QString() };
        if (mark.valueType == kSelection) {
            QStringList others = item->options();
            others.removeAll(item->value());
            mark.newValue = others.at(random.bounded(others.size()));
        } else if (mark.valueType == kNumber) {
            do {
                mark.newValue = QString::number(random.bounded(1, 1000000));
            } while (mark.newValue == item->value());
        } else if (mark.valueType == kTimer) {
            do {
                mark.newValue = QTime(random.bounded(24), random.bounded(60))
                                        .toString(QStringLiteral("hh:mm"));
            } while (mark.newValue == item->value());
        }
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
    QObject::connect(&bot, &LumBot::deviceIdentifierChanged, &listening, [&] {
        if (!bot.deviceIdentifier().isEmpty())
            ++identifications;
    });
    QString errors;
    QObject::connect(&bot, &LumBot::transmissionError, &listening,
                     [&] { errors += bot.lastErrorString(); });

    const QTime timeBefore = QTime::currentTime();
    const QDate dateBefore = QDate::currentDate();
    bot.startUpload();
    // Once when the transfer starts, once more after it.
    const bool ended = RobotHarness::waitFor(
            &bot, &LumBot::enabledChanged,
            [&] { return harness.isIdle() && (identifications >= 2 || !errors.isEmpty()); },
            RobotHarness::readOutTimeoutMs());
    const QTime timeAfter = QTime::currentTime();
    const QDate dateAfter = QDate::currentDate();
    if (!errors.isEmpty())
        return QStringLiteral("transfer failed: %1").arg(errors);
    if (!ended)
        return QStringLiteral("the transfer and the new identification did not end");
    if (bot.deviceIdentifier() != identifier)
        return QStringLiteral("device identified as \"%1\" after the transfer")
                .arg(bot.deviceIdentifier());
    const QStringList screen = harness.device().screen();
    if (screen.value(0).trimmed() != identifier
        || screen.value(1).trimmed() != QLatin1String("konfigurieren?"))
        return QStringLiteral("the device is left on \"%1\"")
                .arg(screen.join(QStringLiteral(" | ")));

    QStringList wrong;
    for (const Mark &mark : marks) {
        const QString stored = harness.device().value(mark.path);
        QStringList accepted{ mark.newValue };
        if (mark.valueType == kClock)
            accepted = QStringList{ timeBefore.toString(QStringLiteral("hh:mm")),
                                    timeAfter.toString(QStringLiteral("hh:mm")) };
        else if (mark.valueType == kDate)
            accepted = QStringList{ dateBefore.toString(QStringLiteral("dd.MM.yy")),
                                    dateAfter.toString(QStringLiteral("dd.MM.yy")) };
        if (!accepted.contains(stored))
            wrong.append(QStringLiteral("%1 (%2) holds \"%3\", expected \"%4\"")
                                 .arg(joined(mark.path), mark.valueType, stored,
                                      accepted.join(QStringLiteral("\" or \""))));
    }
    for (const ConfItem *item : harness.profile().items()) {
        const bool marked = std::any_of(marks.cbegin(), marks.cend(), [item](const Mark &mark) {
            return mark.path == item->menuPath();
        });
        if (marked || item->element().tagName() != QLatin1String("setting"))
            continue;
        const QString stored = harness.device().value(item->menuPath());
        if (stored != item->value())
            wrong.append(QStringLiteral("unmarked %1 changed to \"%2\"")
                                 .arg(joined(item->menuPath()), stored));
    }
    return wrong.join(QLatin1Char('\n'));
}
