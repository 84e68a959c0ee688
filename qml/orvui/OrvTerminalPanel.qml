import QtQuick 2.12
import QtQuick.Controls 2.12
import com.orv.lum 1.0

// The left-hand block: port selection and connection, the device's display
// and keypad, the device identifier and the robot's warning.
Rectangle {
    id: terminalPanel
    width: prgCol.width

    // How far the port row may reach beyond the panel to the right: above
    // the transfer buttons, which sit lower, there is room for a long port
    // name.
    property real topRowRoom: 0

    // The window's session: connecting goes through it; the link to the
    // device and the robot that works its menu are its own.
    property LumSession session: null
    readonly property KelHandler link: session ? session.link : null
    readonly property LumBot bot: session ? session.bot : null
    // Asks before unsaved changes are replaced (a copy from the history).
    property OrvConfirmation confirmation: null

    Row {
        id: prgTopRow
        spacing: 10
        topPadding: 10

        OrvComboBox {
            id: portSelector
            objectName: "portSelector"
            // Wide enough for the whole name of every port (a simulator's
            // port is a long path), at least up to the connect button.
            width: Math.min(Math.max(prgCol.width - connectButton.width - prgTopRow.spacing,
                                     widestEntry(false) + leftPadding + rightPadding
                                     + (indicator ? indicator.width : 0) + 16),
                            prgCol.width + terminalPanel.topRowRoom - connectButton.width - prgTopRow.spacing)
            popup.width: Math.max(width, widestEntry(true) + 40)
            // Each port with what its list entry shows: the port, and the
            // maker of its adapter.
            model: {
                var ports = terminalPanel.link.termPortList
                var entries = []
                for (var i = 0; i < ports.length; ++i)
                    entries[i] = { port: ports[i], entry: portSelector.entryText(i, true) }
                return entries
            }
            textRole: "port"
            // The port "Verbinden" opens: the link chooses it (an adapter it
            // knows, else the first port listed) and the technician may pick
            // another. Reading the model ties the index back to the link's
            // choice after a new port list reset it.
            currentIndex: {
                portSelector.model
                return terminalPanel.link.termPortSelectedIndx
            }
            displayText: portSelector.count !== 0 ? portSelector.currentText
                         : (terminalPanel.link.termPortScanRunning ? "Anschlüsse werden gesucht …" : "kein Anschluss gefunden")
            enabled: !terminalPanel.link.terminalIsReady
            // Only the technician's choice goes back to the link; the box
            // moving its index when its list is exchanged is not a choice.
            onActivated: function(index) { terminalPanel.link.termPortSelectedIndx = index }

            function entryText(index, withMaker) {
                var maker = terminalPanel.link.termPortManufacturers[index]
                return terminalPanel.link.termPortList[index] + (withMaker && maker ? "  (" + maker + ")" : "")
            }

            function widestEntry(withMaker) {
                var widest = 0
                for (var i = 0; i < terminalPanel.link.termPortList.length; ++i)
                    widest = Math.max(widest, portFont.advanceWidth(entryText(i, withMaker)))
                return widest
            }

            FontMetrics {
                id: portFont
                font: portSelector.font
            }

            // Each port with its adapter's maker, so the technician finds
            // the adapter he plugged in.
            // (The entry under the pointer or the arrow keys is the current
            // one of the popup's list.)
            delegate: ItemDelegate {
                id: portEntry
                required property int index
                required property var modelData
                objectName: "portEntry" + index
                width: portEntry.ListView.view.width
                text: portEntry.modelData.entry
                highlighted: portEntry.ListView.isCurrentItem
            }

            // An adapter plugged in after start-up shows up when the list
            // is opened; the selected port stays selected.
            Connections {
                target: portSelector.popup
                function onAboutToShow() {
                    terminalPanel.link.rescanPorts()
                }
            }
        }

        Button {
            id: connectButton
            objectName: "connectButton"
            text: "Verbinden"
            visible: !terminalPanel.link.terminalIsReady
            onClicked: {
                if (terminalPanel.session.connectAndIdentify())
                    keypad.focusEscape()
                else
                    messageDialog2.show(terminalPanel.session.connectFailureText())
            }
        }

        Button {
            id: disconnectButton
            objectName: "disconnectButton"
            text: "Verbindung trennen"
            visible: terminalPanel.link.terminalIsReady
            enabled: !terminalPanel.bot.isEnabled
            onClicked: terminalPanel.link.closeSerialPort()
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
                    link: terminalPanel.link
                }
            }

            OrvKeypad {
                id: keypad
                link: terminalPanel.link
                bot: terminalPanel.bot
            }

            Row {
                id: identifierRow
                // Where the device names itself; an identification that found
                // no device says so here, in red (LumBot.identificationError,
                // empty until the robot reports one).
                Label {
                    id: identifierLabel
                    objectName: "identifierLabel"
                    readonly property string problem: terminalPanel.bot.identificationError || ""
                    // A long "Kein Gerät erkannt: …" wraps instead of
                    // pushing the keypad and the editor aside.
                    width: keypad.width - (reloadLabel.visible ? reloadLabel.width : 0)
                    wrapMode: Text.WordWrap
                    text: (problem !== "" ? problem : terminalPanel.bot.deviceIdentifier) + " "
                    color: problem !== "" ? "red" : palette.windowText
                }
                Label {
                    id: reloadLabel
                    objectName: "reloadLabel"
                    text: "neu laden"
                    font.underline: true
                    visible: terminalPanel.link.terminalIsReady && !terminalPanel.bot.isEnabled
                    MouseArea {
                        anchors.fill: parent
                        cursorShape: Qt.PointingHandCursor
                        onClicked: terminalPanel.bot.startInit()
                    }
                }
            }

            // How the last read-out or transfer ended ("72 Einträge gelesen
            // (14:05)", "Auslesen abgebrochen.", ...: LumBot.jobOutcome,
            // empty until the robot reports one).
            Label {
                id: outcomeLabel
                objectName: "outcomeLabel"
                width: keypad.width
                wrapMode: Text.WordWrap
                visible: !terminalPanel.bot.isEnabled && text !== ""
                text: terminalPanel.bot.jobOutcome || ""
            }

            // The last job's protocol, the site and technician, the history.
            OrvRecordPanel {
                objectName: "recordPanel"
                width: keypad.width
                session: terminalPanel.session
                confirmation: terminalPanel.confirmation
            }

            Label {
                id: warningLabel
                objectName: "warningLabel"
                width: keypad.width
                height: 40
                text: terminalPanel.bot.deviceWarning + " "
                color: "red"
                wrapMode: Text.WordWrap
            }
        }
    }

    OrvLazyDialog {
        id: messageDialog2
        objectName: "messageDialog2Loader"
        dialogSource: Qt.resolvedUrl("OrvMessageDialog.qml")
        dialogProperties: ({ objectName: "messageDialog2" })
    }
}
