// Loading and saving a big configuration against the parser's floor.
//
// A generated configuration file of 20,000 items is parsed with
// QXmlStreamReader alone (every token read, every element's attributes
// taken), then loaded into a profile (parse into the menu tree and rebuild
// the item list) and saved again. Each operation runs several times and the
// median counts; load and save are each compared with the plain parse of the
// same file in the same run. The process's peak resident memory (VmHWM) is
// printed after each phase.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include "benchreport.h"
#include "deviceprofile.h"
#include "profilegenerator.h"

namespace {

const int profileItems = 20000;
const int rounds = 5;
const double maxFactor = 10.0;

// The floor: the file read and tokenised, nothing kept.
qint64 parseOnly(const QString &path, double *ms)
{
    QElapsedTimer clock;
    clock.start();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    QXmlStreamReader xml(&file);
    qint64 elements = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement) {
            const QXmlStreamAttributes attributes = xml.attributes();
            if (!attributes.value(QLatin1String("text")).isNull())
                ++elements;
        }
    }
    *ms = clock.nsecsElapsed() / 1e6;
    return xml.hasError() ? -1 : elements;
}

void dropDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    qInstallMessageHandler(BenchReport::dropDebugMessages);

    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("big.lumc"));
    const QString saved = dir.filePath(QStringLiteral("saved.lumc"));
    if (!dir.isValid() || !ProfileGenerator::writeProfile(source, profileItems)) {
        BenchReport::failed(QStringLiteral("File and model"), QStringLiteral("<= 10"),
                            QStringLiteral("cannot write the test file"));
        return 1;
    }
    BenchReport::say(QStringLiteral("File and model: %1 items, %2 KiB file")
                             .arg(profileItems)
                             .arg(QFileInfo(source).size() / 1024));
    const qint64 baselineKb = BenchReport::ownStatusKb(QStringLiteral("VmHWM"));

    QVector<double> parseTimes;
    qint64 elements = 0;
    for (int round = 0; round < rounds; ++round) {
        double ms = 0;
        elements = parseOnly(source, &ms);
        parseTimes.append(ms);
    }
    const qint64 afterParseKb = BenchReport::ownStatusKb(QStringLiteral("VmHWM"));

    QVector<double> loadTimes;
    QVector<double> saveTimes;
    int loadedItems = 0;
    qint64 afterLoadKb = 0;
    bool allSaved = true;
    for (int round = 0; round < rounds; ++round) {
        DeviceProfile profile;
        QElapsedTimer clock;
        clock.start();
        const bool loaded = profile.load(source);
        loadTimes.append(clock.nsecsElapsed() / 1e6);
        loadedItems = loaded ? profile.items().size() : -1;
        afterLoadKb = qMax(afterLoadKb, BenchReport::ownStatusKb(QStringLiteral("VmHWM")));

        clock.restart();
        allSaved &= profile.save(saved);
        saveTimes.append(clock.nsecsElapsed() / 1e6);
    }
    dropDeferredDeletes();
    const qint64 afterSaveKb = BenchReport::ownStatusKb(QStringLiteral("VmHWM"));

    // A save that lost items would make the figure meaningless.
    DeviceProfile reread;
    const bool savedReadsBack =
            allSaved && reread.load(saved) && reread.items().size() == loadedItems;
    BenchReport::say(QStringLiteral("parsed elements with text: %1; items after load: %2; saved "
                                    "file reads back: %3")
                             .arg(elements)
                             .arg(loadedItems)
                             .arg(savedReadsBack ? QStringLiteral("yes") : QStringLiteral("NO")));
    if (loadedItems != profileItems || !savedReadsBack) {
        BenchReport::failed(
                QStringLiteral("Load + rebuildConfItemList (20,000 items) / plain parse"),
                QStringLiteral("<= 10"),
                QStringLiteral("the profile did not load or save the whole file"));
        return 1;
    }

    const double parse = BenchReport::median(parseTimes);
    const double load = BenchReport::median(loadTimes);
    const double save = BenchReport::median(saveTimes);
    bool met = BenchReport::figure(
            QStringLiteral("Load + rebuildConfItemList (20,000 items) / plain parse"), load / parse,
            BenchReport::Goal::AtMost, maxFactor,
            QStringLiteral("medians of %1: load %2, QXmlStreamReader parse %3")
                    .arg(rounds)
                    .arg(BenchReport::ms(load), BenchReport::ms(parse)));
    met &= BenchReport::figure(QStringLiteral("Save (20,000 items) / plain parse"), save / parse,
                               BenchReport::Goal::AtMost, maxFactor,
                               QStringLiteral("medians of %1: save %2, QXmlStreamReader parse %3")
                                       .arg(rounds)
                                       .arg(BenchReport::ms(save), BenchReport::ms(parse)));
    BenchReport::info(
            QStringLiteral("Peak memory (VmHWM), 20,000 items"),
            QStringLiteral("at start %1, after plain parses %2, after load %3, after save %4")
                    .arg(BenchReport::mib(baselineKb), BenchReport::mib(afterParseKb),
                         BenchReport::mib(afterLoadKb), BenchReport::mib(afterSaveKb)));
    return met ? 0 : 2;
}
