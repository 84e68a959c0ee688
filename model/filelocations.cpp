#include "filelocations.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

#include "logcategories.h"

namespace {

const QString fileSuffix = QStringLiteral("lumc");
const QString documentsSubfolder = QStringLiteral("Kestrom LUM");

} // namespace

// QML file dialogs hand over URLs: "file:///home/..." for a file picked in
// the list, but "file:anlage1" for a bare name typed into the name box. The
// command line and tests hand over plain paths.
QString FileLocations::localPathOf(const QString &filename)
{
    if (filename.startsWith(QLatin1String("file:"), Qt::CaseInsensitive))
        return QUrl(filename, QUrl::TolerantMode).toLocalFile();
    return filename;
}

QString FileLocations::chosenFilePath(const QString &chosen, const QString &folder)
{
    QString path = localPathOf(chosen);
    if (path.isEmpty())
        return QString();
    if (QDir::isRelativePath(path)) {
        const QString folderPath = localPathOf(folder);
        if (!folderPath.isEmpty())
            path = QDir(folderPath).filePath(path);
    }
    const QFileInfo info(path);
    if (info.suffix().isEmpty() && !info.fileName().isEmpty())
        path += QLatin1Char('.') + fileSuffix;
    return QDir::cleanPath(path);
}

bool FileLocations::fileExists(const QString &path)
{
    return QFileInfo::exists(localPathOf(path));
}

QString FileLocations::documentsFolder(QString documents)
{
    // LUM_DOCUMENTS_DIR stands in for the documents folder: the tests keep
    // their files out of the home folder with it.
    if (documents.isEmpty())
        documents = qEnvironmentVariable("LUM_DOCUMENTS_DIR");
    if (documents.isEmpty())
        documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir(documents).filePath(documentsSubfolder);
}

QString FileLocations::documentsFolderUrl()
{
    const QString folder = documentsFolder();
    if (!QDir().mkpath(folder))
        qCDebug(lumFile) << "Cannot create the folder" << folder;
    return QUrl::fromLocalFile(folder).toString();
}
