#include "appidentity.h"
#include "confitem.h"
#include "deviceprofile.h"
#include "kelhandler.h"
#include "loghandler.h"
#include "lumbot.h"
#include "lumsession.h"
#include "lumqmltypes.h"
#include "portscan.h"

#include <QApplication>
#include <QFontDatabase>
#include <QIcon>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QOpenGLContext>
#include <QQuickWindow>
#include <QQmlApplicationEngine>
#include <QQmlComponent>
#include <QThread>
#include <QUrl>
#include <QtQml>

#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

// On Linux without an X or Wayland display the platform plugin would abort
// with a message that does not help a technician; say what to do instead.
bool displayMissing(int argc, char *argv[])
{
#ifdef Q_OS_LINUX
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        return false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0)
            return false;
    }
    return qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#else
    Q_UNUSED(argc)
    Q_UNUSED(argv)
    return false;
#endif
}

void reportMissingDisplay(const char *program)
{
    std::fprintf(stderr,
                 "LUM needs a graphical display, and none is set (DISPLAY and WAYLAND_DISPLAY are "
                 "empty).\n"
                 "Run it on a desktop, or under a virtual X server: xvfb-run -a %s\n",
                 program);
}

// Remote-desktop sessions, broken graphics drivers and the offscreen platform
// offer no OpenGL, and Qt Quick would abort at the first frame. The window
// then draws in software instead, which is plenty for its controls.
void chooseSceneGraphBackend()
{
    if (qEnvironmentVariableIsSet("QT_QUICK_BACKEND")
        || qEnvironmentVariableIsSet("QMLSCENE_DEVICE"))
        return;
    QOpenGLContext probe;
    if (probe.create())
        return;
    qDebug() << "No OpenGL context; the window draws in software";
    QQuickWindow::setSceneGraphBackend(QStringLiteral("software"));
}

// The window manager's icon for the window and its dialogs: the sizes a
// title bar and a task switcher draw. Qt decodes every picture as it is
// added and keeps it for the whole session (a 256-pixel picture alone is
// 256 KiB), so the large ones stay with the icons the package installs for
// menus and launchers. The pictures are carried as their raw pixels (RGBA,
// 8 bits each, made from the PNGs by tools/make-icons.sh): a PNG would make
// Qt load its image reader and the PNG library, some 150 KiB of memory kept
// for the whole working day for four small pictures.
QIcon lumWindowIcon()
{
    QIcon icon;
    for (int size : { 16, 32, 48, 64 }) {
        QFile picture(QStringLiteral(":/icons/lum-%1.rgba").arg(size));
        if (!picture.open(QIODevice::ReadOnly))
            continue;
        const QByteArray pixels = picture.readAll();
        if (pixels.size() != size * size * 4)
            continue;
        const QImage image(reinterpret_cast<const uchar *>(pixels.constData()), size, size,
                           size * 4, QImage::Format_RGBA8888);
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

// The window manager's icon is not part of the window's first frame, so it
// is set once that frame is shown. Building the window also leaves garbage
// on the QML engine's heap (the values of every binding's first evaluation);
// it is collected then, once, so that the program does not keep it for the
// whole working day.
void finishAfterFirstFrame(QApplication *app, QQmlEngine *engine, QQuickWindow *window)
{
    auto finish = [app, engine] {
        app->setWindowIcon(lumWindowIcon());
        engine->collectGarbage();
    };
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = QObject::connect(
            window, &QQuickWindow::frameSwapped, app,
            [connection, finish] {
                QObject::disconnect(*connection);
                finish();
            },
            Qt::QueuedConnection);
}

// The first font the window needs makes Qt read the system's fonts (the
// font configuration's files parsed, every font file listed): some ten
// milliseconds, in the middle of loading the window's documents, with the
// window waiting. They are read on a thread of their own instead, started
// as soon as the application is there, while the documents load. The
// thread is waited for when the program ends.
struct FontReaderEnd
{
    void operator()(QThread *reader) const
    {
        reader->wait();
        delete reader;
    }
};
using FontReader = std::unique_ptr<QThread, FontReaderEnd>;

FontReader readFontsInBackground()
{
    FontReader reader(QThread::create([] {
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
        QFontDatabase().families();
#else
        QFontDatabase::families();
#endif
    }));
    reader->setObjectName(QStringLiteral("FontScan"));
    reader->start();
    return reader;
}

// glibc gives every thread that allocates a memory arena of its own, and an
// arena stays resident after its thread has ended. The window's threads
// (Qt's document loader, the port scan, the font reader) are few and brief:
// two arenas serve them without a wait worth measuring, and the program
// keeps less memory for the whole working day.
void shareMemoryArenas()
{
#ifdef __GLIBC__
    mallopt(M_ARENA_MAX, 2);
#endif
}

} // namespace

int main(int argc, char *argv[])
{
    if (displayMissing(argc, argv)) {
        reportMissingDisplay(argv[0]);
        return 1;
    }

    // Qt 6 always scales for the screen; Qt 5 does it when asked.
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
#endif

    // A widget application, though the window is Qt Quick: where the desktop
    // offers no native file dialog (a plain X session, a minimal window
    // manager, a remote desktop), Qt Quick's dialogs then fall back to Qt's
    // widget dialog with its file-name field instead of their bare QML one.
    shareMemoryArenas();
    QApplication app(argc, argv);
    const FontReader fontReader = readFontsInBackground();
    app.setOrganizationName(AppIdentity::organizationName());
    app.setOrganizationDomain(AppIdentity::organizationDomain());

    const bool debugLog = AppIdentity::hasDebugLogSwitch(app.arguments());
    if (debugLog)
        LogHandler::install();
    app.setApplicationVersion(AppIdentity::versionText(debugLog));
    qDebug() << "######################## START LUM" << app.applicationVersion()
             << "########################";

    // The scene draws its text with the platform's glyphs, not with distance fields.
    qputenv("QML_DISABLE_DISTANCEFIELD", "1");
    registerLumQmlTypes();
    chooseSceneGraphBackend();

    // The window's documents are loaded first, Qt's document loader and this
    // thread handing the work back and forth; a port scan beside them made
    // that slower on a machine of two cores. Making the window's objects is
    // this thread's work alone and leaves a core free: the ports are listed
    // on a thread of their own from then on, and the port box fills when
    // they come, before the first frame is drawn.
    //
    // The link, the configuration, the robot and the service record of the
    // window (the session) take the ports of that scan: made once it runs,
    // outliving the scene, and handed to the window as its one required
    // property.
    std::optional<LumSession> session;
    QQmlApplicationEngine engine;
    QQmlComponent windowDocument(&engine, QUrl(QStringLiteral("qrc:/main.qml")));
    PortScan::startInBackground();
    session.emplace();
    const std::unique_ptr<QObject> window(windowDocument.createWithInitialProperties(
            { { QStringLiteral("session"), QVariant::fromValue(&*session) } }));
    auto *quickWindow = qobject_cast<QQuickWindow *>(window.get());
    if (!quickWindow) {
        for (const QQmlError &error : windowDocument.errors())
            qWarning().noquote() << error.toString();
        return -1;
    }
    finishAfterFirstFrame(&app, &engine, quickWindow);
    return app.exec();
}
