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

// The program's types in the QML module the documents import, and the
// controls' style. One place for the window, its tests and the editor
// benchmark.
inline void registerLumQmlTypes()
{
    useLumControlsStyle();
    const char *const uri = "com.orv.lum";
    qmlRegisterType<KelHandler>(uri, 1, 0, "KelHandler");
    qmlRegisterType<LumBot>(uri, 1, 0, "LumBot");
    qmlRegisterType<ConfItem>(uri, 1, 0, "ConfItem");
    qmlRegisterType<DeviceProfile>(uri, 1, 0, "DeviceProfile");
    qmlRegisterUncreatableType<EditHistory>(uri, 1, 0, "EditHistory",
                                            QStringLiteral("The profile owns its edit history"));
    qmlRegisterUncreatableType<ItemFilter>(uri, 1, 0, "ItemFilter",
                                           QStringLiteral("The profile owns the editor's filter"));
    qmlRegisterType<ServiceRecord>(uri, 1, 0, "ServiceRecord");
    qmlRegisterUncreatableType<HistoryList>(uri, 1, 0, "HistoryList",
                                            QStringLiteral("The service record owns its history"));
    qmlRegisterType<LumSession>(uri, 1, 0, "LumSession");
    qmlRegisterUncreatableType<SeriesSession>(uri, 1, 0, "SeriesSession",
                                              QStringLiteral("The session owns its series"));
    // The bytes of the keypad's keys, as the link and the robot send them.
    qmlRegisterSingletonType<DeviceKeys>(uri, 1, 0, "DeviceKeys",
                                         [](QQmlEngine *, QJSEngine *) -> QObject * {
                                             return new DeviceKeys;
                                         });
}

#endif // LUMQMLTYPES_H
