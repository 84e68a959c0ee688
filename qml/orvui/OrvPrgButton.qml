import QtQuick 2.9
import QtQuick.Controls 2.2

// One key of the device's keypad. It flashes for 50 ms from the first of a
// burst of clicks; the flash is not stretched by clicks that follow.
Button {
    id: root

    property var sendchar

    text: ""
    implicitWidth: 70
    implicitHeight: 70
    font.pointSize: 18
    enabled: kelHandler.terminalIsReady

    onClicked: {
        root.highlighted = true
        resetTimer.start()
        kelHandler.sendChar(sendchar)
    }

    Timer {
        id: resetTimer
        interval: 50
        repeat: false
        running: false
        onTriggered: root.highlighted = false
    }
}
