import QtQuick 2.12
import QtQuick.Controls 2.12

// The left-hand block: port selection and connection, the device's display
// and keypad, the device identifier and the robot's warning.
Rectangle {
    id: terminalPanel
    width: prgCol.width

    Row {
        id: prgTopRow
        spacing: 10
        topPadding: 10

        ComboBox {
            id: portSelector
            objectName: "portSelector"
            width: prgCol.width - connectButton.width - prgTopRow.spacing
            model: kelHandler.termPortList
            currentIndex: kelHandler.termPortPreferredIndx
            enabled: !kelHandler.terminalIsReady
            onCurrentIndexChanged: kelHandler.termPortSelectedIndx = currentIndex
        }

        Button {
            id: connectButton
            objectName: "connectButton"
            text: "Verbinden"
            visible: !kelHandler.terminalIsReady
            onClicked: {
                kelHandler.openSerialPort()
                if (kelHandler.terminalIsReady) {
                    lumBot.startInit()
                    keypad.focusEscape()
                } else {
                    var portName = kelHandler.termPortList[kelHandler.termPortSelectedIndx]
                    messageDialog2.show("Fehler beim Öffnen von "
                                        + (portName === undefined ? "" : portName)
                                        + ":\n" + kelHandler.lastErrorString())
                }
            }
        }

        Button {
            id: disconnectButton
            objectName: "disconnectButton"
            text: "Verbindung trennen"
            visible: kelHandler.terminalIsReady
            enabled: !lumBot.isEnabled
            onClicked: kelHandler.closeSerialPort()
        }
    }

    Rectangle {
        id: prgBody
        anchors.top: prgTopRow.bottom
        anchors.bottom: parent.bottom
        width: prgCol.width

        Column {
            id: prgCol
            anchors.verticalCenter: parent.verticalCenter
            spacing: 10

            Row {
                OrvDisplay {
                }
            }

            OrvKeypad {
                id: keypad
            }

            Row {
                id: identifierRow
                Label {
                    id: identifierLabel
                    objectName: "identifierLabel"
                    text: lumBot.deviceIdentifier + " "
                }
                Label {
                    id: reloadLabel
                    objectName: "reloadLabel"
                    text: "neu laden"
                    font.underline: true
                    visible: kelHandler.terminalIsReady && !lumBot.isEnabled
                    MouseArea {
                        anchors.fill: parent
                        cursorShape: Qt.PointingHandCursor
                        onClicked: lumBot.startInit()
                    }
                }
            }

            Label {
                id: warningLabel
                objectName: "warningLabel"
                width: keypad.width
                height: 40
                text: lumBot.deviceWarning + " "
                color: "red"
                wrapMode: Text.WordWrap
            }
        }
    }

    OrvLazyDialog {
        id: messageDialog2
        objectName: "messageDialog2Loader"
        dialogSource: "OrvMessageDialog.qml"
        dialogProperties: ({ objectName: "messageDialog2" })
    }
}
