import QtQuick 2.12
import QtQuick.Controls 2.12
import com.orv.lum 1.0

// One key of the device's keypad. It flashes for 50 ms from the first of a
// burst of clicks; the flash is not stretched by clicks that follow.
Button {
    id: root

    property var sendchar
    // The link the key's character goes to.
    property KelHandler link: null

    text: ""
    implicitWidth: 70
    implicitHeight: 70
    font.pointSize: 18
    enabled: root.link ? root.link.terminalIsReady : false

    onClicked: {
        root.highlighted = true
        resetTimer.start()
        root.link.sendChar(sendchar)
    }

    Timer {
        id: resetTimer
        interval: 50
        repeat: false
        running: false
        onTriggered: root.highlighted = false
    }
}
