import QtQuick 2.12
import QtQuick.Controls 2.12
import com.orv.lum 1.0

// The right-hand block: the header with "Alle", the file buttons, the about
// link and the file dialogs, and below it the rows of the configuration.
Rectangle {
    id: editorPanel
    objectName: "editorPanel"
    width: 480

    // How much wider than its narrowest the editor is: the rows give it to
    // the names and the value controls.
    readonly property real extraWidth: Math.max(0, Math.min(width - 480, 480))
    // What to do once the configuration is saved (closing the window, for
    // instance); null when nothing waits for it.
    property var afterSave: null

    // The configuration shown, and the robot that locks it while it runs.
    property DeviceProfile profile: null
    property LumBot bot: null
    // The session, for the export of the configuration.
    property LumSession session: null
    // Asks before unsaved changes are replaced or a file is overwritten.
    property OrvConfirmation confirmation: null
    // Says why a configuration is not saved.
    property OrvLazyDialog messageDialog: null

    // Saves the configuration: into the file it came from when `intoOwnFile`
    // is set and it has one, else through the save dialog. `afterSaved`
    // (may be null) runs once it is saved. Settings whose field holds text
    // the setting cannot take are refused, each named with the reason: the
    // file would otherwise keep their old values without a word.
    function save(afterSaved, intoOwnFile) {
        afterSave = null
        if (editorPanel.profile.hasInvalidSettings) {
            editorPanel.messageDialog.show("Nicht gespeichert. Bitte zuerst korrigieren:\n"
                               + editorPanel.profile.invalidSettingsText())
            return
        }
        afterSave = afterSaved
        if (intoOwnFile && editorPanel.profile.fileName !== "")
            saveTo(editorPanel.profile.fileName)
        else
            saveToFileDialog.open()
    }

    function saveTo(path) {
        editorPanel.profile.saveToFile(path)
        // A file that could not be written keeps the changes unsaved; the
        // profile has said why.
        var action = afterSave
        afterSave = null
        if (action && !editorPanel.profile.modified)
            action()
    }

    // The marks of all settings as one check state: none, some or all.
    readonly property int allState: editorPanel.profile.markedCount === 0 ? Qt.Unchecked
        : (editorPanel.profile.markedCount === editorPanel.profile.editableCount ? Qt.Checked : Qt.PartiallyChecked)

    Rectangle {
        id: editorTopRect
        color: "white"
        anchors.top: parent.top
        width: parent.width
        height: editorTopRow.height + editorTools.height + comparisonBar.height
        z: 3

        Row {
            id: editorTopRow
            z: 4
            spacing: 10
            topPadding: 10
            bottomPadding: 10

            OrvCheckBox {
                id: parentBox
                objectName: "parentBox"
                anchors.verticalCenter: parent.verticalCenter
                text: qsTr("Alle")
                checkState: editorPanel.allState
                enabled: !editorPanel.bot.isEnabled && editorPanel.profile.confItemList.length > 1
                // A two-state box: a click on an unmarked editor marks every
                // setting, any other click clears them all. It acts on the
                // settings themselves, not on the rows that happen to exist.
                nextCheckState: function() {
                    return checkState === Qt.Unchecked ? Qt.Checked : Qt.Unchecked
                }
                onClicked: editorPanel.profile.setAllMarked(checkState === Qt.Checked)
            }

            Button {
                id: openButton
                objectName: "openButton"
                text: "Konfigurationsdatei\nöffnen"
                enabled: !editorPanel.bot.isEnabled
                onClicked: editorPanel.confirmation.unlessUnsavedChanges(function() { loadFromFileDialog.open() })
            }

            Button {
                id: saveButton
                objectName: "saveButton"
                text: "Konfigurationsdatei\nspeichern"
                enabled: !editorPanel.bot.isEnabled && editorPanel.profile.confItemList.length > 1
                onClicked: editorPanel.save(null, false)
            }

            OrvExportButton {
                session: editorPanel.session
                confirmation: editorPanel.confirmation
                messageDialog: editorPanel.messageDialog
            }
        }

        OrvEditorTools {
            id: editorTools
            objectName: "editorTools"
            anchors.top: editorTopRow.bottom
            profile: editorPanel.profile
            bot: editorPanel.bot
            availableWidth: editorPanel.width
        }

        // The line after "Vergleichen", made while there is a comparison;
        // its document is read the first time it is shown.
        Loader {
            id: comparisonBar
            objectName: "comparisonBarLoader"
            anchors.top: editorTools.bottom
            active: editorPanel.profile.hasComparison
            source: Qt.resolvedUrl("OrvComparisonBar.qml")
            onLoaded: comparisonBar.item.profile = editorPanel.profile
        }

        Label {
            id: aboutLabel
            objectName: "aboutLabel"
            anchors.right: parent.right
            anchors.bottom: editorTopRow.bottom
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
                profile: editorPanel.profile,
                title: "Konfiguration speichern unter",
                selectExisting: false,
                defaultSuffix: "lumc"
            })
            // A bare name typed into the dialog lands in the folder the
            // dialog shows and gets the ".lumc" ending; an existing file is
            // only replaced when the technician says so.
            onAccepted: {
                console.log("You chose to save: " + item.fileUrl)
                var path = editorPanel.profile.chosenFilePath(item.fileUrl.toString(), item.folder.toString())
                if (path === "")
                    return
                if (!editorPanel.profile.fileExists(path)) {
                    editorPanel.saveTo(path)
                    return
                }
                editorPanel.confirmation.ask("Die Datei \"" + path.replace(/^.*[\/\\]/, "") + "\" gibt es schon.\nErsetzen?",
                                 function() { editorPanel.saveTo(path) })
            }
            onRejected: console.log("Canceled")
        }

        OrvLazyDialog {
            id: loadFromFileDialog
            objectName: "loadFromFileDialogLoader"
            dialogSource: Qt.resolvedUrl("OrvFileDialog.qml")
            dialogProperties: ({
                objectName: "loadFromFileDialog",
                profile: editorPanel.profile,
                title: "Konfiguration öffnen"
            })
            onAccepted: {
                console.log("You chose to load: " + item.fileUrl)
                editorPanel.profile.loadFromFile(editorPanel.profile.chosenFilePath(item.fileUrl.toString(), item.folder.toString()))
            }
            onRejected: console.log("Canceled")
        }

        // Created when first opened; it opens at the band's top-left corner.
        OrvLazyDialog {
            id: messageAbout
            objectName: "messageAboutLoader"
            dialogSource: Qt.resolvedUrl("OrvAboutBox.qml")
            dialogProperties: ({ objectName: "messageAbout" })
        }
    }

    // Only the rows on screen exist: a profile of thousands of entries
    // costs no more to show than one of a few dozen. Each row reads its item
    // from the profile's list, the model.
    ListView {
        id: editorList
        objectName: "editorList"
        z: 1
        anchors.top: editorTopRect.bottom
        anchors.bottom: parent.bottom
        width: parent.width + 20
        clip: true
        spacing: 0
        boundsBehavior: Flickable.StopAtBounds
        model: editorPanel.profile.confItemList
        ScrollBar.vertical: ScrollBar {
            objectName: "editorScrollBar"
            policy: ScrollBar.AlwaysOn
            width: 16
        }

        // What every row takes from the editor, handed to the rows by the
        // list they stand in (a row is made anew whenever it scrolls into
        // view).
        readonly property real rowExtraWidth: editorPanel.extraWidth
        readonly property ItemFilter rowFilter: editorPanel.profile.itemFilter
        readonly property EditHistory rowHistory: editorPanel.profile.editHistory

        // A fresh profile holds only its hint, which the list shows as the
        // line an information row would. The rows' document, the largest of
        // the window's with the value field's behind it, is loaded with the
        // first configuration, not with the window. The list holds the
        // component it is given, and is given another only when the hint
        // comes or goes: a new delegate makes every row anew.
        readonly property bool showsHint: editorPanel.profile.showsHint
        delegate: showsHint ? hintLine : Qt.createComponent("OrvEditorRow.qml")

        Component {
            id: hintLine
            Row {
                id: hintRow
                required property var modelData
                height: implicitHeight + 2
                Label {
                    objectName: "nameLabel"
                    leftPadding: 15
                    topPadding: 5
                    bottomPadding: 5
                    text: hintRow.modelData.menuName
                }
            }
        }

        // Tab moves through the rows' controls; the list follows the focus,
        // so the rows below the screen are made and reached too.
        function showRowOf(focused) {
            for (var row = focused; row; row = row.parent) {
                if (row.parent === editorList.contentItem) {
                    editorList.positionViewAtIndex(row.rowIndex, ListView.Contain)
                    return
                }
            }
        }

        Connections {
            target: editorList.ApplicationWindow.window
            function onActiveFocusItemChanged() {
                editorList.showRowOf(editorList.ApplicationWindow.window.activeFocusItem)
            }
        }
    }
}
