import QtQuick 2.12
import QtQuick.Controls 2.12
import com.orv.lum 1.0

// The device's keypad: sixteen keys in the device's own layout, each also on
// the PC keyboard, covered by the busy indicator and "Abbrechen" while the
// menu robot runs.
Rectangle {
    id: keypadBlock
    width: keybGrid.width
    height: keybGrid.height

    // The link the keys go to, and the robot that covers the pad while it
    // runs.
    property KelHandler link: null
    property LumBot bot: null

    // One row per key, in the device's layout: digits 1 to 9 in three rows
    // with ESC, + and - on the right, then *, 0, # and OK. The byte a key
    // sends is the link's to say (DeviceKeys).
    readonly property var keyTable: [
        { name: "button1", label: "1", shortcuts: ["1"] },
        { name: "button2", label: "2", shortcuts: ["2"] },
        { name: "button3", label: "3", shortcuts: ["3"] },
        { name: "buttonESC", label: "ESC", shortcuts: ["ESC", ",", "/"] },
        { name: "button4", label: "4", shortcuts: ["4"] },
        { name: "button5", label: "5", shortcuts: ["5"] },
        { name: "button6", label: "6", shortcuts: ["6"] },
        { name: "buttonPlus", label: "+", shortcuts: ["+"] },
        { name: "button7", label: "7", shortcuts: ["7"] },
        { name: "button8", label: "8", shortcuts: ["8"] },
        { name: "button9", label: "9", shortcuts: ["9"] },
        { name: "buttonMinus", label: "-", shortcuts: ["-"] },
        { name: "buttonStar", label: "*", shortcuts: ["*"] },
        { name: "button0", label: "0", shortcuts: ["0"] },
        { name: "buttonHash", label: "#", shortcuts: ["#"] },
        { name: "buttonOK", label: "OK", shortcuts: ["ENTER", "RETURN"] }
    ]

    function key(name) {
        for (var i = 0; i < keyTable.length; ++i) {
            if (keyTable[i].name === name)
                return keyRepeater.itemAt(i)
        }
        return null
    }

    // After connecting, the keyboard works the pad from ESC on.
    function focusEscape() {
        key("buttonESC").forceActiveFocus()
    }

    Grid {
        id: keybGrid
        objectName: "keybGrid"
        columns: 4
        spacing: 5
        enabled: !keypadBlock.bot.isEnabled

        // The device's menu is walked with + and - and left with ESC,
        // entered with OK: the cursor keys map onto that while a key of the
        // pad has the focus.
        Keys.onPressed: function(event) {
            if (event.key === Qt.Key_Up)
                keypadBlock.key("buttonPlus").clicked()
            if (event.key === Qt.Key_Down)
                keypadBlock.key("buttonMinus").clicked()
            if (event.key === Qt.Key_Left)
                keypadBlock.key("buttonESC").clicked()
            if (event.key === Qt.Key_Right)
                keypadBlock.key("buttonOK").clicked()
        }

        Repeater {
            id: keyRepeater
            model: keypadBlock.keyTable
            // Each key made sends on the keypad's link.
            onItemAdded: function(index, item) {
                item.link = Qt.binding(function() { return keypadBlock.link })
            }

            OrvPrgButton {
                required property var modelData
                objectName: modelData.name
                text: modelData.label
                sendchar: DeviceKeys.keyCode(modelData.label)
            }
        }
    }

    // The keys of the PC keyboard, window-wide: made while the line is open
    // (without it the pad sends nothing, and the window starts sooner
    // without them), resting while the robot works the menu.
    Instantiator {
        id: keyShortcuts
        model: keypadBlock.keyTable
        active: keypadBlock.link !== null && keypadBlock.link.terminalIsReady
        onObjectAdded: function(index, object) {
            object.key = keyRepeater.itemAt(index)
            object.enabled = Qt.binding(function() { return !keypadBlock.bot.isEnabled })
        }

        Shortcut {
            required property var modelData
            property OrvPrgButton key: null
            sequences: modelData.shortcuts
            onActivated: key.clicked()
        }
    }

    OrvBusyIndicator {
        id: busyIndicator
        objectName: "busyIndicator"
        anchors.centerIn: parent
        width: keybGrid.width * 0.618
        height: keybGrid.height * 0.618
        running: keypadBlock.bot.isEnabled
    }

    Button {
        id: abortButton
        objectName: "abortButton"
        anchors.centerIn: parent
        // The button and the progress below it sit in the middle of the disc.
        anchors.verticalCenterOffset: -(progressLabel.anchors.topMargin + progressLabel.height) / 2
        text: "Abbrechen"
        visible: keypadBlock.bot.isEnabled
        onClicked: keypadBlock.bot.abort()
    }

    // How far the job has come, in the robot's words.
    Label {
        id: progressLabel
        objectName: "progressLabel"
        anchors.top: abortButton.bottom
        anchors.topMargin: 6
        anchors.horizontalCenter: parent.horizontalCenter
        // Within the disc: "3 von 37 Einstellungen übertragen" wraps, into
        // lines narrow enough for the disc's round edge below its middle.
        width: busyIndicator.width * 0.72
        wrapMode: Text.WordWrap
        horizontalAlignment: Text.AlignHCenter
        visible: keypadBlock.bot.isEnabled
        text: keypadBlock.bot.progressText
    }
}
