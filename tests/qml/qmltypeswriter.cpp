#include "qmltypeswriter.h"

#include <QDir>
#include <QFile>
#include <QMetaEnum>
#include <QMetaMethod>
#include <QMetaProperty>
#include <QMetaType>

namespace {

// A C++ type name as a .qmltypes file writes it: without the pointer, a
// QQmlListProperty as a list of its element, an enum of the class itself
// without the class.
struct DescribedType
{
    QString name;
    bool isPointer = false;
    bool isList = false;
};

DescribedType describedType(QByteArray cppName, const QMetaObject *scope)
{
    DescribedType type;
    const QByteArray listPrefix("QQmlListProperty<");
    if (cppName.startsWith(listPrefix) && cppName.endsWith('>')) {
        cppName = cppName.mid(listPrefix.size(), cppName.size() - listPrefix.size() - 1);
        type.isList = true;
    }
    if (cppName.endsWith('*')) {
        cppName.chop(1);
        type.isPointer = !type.isList;
    }
    const QByteArray ownScope = QByteArray(scope->className()) + "::";
    if (cppName.startsWith(ownScope))
        cppName = cppName.mid(ownScope.size());
    type.name = QString::fromLatin1(cppName.trimmed());
    return type;
}

// The meta-object of a QObject class a type name points to, if any.
const QMetaObject *pointedToMetaObject(QByteArray cppName)
{
    const QByteArray listPrefix("QQmlListProperty<");
    if (cppName.startsWith(listPrefix) && cppName.endsWith('>'))
        cppName = cppName.mid(listPrefix.size(), cppName.size() - listPrefix.size() - 1) + '*';
    if (!cppName.endsWith('*'))
        return nullptr;
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    return QMetaType::fromName(cppName).metaObject();
#else
    const int id = QMetaType::type(cppName.constData());
    return id == QMetaType::UnknownType ? nullptr : QMetaType::metaObjectForType(id);
#endif
}

QString quoted(const QString &text) { return QLatin1Char('"') + text + QLatin1Char('"'); }

QString typeFields(const DescribedType &type)
{
    QString fields = QStringLiteral("; type: ") + quoted(type.name);
    if (type.isPointer)
        fields += QStringLiteral("; isPointer: true");
    if (type.isList)
        fields += QStringLiteral("; isList: true");
    return fields;
}

QString enumText(const QMetaEnum &metaEnum)
{
    QStringList keys;
    for (int i = 0; i < metaEnum.keyCount(); ++i)
        keys << quoted(QString::fromLatin1(metaEnum.key(i)));
    QString text = QStringLiteral("        Enum {\n            name: %1\n").arg(quoted(QString::fromLatin1(metaEnum.name())));
    if (metaEnum.isFlag())
        text += QStringLiteral("            isFlag: true\n");
    if (metaEnum.isScoped())
        text += QStringLiteral("            isScoped: true\n");
    return text + QStringLiteral("            values: [%1]\n        }\n").arg(keys.join(QStringLiteral(", ")));
}

QString propertyText(const QMetaProperty &property, const QMetaObject *scope, int index)
{
    const DescribedType type = describedType(property.typeName(), scope);
    QString text = QStringLiteral("        Property { name: %1").arg(quoted(QString::fromLatin1(property.name())))
                   + typeFields(type);
    if (property.hasNotifySignal())
        text += QStringLiteral("; notify: ") + quoted(QString::fromLatin1(property.notifySignal().name()));
    text += QStringLiteral("; index: %1").arg(index);
    if (!property.isWritable())
        text += QStringLiteral("; isReadonly: true");
    if (property.isConstant())
        text += QStringLiteral("; isConstant: true");
    return text + QStringLiteral(" }\n");
}

QString methodText(const QMetaMethod &method, const QMetaObject *scope)
{
    const bool isSignal = method.methodType() == QMetaMethod::Signal;
    QString text = QStringLiteral("        %1 {\n            name: %2\n")
                       .arg(isSignal ? QStringLiteral("Signal") : QStringLiteral("Method"),
                            quoted(QString::fromLatin1(method.name())));
    const QByteArray returnType = method.typeName();
    if (!returnType.isEmpty() && returnType != "void") {
        const DescribedType type = describedType(returnType, scope);
        text += QStringLiteral("            type: %1\n").arg(quoted(type.name));
        if (type.isPointer)
            text += QStringLiteral("            isPointer: true\n");
    }
    const QList<QByteArray> names = method.parameterNames();
    const QList<QByteArray> types = method.parameterTypes();
    for (int i = 0; i < types.size(); ++i) {
        const DescribedType type = describedType(types.at(i), scope);
        text += QStringLiteral("            Parameter { name: %1").arg(quoted(QString::fromLatin1(names.value(i))))
                + typeFields(type) + QStringLiteral(" }\n");
    }
    return text + QStringLiteral("        }\n");
}

} // namespace

