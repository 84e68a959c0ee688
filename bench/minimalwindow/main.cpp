// The smallest Qt Quick Controls 2 window: what any program of this kind
// costs to start and to keep, whatever it shows. Started like lum (the same
// application attributes and window state), so that the start-up benchmark
// compares lum with the framework's floor.
//
// With a QML file as its argument it shows that file instead, which helps to
// find out what in a window costs start-up time or memory.

#include <QByteArray>
#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QStringList>
#include <QUrl>

int main(int argc, char *argv[])
{
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QGuiApplication app(argc, argv);

    const QByteArray document = R"(
import QtQuick 2.12
import QtQuick.Controls 2.12

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
}
)";
    QQmlApplicationEngine engine;
    const QStringList arguments = app.arguments();
    if (arguments.size() > 1)
        engine.load(QUrl::fromLocalFile(arguments.at(1)));
    else
        engine.loadData(document);
    if (engine.rootObjects().isEmpty())
        return -1;
    return app.exec();
}
