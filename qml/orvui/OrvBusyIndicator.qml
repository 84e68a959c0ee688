import QtQuick 2.12
import QtQuick.Controls 2.12

// A half-transparent red disc over the keypad while the menu robot runs.
BusyIndicator {
    id: control

    contentItem: Rectangle {
        x: control.width / 2 - width / 2
        y: control.height / 2 - width / 2
        radius: width / 2
        color: "#ff0000"
        opacity: control.running ? 0.5 : 0
    }
}
