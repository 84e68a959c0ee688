// Random files through the configuration loader. A file is either loaded, and
// then saves and reads back to the same items, or refused with a German
// message while the profile keeps exactly the configuration it had.

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "confitem.h"
#include "deviceprofile.h"

namespace {

QTemporaryDir *workDir = nullptr;
QString baselinePath;
QString inputPath;
QString resavedPath;

// A small read-out-shaped configuration the profile holds before each file.
const char baseline[] =
        "<deviceProfile version=\"1.0\">\n"
        " <menuTree>\n"
        "  <section text=\"Einstellungen?\">\n"
        "   <setting text=\"Sprache:\" value=\"Deutsch\" active=\"1\" valuetype=\"selection\">\n"
        "    <option text=\"Deutsch\"/>\n"
        "    <option text=\"Englisch\"/>\n"
        "   </setting>\n"
        "   <setting text=\"Rufnummer 1:\" value=\"0815\" active=\"0\" valuetype=\"inputnum\"/>\n"
        "  </section>\n"
        " </menuTree>\n"
        "</deviceProfile>\n";

void check(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "file loader fault: %s\n", what);
        std::abort();
    }
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    check(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "cannot write the input file");
    check(file.write(bytes) == bytes.size(), "short write of the input file");
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
    workDir = new QTemporaryDir(QDir::tempPath() + QStringLiteral("/lum-fuzz-XXXXXX"));
    check(workDir->isValid(), "no temporary folder");
    baselinePath = workDir->filePath("baseline.lumc");
    inputPath = workDir->filePath("input.lumc");
    resavedPath = workDir->filePath("resaved.lumc");
    writeFile(baselinePath, QByteArray(baseline));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    writeFile(inputPath, QByteArray(reinterpret_cast<const char *>(data), int(size)));

    DeviceProfile profile;
    check(profile.load(baselinePath), "the baseline configuration does not load");
    const QString document = profile.document().toString(1);
    const QList<ConfItem *> items = profile.items();
    const QStringList texts = itemTexts(profile);

    if (!profile.load(inputPath)) {
        check(profile.document().toString(1) == document, "a refused file changed the document");
        check(profile.items() == items, "a refused file replaced the items");
        check(itemTexts(profile) == texts, "a refused file changed the items");
        check(profile.lastErrorString().startsWith("Die Datei "),
              "a refused file gave no German message");
        return 0;
    }

    // Whatever loads must survive a save and a second load unchanged, or a
    // technician could keep a file that LUM cannot open again.
    check(profile.save(resavedPath), "a loaded configuration cannot be saved");
    DeviceProfile reread;
    check(reread.load(resavedPath), "a saved configuration does not load again");
    check(itemTexts(reread) == itemTexts(profile),
          "a saved configuration reads back different items");
    return 0;
}
