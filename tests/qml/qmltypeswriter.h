#ifndef QMLTYPESWRITER_H
#define QMLTYPESWRITER_H

#include <QList>
#include <QMetaObject>
#include <QSet>
#include <QString>

// Describes a QML module's C++ types to Qt 6's qmllint: writes the module's
// qmldir and a .qmltypes file from the types' meta-objects, so that the
// linter knows their properties, methods, signals and enums. The types are
// named with the same visitor calls that register them (creatable,
// uncreatable, singleton), so the description cannot drift from the program.
// Types a described property points to (a QObject class of the program) are
// described as well, without a name in the module.
class QmlTypesWriter
{
public:
    explicit QmlTypesWriter(const QString &uri);

    template<class T> void creatable(const char *name) { add(&T::staticMetaObject, name, Creatable); }
    template<class T> void uncreatable(const char *name, const char *) { add(&T::staticMetaObject, name, Uncreatable); }
    template<class T> void singleton(const char *name) { add(&T::staticMetaObject, name, Singleton); }

    // Writes IMPORTROOT/<uri as folders>/qmldir and its .qmltypes file.
    bool write(const QString &importRoot, QString *error) const;

private:
    enum Kind { Creatable, Uncreatable, Singleton, Unexported };
    struct Entry {
        const QMetaObject *metaObject;
        QString exportedName;
        Kind kind;
    };

    void add(const QMetaObject *metaObject, const char *name, Kind kind);
    void addReferencedTypes(const QMetaObject *metaObject);
    bool isDescribed(const QMetaObject *metaObject) const;
    QString typesFileText() const;
    QString componentText(const Entry &entry) const;

    QString m_uri;
    QList<Entry> m_entries;
};

#endif // QMLTYPESWRITER_H
