#ifndef FILELOCATIONS_H
#define FILELOCATIONS_H

#include <QString>

// Where the technician's files lie on the PC: what a name from a file dialog
// or the command line means as a local path, and the program's folder in the
// documents folder, where the file dialogs start and the service record
// keeps its copies and reports.
class FileLocations
{
public:
    // The local path a file name means: a file: URL (absolute or relative)
    // becomes its path, anything else is taken as a path already.
    static QString localPathOf(const QString &filename);
    // The file a name chosen in a file dialog means: a relative name lies in
    // the dialog's folder (a URL or path), and a name without an ending gets
    // ".lumc".
    static QString chosenFilePath(const QString &chosen, const QString &folder);
    static bool fileExists(const QString &path);
    // The file dialogs' start folder, "Kestrom LUM" in the documents folder,
    // as a URL; created when it does not exist yet.
    static QString documentsFolderUrl();
    // The same folder as a path, not created: "Kestrom LUM" in `documents`,
    // or when that is empty in $LUM_DOCUMENTS_DIR or the system's documents.
    static QString documentsFolder(QString documents = QString());
};

#endif // FILELOCATIONS_H
