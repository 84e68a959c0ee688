#ifndef LUMQMLTYPES_H
#define LUMQMLTYPES_H

#include <QtQml/qqml.h>

#include "confitem.h"
#include "deviceprofile.h"
#include "kelhandler.h"
#include "lumbot.h"
#include "servicerecord.h"

// The program's types in the QML module the documents import. One place
// for the window, its tests and the editor benchmark.
inline void registerLumQmlTypes()
{
    const char *const uri = "com.orv.lum";
    qmlRegisterType<KelHandler>(uri, 1, 0, "KelHandler");
    qmlRegisterType<LumBot>(uri, 1, 0, "LumBot");
    qmlRegisterType<ConfItem>(uri, 1, 0, "ConfItem");
    qmlRegisterType<DeviceProfile>(uri, 1, 0, "DeviceProfile");
    qmlRegisterType<ServiceRecord>(uri, 1, 0, "ServiceRecord");
}

#endif // LUMQMLTYPES_H
