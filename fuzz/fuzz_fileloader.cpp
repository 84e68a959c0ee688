// Random files through the configuration loader. A file is either loaded, and
// then saves and reads back to the same items, or refused with a German
// message while the profile keeps exactly the configuration it had.

#include <QtCore>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "confitem.h"
#include "deviceprofile.h"

namespace {

QTemporaryDir *workDir = nullptr;

void check(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "file loader fault: %s\n", what);
        std::abort();
    }
}

QStringList itemTexts(const DeviceProfile &profile)
{
    QStringList texts;
    for (const ConfItem *item : profile.items())
        texts << item->type() + '|' + item->menuPath().join('/') + '|' + item->value() + '|'
                        + QString::number(item->active()) + '|' + item->options().join('/');
    return texts;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    QLoggingCategory::setFilterRules(
            QStringLiteral("*.debug=false\n*.info=false\n*.warning=false"));
    static QCoreApplication app(*argc, *argv);
    workDir = new QTemporaryDir;
    check(workDir->isValid(), "no temporary folder");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QFile input(workDir->filePath(QStringLiteral("input.lumc")));
    check(input.open(QIODevice::WriteOnly)
                  && input.write(reinterpret_cast<const char *>(data), qint64(size)) == qint64(size)
                  && input.flush(),
          "cannot write the input file");

    // Before each file the profile holds a small configuration with every
    // kind of entry.
    DeviceProfile profile;
    check(profile.load(QStringLiteral(LUM_FUZZ_BASELINE)), "the baseline does not load");
    const QString document = profile.document().toString(1);
    const QList<ConfItem *> items = profile.items();
    const QStringList texts = itemTexts(profile);

    if (!profile.load(input.fileName())) {
        check(profile.document().toString(1) == document, "a refused file changed the document");
        check(profile.items() == items && itemTexts(profile) == texts,
              "a refused file changed the items");
        check(profile.lastErrorString().startsWith("Die Datei "),
              "a refused file gave no German message");
        return 0;
    }

    // Whatever loads must survive a save and a second load unchanged, or a
    // technician could keep a file that LUM cannot open again.
    const QString resaved = workDir->filePath(QStringLiteral("resaved.lumc"));
    check(profile.save(resaved), "a loaded configuration cannot be saved");
    DeviceProfile reread;
    check(reread.load(resaved), "a saved configuration does not load again");
    check(itemTexts(reread) == itemTexts(profile), "a saved configuration reads back other items");
    return 0;
}
