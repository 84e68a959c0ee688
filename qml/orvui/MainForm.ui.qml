import QtQuick 2.15
import QtQuick.Controls 2.12
import QtQuick.Window 2.0

// The window's content: the terminal panel on the left, the read-out and
// transfer buttons in the middle, the configuration editor on the right.
// Everything shown is bound to kelHandler, lumBot and deviceProfile, which the
// main window declares. The message box and the file dialogs are created
// when first needed (OrvLazyDialog); the about box is the controls' Dialog,
// a popup placed on the editor's header.
Row {
    id: mainFormRow
    anchors.top: parent.top
    anchors.bottom: parent.bottom
    anchors.horizontalCenter: parent.horizontalCenter
    spacing: 30

    // ---------------------------------------------------------------- terminal
    Rectangle {
        id: terminalPanel
        objectName: "terminalPanel"
        anchors.top: parent.top
        anchors.bottom: parent.bottom
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
                        buttonESC.forceActiveFocus()
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
                    Rectangle {
                        id: displayRect
                        objectName: "displayRect"
                        width: 295
                        height: 70
                        color: kelHandler.terminalIsReady ? "#4df349" : "#c4c4c4"
                        Behavior on color {
                            ColorAnimation {
                                duration: 250
                            }
                        }

                        TextArea {
                            id: termOutput
                            objectName: "termOutput"
                            anchors.centerIn: parent
                            implicitHeight: 70
                            readOnly: true
                            background: null
                            // Two lines of a fixed-pitch font whose line
                            // spacing differs between systems: no padding,
                            // so both lines stay inside the 70 pixels.
                            topPadding: 0
                            bottomPadding: 0
                            font.family: "Courier New"
                            font.pointSize: 18
                            color: "#333333"
                            text: kelHandler.displayText
                        }

                        // Drawn over the display text: its marks fall on the
                        // characters beneath because both texts have the same
                        // shape and a fixed-pitch font.
                        TextArea {
                            id: termCursorOverlay
                            objectName: "termCursorOverlay"
                            anchors.centerIn: parent
                            implicitHeight: 70
                            readOnly: true
                            background: null
                            // Two lines of a fixed-pitch font whose line
                            // spacing differs between systems: no padding,
                            // so both lines stay inside the 70 pixels.
                            topPadding: 0
                            bottomPadding: 0
                            font.family: "Courier New"
                            font.pointSize: 18
                            color: "#333333"
                            text: kelHandler.displayCursorOverlay
                        }
                    }
                }

                Rectangle {
                    id: keypadBlock
                    width: keybGrid.width
                    height: keybGrid.height

                    Grid {
                        id: keybGrid
                        objectName: "keybGrid"
                        columns: 4
                        spacing: 5
                        enabled: !lumBot.isEnabled

                        // The device's menu is walked with + and - and left
                        // with ESC, entered with OK: the cursor keys map onto
                        // that while a key of the pad has the focus.
                        Keys.onPressed: {
                            if (event.key === Qt.Key_Up)
                                buttonPlus.clicked()
                            if (event.key === Qt.Key_Down)
                                buttonMinus.clicked()
                            if (event.key === Qt.Key_Left)
                                buttonESC.clicked()
                            if (event.key === Qt.Key_Right)
                                buttonOK.clicked()
                        }

                        OrvPrgButton {
                            id: button1
                            objectName: "button1"
                            text: "1"
                            sendchar: 49
                            Shortcut {
                                sequence: "1"
                                enabled: !lumBot.isEnabled
                                onActivated: button1.clicked()
                            }
                        }
                        OrvPrgButton {
                            id: button2
                            objectName: "button2"
                            text: "2"
                            sendchar: 50
                            Shortcut {
                                sequence: "2"
                                enabled: !lumBot.isEnabled
                                onActivated: button2.clicked()
                            }
                        }
                        OrvPrgButton {
                            id: button3
                            objectName: "button3"
                            text: "3"
                            sendchar: 51
                            Shortcut {
                                sequence: "3"
                                enabled: !lumBot.isEnabled
                                onActivated: button3.clicked()
                            }
                        }
                        OrvPrgButton {
                            id: buttonESC
                            objectName: "buttonESC"
                            text: "ESC"
                            sendchar: 27
                            Shortcut {
                                sequences: ["ESC", ",", "/"]
                                enabled: !lumBot.isEnabled
                                onActivated: buttonESC.clicked()
                            }
                        }
                        OrvPrgButton {
                            id: button4
                            objectName: "button4"
                            text: "4"
                            sendchar: 52
                            Shortcut {
                                sequence: "4"
                                enabled: !lumBot.isEnabled
                                onActivated: button4.clicked()
                            }
                        }
                        OrvPrgButton {
                            id: button5
                            objectName: "button5"
                            text: "5"
                            sendchar: 53
                            Shortcut {
                                sequence: "5"
                                enabled: !lumBot.isEnabled
                                onActivated: button5.clicked()
                            }
                        }
                        OrvPrgButton {
                            id: button6
                            objectName: "button6"
                            text: "6"
                            sendchar: 54
                            Shortcut {
                                sequence: "6"
                                enabled: !lumBot.isEnabled
                                onActivated: button6.clicked()
                            }
                        }
                        OrvPrgButton {
                            id: buttonPlus
                            objectName: "buttonPlus"
                            text: "+"
                            sendchar: 43
                            Shortcut {
                                sequence: "+"
                                enabled: !lumBot.isEnabled
                                onActivated: buttonPlus.clicked()
                            }
                        }
                        OrvPrgButton {
                            id: button7
                            objectName: "button7"
                            text: "7"
                            sendchar: 55
                            Shortcut {
                                sequence: "7"
                                enabled: !lumBot.isEnabled
                                onActivated: button7.clicked()
                            }
                        }
                        OrvPrgButton {
                            id: button8
                            objectName: "button8"
                            text: "8"
                            sendchar: 56
                            Shortcut {
                                sequence: "8"
                                enabled: !lumBot.isEnabled
                                onActivated: button8.clicked()
                            }
                        }
                        OrvPrgButton {
                            id: button9
                            objectName: "button9"
                            text: "9"
                            sendchar: 57
                            Shortcut {
                                sequence: "9"
                                enabled: !lumBot.isEnabled
                                onActivated: button9.clicked()
                            }
                        }
                        OrvPrgButton {
                            id: buttonMinus
                            objectName: "buttonMinus"
                            text: "-"
                            sendchar: 45
                            Shortcut {
                                sequence: "-"
                                enabled: !lumBot.isEnabled
                                onActivated: buttonMinus.clicked()
                            }
                        }
                        OrvPrgButton {
                            id: buttonStar
                            objectName: "buttonStar"
                            text: "*"
                            sendchar: 42
                            Shortcut {
                                sequence: "*"
                                enabled: !lumBot.isEnabled
                                onActivated: buttonStar.clicked()
                            }
                        }
                        OrvPrgButton {
                            id: button0
                            objectName: "button0"
                            text: "0"
                            sendchar: 48
                            Shortcut {
                                sequence: "0"
                                enabled: !lumBot.isEnabled
                                onActivated: button0.clicked()
                            }
                        }
                        OrvPrgButton {
                            id: buttonHash
                            objectName: "buttonHash"
                            text: "#"
                            sendchar: 35
                            Shortcut {
                                sequence: "#"
                                enabled: !lumBot.isEnabled
                                onActivated: buttonHash.clicked()
                            }
                        }
                        OrvPrgButton {
                            id: buttonOK
                            objectName: "buttonOK"
                            text: "OK"
                            sendchar: 13
                            Shortcut {
                                sequences: ["ENTER", "RETURN"]
                                enabled: !lumBot.isEnabled
                                onActivated: buttonOK.clicked()
                            }
                        }
                    }

                    OrvBusyIndicator {
                        id: busyIndicator
                        objectName: "busyIndicator"
                        anchors.centerIn: parent
                        width: keybGrid.width * 0.618
                        height: keybGrid.height * 0.618
                        opacity: 1
                        running: lumBot.isEnabled
                    }

                    Button {
                        id: abortButton
                        objectName: "abortButton"
                        anchors.centerIn: parent
                        text: "Abbrechen"
                        visible: lumBot.isEnabled
                        onClicked: lumBot.abort()
                    }

                    // A read-out knows only how far it got; a transfer also
                    // knows how many settings it has to write.
                    Label {
                        id: progressLabel
                        objectName: "progressLabel"
                        anchors.top: abortButton.bottom
                        anchors.topMargin: 6
                        anchors.horizontalCenter: parent.horizontalCenter
                        visible: lumBot.isEnabled
                        text: lumBot.itemsTotal > 0
                              ? qsTr("%1 von %2 Einstellungen übertragen").arg(lumBot.itemsDone).arg(lumBot.itemsTotal)
                              : (lumBot.itemsDone > 0 ? qsTr("%1 Einträge gelesen").arg(lumBot.itemsDone) : "")
                    }
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
                    width: keybGrid.width
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
            dialogSource: Qt.resolvedUrl("OrvMessageDialog.qml")
            dialogProperties: ({ objectName: "messageDialog2" })
        }
    }

    // ------------------------------------------------------- editor's groups
    ButtonGroup {
        id: activeGroup
        objectName: "activeGroup"
        exclusive: false
        checkState: parentBox.checkState
    }

    ButtonGroup {
        id: dummyGroup
        exclusive: false
    }

    // -------------------------------------------------------- transfer column
    Column {
        id: transferColumn
        anchors.verticalCenter: parent.verticalCenter
        spacing: 10

        Button {
            id: downloadButton
            objectName: "downloadButton"
            width: Math.max(downloadButton.implicitWidth, uploadButton.implicitWidth)
            text: ">> Auslesen >>"
            enabled: kelHandler.terminalIsReady && !lumBot.isEnabled
            onClicked: lumBot.startDownload()
        }

        Button {
            id: uploadButton
            objectName: "uploadButton"
            width: Math.max(downloadButton.implicitWidth, uploadButton.implicitWidth)
            text: "<< Konfiguration\nübertragen <<"
            enabled: kelHandler.terminalIsReady && !lumBot.isEnabled
                     && activeGroup.checkState !== Qt.Unchecked
            onClicked: lumBot.startUpload()
        }
    }

    // ------------------------------------------------------------------ editor
    Rectangle {
        id: editorPanel
        objectName: "editorPanel"
        width: 480
        anchors.top: parent.top
        anchors.bottom: parent.bottom

        Rectangle {
            id: editorTopRect
            color: "white"
            anchors.top: parent.top
            width: parent.width
            height: editorTopRow.height
            z: 3

            Row {
                id: editorTopRow
                z: 4
                spacing: 10
                topPadding: 10
                bottomPadding: 10

                CheckBox {
                    id: parentBox
                    objectName: "parentBox"
                    anchors.verticalCenter: parent.verticalCenter
                    text: qsTr("Alle")
                    checkState: activeGroup.checkState
                    enabled: !lumBot.isEnabled && deviceProfile.confItemList.length > 1
                }

                Button {
                    id: openButton
                    objectName: "openButton"
                    text: "Konfigurationsdatei\nöffnen"
                    enabled: !lumBot.isEnabled
                    onClicked: loadFromFileDialog.open()
                }

                Button {
                    id: saveButton
                    objectName: "saveButton"
                    text: "Konfigurationsdatei\nspeichern"
                    enabled: !lumBot.isEnabled && deviceProfile.confItemList.length > 1
                    onClicked: saveToFileDialog.open()
                }
            }

            Label {
                id: aboutLabel
                objectName: "aboutLabel"
                anchors.right: parent.right
                anchors.bottom: parent.bottom
                bottomPadding: 8
                text: "Info über LUM"
                font.underline: true
                MouseArea {
                    anchors.fill: parent
                    cursorShape: Qt.PointingHandCursor
                    onClicked: messageAbout.open()
                }
            }

            OrvLazyDialog {
                id: saveToFileDialog
                objectName: "saveToFileDialogLoader"
                dialogSource: Qt.resolvedUrl("OrvFileDialog.qml")
                dialogProperties: ({
                    objectName: "saveToFileDialog",
                    title: "Konfiguration speichern unter",
                    selectExisting: false,
                    defaultSuffix: "lumc"
                })
                onAccepted: {
                    console.log("You chose to save: " + item.fileUrl)
                    deviceProfile.saveToFile(item.fileUrl.toString())
                }
                onRejected: console.log("Canceled")
            }

            OrvLazyDialog {
                id: loadFromFileDialog
                objectName: "loadFromFileDialogLoader"
                dialogSource: Qt.resolvedUrl("OrvFileDialog.qml")
                dialogProperties: ({
                    objectName: "loadFromFileDialog",
                    title: "Konfiguration öffnen"
                })
                onAccepted: {
                    console.log("You chose to load: " + item.fileUrl)
                    deviceProfile.loadFromFile(item.fileUrl.toString())
                }
                onRejected: console.log("Canceled")
            }

            Dialog {
                id: messageAbout
                objectName: "messageAbout"
                title: "Info über LUM"
                standardButtons: Dialog.Ok

                Text {
                    objectName: "aboutText"
                    textFormat: Text.RichText
                    text: "<p>LUM v" + Qt.application.version + "</p>"
                          + "<p>© 2018-2019 Kestrom Elektronik GmbH. Alle Rechte vorbehalten.</p>"
                          + "<p>Kestrom Elektronik GmbH<br>Musterstraße 12<br>12345 Beispielstadt<br>"
                          + "Tel.: +49 (0)000 000000-0<br>"
                          + "E-Mail: <a href=\"mailto:info@kestrom.example\">info@kestrom.example</a><br>"
                          + "Website: <a href=\"https://www.kestrom.example\">https://www.kestrom.example</a></p>"
                          + "<p>Diese Software verwendet Qt 5, unter LGPL v3.0.<br>"
                          + "<a href=\"https://www.qt.io/\">https://www.qt.io/</a></p>"
                    onLinkActivated: Qt.openUrlExternally(link)
                }
            }
        }

        ScrollView {
            id: scrollEditor
            objectName: "scrollEditor"
            z: 1
            anchors.top: editorTopRect.bottom
            anchors.bottom: parent.bottom
            width: 500
            contentWidth: availableWidth
            contentHeight: editorColumn.implicitHeight
            clip: true
            ScrollBar.vertical.policy: ScrollBar.AlwaysOn
            ScrollBar.vertical.width: 16

            Column {
                id: editorColumn
                objectName: "editorColumn"
                z: 2
                width: scrollEditor.availableWidth
                spacing: 2

                Repeater {
                    id: itemRepeater
                    objectName: "itemRepeater"
                    model: deviceProfile.confItemList.length

                    delegate: Row {
                        id: outerrow
                        objectName: "editorRow" + index

                        property var item: deviceProfile.confItemList[index]

                        // Settings sit one level deeper than the headings
                        // above them. A setting on the top level of the menu
                        // gets no negative indentation, which would push its
                        // check box out of sight; its check box is narrower
                        // instead, so its value control stays in the column.
                        leftPadding: Math.max(0, item.editable ? 30 * (item.menuLayer - 2)
                                                               : 30 * (item.menuLayer - 1))

                        Rectangle {
                            id: rowBand
                            objectName: "rowBand"
                            width: thisrow.width + 5
                            height: thisrow.height
                            color: outerrow.item.type === "section" ? "#0071BB"
                                 : (outerrow.item.tooltip !== "" ? "#FFF1C6" : "#FFFFFF")

                            Row {
                                id: thisrow
                                spacing: 10
                                topPadding: 5
                                bottomPadding: 5
                                leftPadding: outerrow.item.editable ? 10 : 15

                                CheckBox {
                                    id: markBox
                                    objectName: "markBox"
                                    visible: outerrow.item.editable
                                    enabled: outerrow.item.editable
                                    width: Math.min(250, 280 - 30 * (outerrow.item.menuLayer - 1))
                                    text: outerrow.item.menuName
                                    checked: outerrow.item.active
                                    ButtonGroup.group: outerrow.item.editable ? activeGroup : dummyGroup
                                    onCheckedChanged: {
                                        if (outerrow.item.active !== checked)
                                            outerrow.item.active = checked
                                    }
                                }

                                Label {
                                    id: nameLabel
                                    objectName: "nameLabel"
                                    anchors.verticalCenter: parent.verticalCenter
                                    visible: outerrow.item.type === "section" || outerrow.item.type === "info"
                                    width: outerrow.item.type === "section"
                                           ? 465 - 30 * (outerrow.item.menuLayer - 1)
                                           : 200 - 30 * (outerrow.item.menuLayer - 1)
                                    text: outerrow.item.menuName
                                    color: outerrow.item.type === "section" ? "white" : "black"
                                }

                                ComboBox {
                                    id: selector
                                    objectName: "selector"
                                    visible: outerrow.item.type === "selection"
                                    width: 210
                                    model: outerrow.item.options
                                    // Reading the model ties the index back to
                                    // the value after a new option list reset it.
                                    currentIndex: {
                                        selector.model
                                        return outerrow.item.valueIndex
                                    }
                                    // Only a choice made on the selector counts:
                                    // the control itself moves its index when
                                    // its option list is exchanged, and that
                                    // must neither mark nor overwrite a value.
                                    onActivated: {
                                        var it = outerrow.item
                                        var chosen = selector.currentIndex
                                        var inRange = chosen >= 0 && chosen < it.options.length
                                        var option = inRange ? it.options[chosen] : undefined
                                        if (it.type === "selection" && option !== it.initValue)
                                            it.active = true
                                        if (inRange && it.value !== option)
                                            it.value = option
                                    }
                                }

                                TextField {
                                    id: numberField
                                    objectName: "numberField"
                                    visible: outerrow.item.type === "inputnum"
                                    width: 210
                                    text: outerrow.item.value
                                    selectByMouse: true
                                    validator: RegularExpressionValidator {
                                        regularExpression: /[0-9#*]{0,32}/
                                    }
                                    onTextChanged: {
                                        if (text !== outerrow.item.initValue)
                                            outerrow.item.active = true
                                        if (outerrow.item.value !== text)
                                            outerrow.item.value = text
                                    }
                                }

                                TextField {
                                    id: timeField
                                    objectName: "timeField"
                                    visible: outerrow.item.type === "inputtime_hhmm"
                                    width: 210
                                    text: outerrow.item.value
                                    selectByMouse: true
                                    validator: RegularExpressionValidator {
                                        regularExpression: /[0-9]{2}:[0-9]{2}/
                                    }
                                    onTextChanged: {
                                        if (text !== outerrow.item.initValue)
                                            outerrow.item.active = true
                                        if (outerrow.item.value !== text)
                                            outerrow.item.value = text
                                    }
                                }

                                TextField {
                                    id: systemTimeField
                                    objectName: "systemTimeField"
                                    visible: outerrow.item.type === "inputsystemtime"
                                    width: 210
                                    text: "auf PC-Zeit setzen"
                                    enabled: false
                                }

                                TextField {
                                    id: systemDateField
                                    objectName: "systemDateField"
                                    visible: outerrow.item.type === "inputsystemdate"
                                    width: 210
                                    text: "auf PC-Datum setzen"
                                    enabled: false
                                }
                            }

                            // Explains a setting when the pointer rests on
                            // its band; clicks go through to the controls.
                            MouseArea {
                                id: tooltipMouseArea
                                objectName: "tooltipMouseArea"
                                anchors.fill: parent
                                enabled: outerrow.item.tooltip !== ""
                                hoverEnabled: true
                                propagateComposedEvents: true
                                onPressed: function(mouse) { mouse.accepted = false }
                                onReleased: function(mouse) { mouse.accepted = false }
                                onClicked: function(mouse) { mouse.accepted = false }
                                ToolTip.visible: containsMouse
                                ToolTip.delay: 500
                                ToolTip.text: outerrow.item.tooltip
                            }
                        }
                    }
                }
            }
        }
    }
}
