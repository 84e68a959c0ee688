import QtQuick 2.12
import QtQuick.Controls 2.12
import QtQuick.Layouts 1.12
import com.orv.lum 1.0

// "Verlauf": the copies the service record keeps of every read-out, newest
// first, by default only those of the device at hand (a box shows all).
// From a row: open the copy, compare it with the device, restore it (open
// and mark what differs on the device, ready to transfer), or write its
// protocol "as found" and show it. The list is the record's HistoryList;
// what each action does, the session and the record do.
Dialog {
    id: historyDialog
    objectName: "historyDialog"
    title: "Verlauf"
    modal: true
    parent: Overlay.overlay
    anchors.centerIn: Overlay.overlay
    width: 720
    height: 480

    property LumSession session: null
    // Asks before unsaved changes are replaced.
    property OrvConfirmation confirmation: null
    // Says why a copy could not be opened or its protocol written.
    property OrvLazyDialog messageDialog: null

    readonly property HistoryList history: historyDialog.session ? historyDialog.session.record.history : null
    readonly property string selectedPath: historyDialog.history && historyList.currentIndex >= 0
                                           ? historyDialog.history.path(historyList.currentIndex) : ""
    // Comparing needs the device connected and the robot idle.
    readonly property bool deviceFree: historyDialog.session !== null
                                       && historyDialog.session.link.terminalIsReady
                                       && !historyDialog.session.bot.isEnabled

    onAboutToShow: {
        historyDialog.history.refresh()
        historyList.currentIndex = historyDialog.history.count > 0 ? 0 : -1
    }

    // Opens the selected copy (and compares it with the device), once the
    // technician has let go of unsaved changes.
    function openSelected(compare) {
        var path = historyDialog.selectedPath
        historyDialog.confirmation.unlessUnsavedChanges(function() {
            if (historyDialog.session.openHistoryCopy(path, compare))
                historyDialog.close()
        })
    }

    function writeProtocol() {
        var written = historyDialog.session.record.writeCopyProtocol(historyDialog.selectedPath)
        if (written !== "")
            Qt.openUrlExternally(historyDialog.session.record.lastProtocolUrl)
    }

    contentItem: ColumnLayout {
        spacing: 8

        Row {
            spacing: 16
            OrvCheckBox {
                id: showAllBox
                objectName: "historyShowAll"
                text: "Alle Geräte zeigen"
                checked: historyDialog.history ? historyDialog.history.showAll : false
                enabled: historyDialog.history !== null && historyDialog.history.deviceIdentifier !== ""
                onToggled: historyDialog.history.showAll = checked
            }
            Label {
                objectName: "historyFilterLabel"
                anchors.verticalCenter: parent.verticalCenter
                text: !historyDialog.history ? ""
                      : historyDialog.history.filtersByDevice
                        ? "Nur " + historyDialog.history.deviceIdentifier
                          + (historyDialog.history.serialNumber !== ""
                             ? ", Seriennummer " + historyDialog.history.serialNumber : "")
                        : "Alle Kopien im Verlauf"
            }
        }

        Row {
            id: headRow
            spacing: 0
            Repeater {
                model: [["Gerät", 260], ["Seriennummer", 180], ["Datum", 120], ["Uhrzeit", 80]]
                Label {
                    required property var modelData
                    width: modelData[1]
                    text: modelData[0]
                    font.bold: true
                    leftPadding: 6
                }
            }
        }

        ListView {
            id: historyList
            objectName: "historyList"
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            model: historyDialog.history
            currentIndex: -1
            // A double click on a row opens its copy.
            signal rowOpened()
            onRowOpened: historyDialog.openSelected(false)
            ScrollBar.vertical: ScrollBar { policy: ScrollBar.AsNeeded }

            delegate: ItemDelegate {
                id: historyRow
                required property int index
                required property string device
                required property string serialNumber
                required property string date
                required property string time
                objectName: "historyRow" + historyRow.index
                width: historyRow.ListView.view.width
                height: 30
                leftPadding: 0
                highlighted: historyRow.ListView.isCurrentItem
                // The selected row plainly marked: the buttons act on it.
                background: Rectangle {
                    color: historyRow.highlighted ? "#cfe2f5" : (historyRow.hovered ? "#f0f0f0" : "transparent")
                }
                onClicked: historyRow.ListView.view.currentIndex = historyRow.index
                onDoubleClicked: {
                    historyRow.ListView.view.currentIndex = historyRow.index
                    historyRow.ListView.view.rowOpened()
                }
                contentItem: Row {
                    Label { width: 260; leftPadding: 6; text: historyRow.device; elide: Text.ElideRight }
                    Label { width: 180; leftPadding: 6; text: historyRow.serialNumber !== "" ? historyRow.serialNumber : "–" }
                    Label { width: 120; leftPadding: 6; text: historyRow.date }
                    Label { width: 80; leftPadding: 6; text: historyRow.time }
                }
            }

            Label {
                objectName: "historyEmpty"
                anchors.centerIn: parent
                visible: historyList.count === 0
                text: "Keine Kopie im Verlauf."
            }
        }
    }

    // The actions on the selected row; none of them closes the list except
    // by opening a copy.
    footer: DialogButtonBox {
        alignment: Qt.AlignRight
        Button {
            objectName: "historyOpen"
            DialogButtonBox.buttonRole: DialogButtonBox.ActionRole
            text: "Öffnen"
            enabled: historyDialog.selectedPath !== "" && !historyDialog.session.bot.isEnabled
            onClicked: historyDialog.openSelected(false)
            ToolTip.visible: hovered
            ToolTip.delay: 500
            ToolTip.text: "Die Kopie im Editor öffnen"
        }
        Button {
            objectName: "historyCompare"
            DialogButtonBox.buttonRole: DialogButtonBox.ActionRole
            text: "Mit Gerät vergleichen"
            enabled: historyDialog.selectedPath !== "" && historyDialog.deviceFree
            onClicked: historyDialog.openSelected(true)
            ToolTip.visible: hovered
            ToolTip.delay: 500
            ToolTip.text: "Die Kopie öffnen und mit dem verbundenen Gerät vergleichen"
        }
        Button {
            objectName: "historyRestore"
            DialogButtonBox.buttonRole: DialogButtonBox.ActionRole
            text: "Wiederherstellen"
            enabled: historyDialog.selectedPath !== "" && historyDialog.deviceFree
            onClicked: historyDialog.openSelected(true)
            ToolTip.visible: hovered
            ToolTip.delay: 500
            ToolTip.text: "Die Kopie öffnen und alles markieren, was im Gerät anders ist;\n"
                          + "danach überträgt „Konfiguration übertragen“ die Kopie zurück"
        }
        Button {
            objectName: "historyProtocol"
            DialogButtonBox.buttonRole: DialogButtonBox.ActionRole
            text: "Protokoll"
            enabled: historyDialog.selectedPath !== ""
            onClicked: historyDialog.writeProtocol()
            ToolTip.visible: hovered
            ToolTip.delay: 500
            ToolTip.text: "Das Protokoll „Vorgefunden“ dieser Kopie als PDF schreiben und zeigen"
        }
        Button {
            objectName: "historyClose"
            text: "Schließen"
            DialogButtonBox.buttonRole: DialogButtonBox.RejectRole
        }
    }
}
