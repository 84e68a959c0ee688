import QtQuick 2.12
import QtQuick.Controls 2.12

// The yardstick for lum's start-up: a plain Qt Quick Controls 2 window with
// the controls lum's window shows in its first frame, laid out alike: a port
// box and a connect button, a two-line display of two text areas, sixteen
// keys, the history button and the site line below them, the four buttons
// between device and editor (read out, compare, transfer, series), and an
// editor list with its header (a check box, three buttons, a link, the
// search field, the view box, undo and redo) and one row. Nothing of lum is
// used: no C++ objects, no components of its own, no behaviour, only the
// controls. Controls lum shows only later (dialogs, the comparison line,
// the robot's progress) are not here.
ApplicationWindow {
    visible: true
    visibility: "Maximized"
    title: "Plain window with lum's controls"
    minimumWidth: 1024
    minimumHeight: 640

    Row {
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        anchors.horizontalCenter: parent.horizontalCenter
        spacing: 30

        Column {
            spacing: 10
            topPadding: 10

            Row {
                spacing: 10

                ComboBox {
                    objectName: "portSelector"
                    width: 200
                    model: ["/dev/ttyUSB0"]
                }

                Button {
                    text: "Verbinden"
                }
            }

            Rectangle {
                width: 295
                height: 70
                color: "#c4c4c4"

                TextArea {
                    anchors.centerIn: parent
                    readOnly: true
                    background: null
                    topPadding: 0
                    bottomPadding: 0
                    font.family: "Courier New"
                    font.pointSize: 18
                    text: "                \n                "
                }

                TextArea {
                    anchors.centerIn: parent
                    readOnly: true
                    background: null
                    topPadding: 0
                    bottomPadding: 0
                    font.family: "Courier New"
                    font.pointSize: 18
                    text: "                \n                "
                }
            }

            Grid {
                columns: 4
                spacing: 5

                Repeater {
                    model: ["1", "2", "3", "ESC", "4", "5", "6", "+",
                            "7", "8", "9", "-", "*", "0", "#", "OK"]

                    Button {
                        width: 70
                        height: 70
                        font.pointSize: 18
                        enabled: false
                        text: modelData
                    }
                }
            }

            Label {
                text: " "
            }

            Row {
                spacing: 8

                Button {
                    text: "Verlauf"
                }

                Label {
                    anchors.verticalCenter: parent.verticalCenter
                    font.underline: true
                    text: "Anlage und Techniker für die Protokolle angeben"
                }
            }

            Label {
                width: 295
                height: 40
                text: " "
                color: "red"
            }
        }

        Column {
            anchors.verticalCenter: parent.verticalCenter
            spacing: 10

            Button {
                enabled: false
                text: ">> Auslesen >>"
            }

            Button {
                enabled: false
                text: "Vergleichen"
            }

            Button {
                enabled: false
                text: "<< Konfiguration\nübertragen <<"
            }

            Button {
                text: "Serie…"
            }
        }

        ListView {
            anchors.top: parent.top
            anchors.bottom: parent.bottom
            width: 480
            clip: true
            headerPositioning: ListView.OverlayHeader
            model: ["Bitte Konfiguration öffnen oder auslesen..."]
            ScrollBar.vertical: ScrollBar {
                policy: ScrollBar.AlwaysOn
            }

            header: Rectangle {
                z: 2
                width: ListView.view.width
                height: headerRow.height + toolsRow.height
                color: "white"

                Row {
                    id: headerRow
                    spacing: 10
                    topPadding: 10
                    bottomPadding: 10

                    CheckBox {
                        anchors.verticalCenter: parent.verticalCenter
                        enabled: false
                        text: "Alle"
                    }

                    Button {
                        text: "Konfigurationsdatei\nöffnen"
                    }

                    Button {
                        enabled: false
                        text: "Konfigurationsdatei\nspeichern"
                    }

                    Button {
                        enabled: false
                        text: "CSV\nexportieren"
                    }
                }

                Row {
                    id: toolsRow
                    anchors.top: headerRow.bottom
                    spacing: 8
                    leftPadding: 10
                    bottomPadding: 6

                    TextField {
                        width: 200
                        placeholderText: "Suchen (Strg+F)"
                    }

                    ComboBox {
                        width: 170
                        model: ["alle", "markiert/geändert", "Unterschiede"]
                    }

                    Button {
                        width: 40
                        enabled: false
                        text: "↶"
                    }

                    Button {
                        width: 40
                        enabled: false
                        text: "↷"
                    }
                }

                Label {
                    anchors.right: parent.right
                    anchors.bottom: headerRow.bottom
                    bottomPadding: 8
                    text: "Info über LUM"
                    font.underline: true
                }
            }

            delegate: Label {
                padding: 5
                text: modelData
            }
        }
    }
}
