// The smallest Qt Quick Controls 2 window: what any program of this kind
// costs to start and to keep, whatever it shows. Started like lum (the same
// application attributes and window state), so that the start-up benchmark
// compares lum with the framework's floor.
//
// Built twice: as a plain Qt Quick application (bench-minimal-window), and
// as a widget application with the same window (bench-minimal-widget-window,
// MINIMAL_WIDGET_APPLICATION), which is what lum is so that its file dialogs
// fall back to Qt's widget dialog. The widget library alone is some
// megabytes of a process that never shows a widget.
//
// "--fair" shows the yardstick lum's start-up is measured against instead: a
// plain window with the controls lum's window shows (fairwindow.qml, carried
// compiled ahead of time as lum carries its documents).
// "--with-dialogs" adds the four dialogs lum uses (two message boxes, the
// open and the save file dialog), created with the window, to show what they
// cost when they are not created on first use. With a
// QML file as its argument it shows that file instead, which helps to find
// out what in a window costs start-up time or memory.

#include <QByteArray>
#ifdef MINIMAL_WIDGET_APPLICATION
#include <QApplication>
#else
#include <QGuiApplication>
#endif
#include <QQmlApplicationEngine>
#include <QStringList>
#include <QUrl>

int main(int argc, char *argv[])
{
    // Qt 6 always scales for the screen; Qt 5 does it when asked.
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
#endif
#ifdef MINIMAL_WIDGET_APPLICATION
    QApplication app(argc, argv);
#else
    QGuiApplication app(argc, argv);
#endif
    // Text is drawn the way lum draws it.
    qputenv("QML_DISABLE_DISTANCEFIELD", "1");

    const QByteArray dialogs = R"qml(
    MessageDialog { text: "Meldung" }
    MessageDialog { text: "Info" }
    FileDialog { nameFilters: ["LUM Configuration (*.lumc)"] }
    FileDialog { selectExisting: false; nameFilters: ["LUM Configuration (*.lumc)"] }
)qml";
    QByteArray document = R"qml(
import QtQuick 2.12
import QtQuick.Controls 2.12
%1
ApplicationWindow {
    visible: true
    visibility: "Maximized"
    title: "Minimal window"
    minimumWidth: 1024
    minimumHeight: 640

    Button {
        anchors.centerIn: parent
        text: "OK"
    }
%2}
)qml";
    QQmlApplicationEngine engine;
    const QStringList arguments = app.arguments();
    const bool withDialogs = arguments.contains(QStringLiteral("--with-dialogs"));
    const bool fair = arguments.contains(QStringLiteral("--fair"));
    // The floor imports nothing it does not show.
    document.replace("%1", withDialogs ? QByteArray("import QtQuick.Dialogs 1.3\n") : QByteArray());
    document.replace("%2", withDialogs ? dialogs : QByteArray());
    if (fair)
        engine.load(QUrl(QStringLiteral("qrc:/fairwindow.qml")));
    else if (arguments.size() > 1 && !withDialogs)
        engine.load(QUrl::fromLocalFile(arguments.at(1)));
    else
        engine.loadData(document);
    if (engine.rootObjects().isEmpty())
        return -1;
    return app.exec();
}