QmlTypesWriter::QmlTypesWriter(const QString &uri)
    : m_uri(uri)
{
}

void QmlTypesWriter::add(const QMetaObject *metaObject, const char *name, Kind kind)
{
    // A type met before as the type of a property gets its name now.
    for (Entry &entry : m_entries) {
        if (entry.metaObject == metaObject) {
            entry = {metaObject, QString::fromLatin1(name), kind};
            return;
        }
    }
    m_entries.append({metaObject, QString::fromLatin1(name), kind});
    addReferencedTypes(metaObject);
}

bool QmlTypesWriter::isDescribed(const QMetaObject *metaObject) const
{
    for (const Entry &entry : m_entries) {
        if (entry.metaObject == metaObject)
            return true;
    }
    return false;
}

// The program's own classes a described type hands out through a property,
// a method or as its base: the linter needs them to check what is done with
// the objects. Qt's classes are described by Qt's modules.
void QmlTypesWriter::addReferencedTypes(const QMetaObject *metaObject)
{
    QList<const QMetaObject *> referenced;
    if (metaObject->superClass())
        referenced << metaObject->superClass();
    for (int i = metaObject->propertyOffset(); i < metaObject->propertyCount(); ++i)
        referenced << pointedToMetaObject(metaObject->property(i).typeName());
    for (int i = metaObject->methodOffset(); i < metaObject->methodCount(); ++i) {
        const QMetaMethod method = metaObject->method(i);
        referenced << pointedToMetaObject(method.typeName());
        for (const QByteArray &type : method.parameterTypes())
            referenced << pointedToMetaObject(type);
    }
    for (const QMetaObject *type : referenced) {
        if (!type || isDescribed(type) || QByteArray(type->className()).startsWith('Q'))
            continue;
        m_entries.append({type, QString(), Unexported});
        addReferencedTypes(type);
    }
}

QString QmlTypesWriter::componentText(const Entry &entry) const
{
    const QMetaObject *metaObject = entry.metaObject;
    QString text = QStringLiteral("    Component {\n        name: %1\n        accessSemantics: \"reference\"\n")
                       .arg(quoted(QString::fromLatin1(metaObject->className())));
    if (metaObject->superClass())
        text += QStringLiteral("        prototype: %1\n").arg(quoted(QString::fromLatin1(metaObject->superClass()->className())));
    if (entry.kind != Unexported) {
        text += QStringLiteral("        exports: [%1]\n        exportMetaObjectRevisions: [256]\n")
                    .arg(quoted(m_uri + QLatin1Char('/') + entry.exportedName + QStringLiteral(" 1.0")));
    }
    if (entry.kind != Creatable)
        text += QStringLiteral("        isCreatable: false\n");
    if (entry.kind == Singleton)
        text += QStringLiteral("        isSingleton: true\n");
    for (int i = metaObject->enumeratorOffset(); i < metaObject->enumeratorCount(); ++i)
        text += enumText(metaObject->enumerator(i));
    for (int i = metaObject->propertyOffset(); i < metaObject->propertyCount(); ++i)
        text += propertyText(metaObject->property(i), metaObject, i - metaObject->propertyOffset());
    for (int i = metaObject->methodOffset(); i < metaObject->methodCount(); ++i) {
        const QMetaMethod method = metaObject->method(i);
        // What QML can reach: signals, public slots and invokable methods.
        if (method.methodType() == QMetaMethod::Constructor || method.access() == QMetaMethod::Private)
            continue;
        text += methodText(method, metaObject);
    }
    return text + QStringLiteral("    }\n");
}

QString QmlTypesWriter::typesFileText() const
{
    QString text = QStringLiteral("import QtQuick.tooling 1.2\n\n"
                                  "// The C++ types of the module %1, written from their meta-objects\n"
                                  "// for QML tooling (qmllint) by the build.\n\nModule {\n").arg(m_uri);
    for (const Entry &entry : m_entries)
        text += componentText(entry);
    return text + QStringLiteral("}\n");
}

bool QmlTypesWriter::write(const QString &importRoot, QString *error) const
{
    const QString folder = importRoot + QLatin1Char('/') + QString(m_uri).replace(QLatin1Char('.'), QLatin1Char('/'));
    if (!QDir().mkpath(folder)) {
        *error = QStringLiteral("cannot create %1").arg(folder);
        return false;
    }
    const QString typesFile = QStringLiteral("types.qmltypes");
    const QList<QPair<QString, QString>> files = {
        {QStringLiteral("qmldir"),
         QStringLiteral("module %1\ntypeinfo %2\ndepends QtQml\n").arg(m_uri, typesFile)},
        {typesFile, typesFileText()}};
    for (const auto &file : files) {
        QFile out(folder + QLatin1Char('/') + file.first);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)
            || out.write(file.second.toUtf8()) < 0) {
            *error = QStringLiteral("cannot write %1: %2").arg(out.fileName(), out.errorString());
            return false;
        }
    }
    return true;
}
