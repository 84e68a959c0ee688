#ifndef LUMQMLTYPES_H
#define LUMQMLTYPES_H

#include <QtGlobal>
#include <QtQml/qqml.h>
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
#  include <QQuickStyle>
#endif

#include "confitem.h"
#include "devicekeys.h"
#include "deviceprofile.h"
#include "kelhandler.h"
#include "lumbot.h"
#include "lumsession.h"
#include "qtgermantexts.h"
#include "historylist.h"
#include "seriessession.h"
#include "servicerecord.h"

// The controls' style the documents are laid out for: "Default" in
// qtquickcontrols2.conf, which Qt 6 calls "Basic" (it reads "Default" as no
// style at all and takes the platform's, e.g. Fusion on Linux).
// Chosen once, before the first document is loaded.
inline void useLumControlsStyle()
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
    static bool chosen = false;
    if (!chosen && qEnvironmentVariableIsEmpty("QT_QUICK_CONTROLS_STYLE"))
        QQuickStyle::setStyle(QStringLiteral("Basic"));
    chosen = true;
#endif
}

// The program's types in the QML module the documents import, named once:
// registered for the window, its tests and the editor benchmark
// (registerLumQmlTypes), and described to Qt 6's qmllint by the build
// (tests/qml/lumqmltypesdump). VISITOR gets creatable<T>(name),
// uncreatable<T>(name, reason) and singleton<T>(name).
const char *const lumQmlModule = "com.orv.lum";

template<class Visitor>
void visitLumQmlTypes(Visitor &visitor)
{
    visitor.template creatable<KelHandler>("KelHandler");
    visitor.template creatable<LumBot>("LumBot");
    visitor.template creatable<ConfItem>("ConfItem");
    visitor.template creatable<DeviceProfile>("DeviceProfile");
    visitor.template uncreatable<EditHistory>("EditHistory", "The profile owns its edit history");
    visitor.template uncreatable<ItemFilter>("ItemFilter", "The profile owns the editor's filter");
    visitor.template creatable<ServiceRecord>("ServiceRecord");
    visitor.template uncreatable<HistoryList>("HistoryList", "The service record owns its history");
    visitor.template creatable<LumSession>("LumSession");
    visitor.template uncreatable<SeriesSession>("SeriesSession", "The session owns its series");
    // The bytes of the keypad's keys, as the link and the robot send them.
    visitor.template singleton<DeviceKeys>("DeviceKeys");
    // Qt's own German texts, installed when the first dialog is made.
    visitor.template singleton<QtGermanTexts>("QtGermanTexts");
}

// Registers the visited types in a module, version 1.0.
class LumQmlRegistrar
{
public:
    explicit LumQmlRegistrar(const char *uri) : m_uri(uri) {}

    template<class T> void creatable(const char *name) { qmlRegisterType<T>(m_uri, 1, 0, name); }
    template<class T> void uncreatable(const char *name, const char *reason)
    {
        qmlRegisterUncreatableType<T>(m_uri, 1, 0, name, QString::fromUtf8(reason));
    }
    template<class T> void singleton(const char *name)
    {
        qmlRegisterSingletonType<T>(m_uri, 1, 0, name,
                                    [](QQmlEngine *, QJSEngine *) -> QObject * { return new T; });
    }

private:
    const char *m_uri;
};

// The program's types and the controls' style, before the first document is
// loaded.
inline void registerLumQmlTypes()
{
    useLumControlsStyle();
    LumQmlRegistrar registrar(lumQmlModule);
    visitLumQmlTypes(registrar);
}

#endif // LUMQMLTYPES_H
