import QtQuick 2.12
import QtQuick.Controls 2.12
import com.orv.lum 1.0

// "Serie": many lifts from one template and a table of per-lift values. The
// technician opens the two files, picks the lift (the connected device's is
// chosen once a check or read-out has shown its serial number) and loads
// its configuration into the editor; "Vergleichen" and "übertragen" do the
// rest, and the series records the outcome and chooses the next open lift.
// What is allowed and recorded is the series object's; this only shows it.
Dialog {
    id: seriesDialog
    title: "Serie: eine Vorlage, eine Tabelle, viele Anlagen"
    modal: true
    parent: Overlay.overlay
    anchors.centerIn: Overlay.overlay
    contentWidth: seriesColumn.implicitWidth
    contentHeight: seriesColumn.implicitHeight

    footer: DialogButtonBox {
        Button {
            objectName: "seriesCloseButton"
            text: "Schließen"
            DialogButtonBox.buttonRole: DialogButtonBox.RejectRole
        }
    }

    property SeriesSession series: null
    // Asks before the lift's configuration replaces unsaved changes.
    property OrvConfirmation confirmation: null
    // Where the file dialogs start.
    property DeviceProfile profile: null

    Column {
        id: seriesColumn
        spacing: 8

        Row {
            spacing: 6
            Label { width: 70; text: "Vorlage:"; anchors.verticalCenter: parent.verticalCenter }
            TextField {
                id: templateField
                objectName: "seriesTemplateField"
                width: 480
                placeholderText: "Vorlage (.lumc)"
                text: seriesDialog.series.templateFile
            }
            Button {
                text: "…"
                onClicked: templateFileDialog.open()
            }
        }

        Row {
            spacing: 6
            Label { width: 70; text: "Tabelle:"; anchors.verticalCenter: parent.verticalCenter }
            TextField {
                id: tableField
                objectName: "seriesTableField"
                width: 480
                placeholderText: "Tabelle der Anlagen (.csv)"
                text: seriesDialog.series.tableFile
            }
            Button {
                text: "…"
                onClicked: tableFileDialog.open()
            }
        }

        Button {
            objectName: "seriesOpenButton"
            text: "Öffnen"
            enabled: templateField.text !== "" && tableField.text !== ""
            onClicked: seriesDialog.series.open(templateField.text, tableField.text)
        }

        Label {
            objectName: "seriesProblem"
            width: liftList.width
            visible: seriesDialog.series.problemText !== ""
            text: seriesDialog.series.problemText
            color: "firebrick"
            wrapMode: Text.Wrap
        }

        Label {
            objectName: "seriesSummary"
            text: seriesDialog.series.summary
                  + (seriesDialog.series.deviceSerialNumber !== ""
                     ? "\nAngeschlossen: Gerät Nr. " + seriesDialog.series.deviceSerialNumber : "")
        }

        ListView {
            id: liftList
            objectName: "seriesLiftList"
            width: 620
            height: 240
            clip: true
            model: seriesDialog.series.lifts
            currentIndex: seriesDialog.series.currentIndex
            ScrollBar.vertical: ScrollBar {}

            function choose(index) {
                seriesDialog.series.currentIndex = index
            }

            delegate: ItemDelegate {
                required property var modelData
                required property int index
                width: ListView.view.width
                highlighted: ListView.isCurrentItem
                text: modelData.name
                      + (modelData.serialNumber !== "" ? " (Nr. " + modelData.serialNumber + ")" : "")
                      + " – " + modelData.outcome
                      + (modelData.time !== "" ? ", " + modelData.time : "")
                onClicked: ListView.view.choose(index)
            }
        }

        Row {
            spacing: 6
            Button {
                objectName: "seriesLoadButton"
                text: "Anlage laden"
                enabled: seriesDialog.series.isOpen && seriesDialog.series.currentIndex >= 0
                onClicked: seriesDialog.confirmation.unlessUnsavedChanges(function() {
                    if (seriesDialog.series.loadLift())
                        seriesDialog.close()
                })
            }
            Button {
                objectName: "seriesNextButton"
                text: "Nächste offene Anlage"
                enabled: seriesDialog.series.isOpen
                onClicked: seriesDialog.series.currentIndex = seriesDialog.series.nextOpenLift()
            }
        }
    }

    OrvLazyDialog {
        id: templateFileDialog
        dialogSource: Qt.resolvedUrl("OrvFileDialog.qml")
        dialogProperties: ({
            objectName: "seriesTemplateDialog",
            profile: seriesDialog.profile,
            title: "Vorlage der Serie öffnen"
        })
        onAccepted: templateField.text = templateFileDialog.item.fileUrl.toString()
    }

    OrvLazyDialog {
        id: tableFileDialog
        dialogSource: Qt.resolvedUrl("OrvFileDialog.qml")
        dialogProperties: ({
            objectName: "seriesTableDialog",
            profile: seriesDialog.profile,
            title: "Tabelle der Anlagen öffnen",
            nameFilters: ["Tabelle (*.csv)", "Alle Dateien (*)"]
        })
        onAccepted: tableField.text = tableFileDialog.item.fileUrl.toString()
    }
}
