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
#include <QSize>
#include <QLibraryInfo>
#include <QTranslator>
#include <QOpenGLContext>
#include <QQuickWindow>
#include <QQmlApplicationEngine>
#include <QThread>
#include <QUrl>
#include <QtQml>

#include <cstdio>
#include <cstring>
#include <memory>

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

// The window speaks German; so do the dialogs Qt brings along (file and
// message dialogs, standard buttons) with Qt's own German translations.
void installGermanQtTranslations(QCoreApplication *app)
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    const QString folder = QLibraryInfo::location(QLibraryInfo::TranslationsPath);
#else
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
#endif
    for (const char *catalog : { "qtbase_de", "qtdeclarative_de", "qtquickcontrols_de" }) {
        auto *translator = new QTranslator(app);
        if (translator->load(QLatin1String(catalog), folder))
            app->installTranslator(translator);
        else
            delete translator;
    }
}

// The window manager's icon for the window and its dialogs. Each picture is
// added with its size, so that it is read only when a size is asked for
// (without one, QIcon decodes every picture at once, a few milliseconds of
// the start, even where the platform shows no window icon at all).
QIcon lumWindowIcon()
{
    QIcon icon;
    for (int size : { 32, 64, 256 })
        icon.addFile(QStringLiteral(":/icons/lum-%1.png").arg(size), QSize(size, size));
    return icon;
}

// Neither the window manager's icon nor Qt's German texts are part of the
// window's first frame, and both cost start-up time: reading the icon's
// pictures loads Qt's image format plugins, and with the catalogues
// installed every text Qt looks up while the window is built (the name of
// each shortcut key, among others) goes through them. The texts serve only
// the dialogs, which open later. Both are set up once that frame is shown.
void finishAfterFirstFrame(QApplication *app, QQmlApplicationEngine *engine)
{
    auto finish = [app] {
        installGermanQtTranslations(app);
        app->setWindowIcon(lumWindowIcon());
    };
    auto *window = qobject_cast<QQuickWindow *>(engine->rootObjects().value(0));
    if (!window) {
        finish();
        return;
    }
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
    // The ports are listed on a thread of their own while the application
    // and the window are being built; the port box fills when they come.
    shareMemoryArenas();
    PortScan::startInBackground();
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

    // The link, the configuration, the robot and the service record of the
    // window: made here, outliving the scene, and handed to the window as
    // its one required property.
    LumSession session;
    QQmlApplicationEngine engine;
    engine.setInitialProperties({ { QStringLiteral("session"), QVariant::fromValue(&session) } });
    engine.load(QUrl(QStringLiteral("qrc:/main.qml")));
    if (engine.rootObjects().isEmpty())
        return -1;
    finishAfterFirstFrame(&app, &engine);
    return app.exec();
}
