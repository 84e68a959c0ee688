import QtQuick 2.12
import QtQuick.Controls 2.12
import com.orv.lum 1.0

// "Exportieren": the configuration on screen as CSV for the customer's
// spreadsheet, into a file chosen in the save dialog. The session writes it.
Button {
    id: exportButton
    objectName: "exportButton"
    text: "CSV\nexportieren"

    property LumSession session: null
    // Asks before a file is replaced.
    property OrvConfirmation confirmation: null
    // Says why the file could not be written.
    property OrvLazyDialog messageDialog: null

    enabled: exportButton.session !== null && !exportButton.session.bot.isEnabled
             && exportButton.session.profile.confItemList.length > 1
    onClicked: exportDialog.open()
    ToolTip.visible: hovered
    ToolTip.delay: 500
    ToolTip.text: "Die Einstellungen als Tabelle (CSV) für eine Tabellenkalkulation speichern"

    function exportTo(chosen, folder) {
        var error = exportButton.session.exportCsv(chosen, folder)
        if (error !== "")
            exportButton.messageDialog.show(error)
    }

    OrvLazyDialog {
        id: exportDialog
        objectName: "exportDialogLoader"
        dialogSource: Qt.resolvedUrl("OrvFileDialog.qml")
        dialogProperties: ({
            objectName: "exportDialog",
            profile: exportButton.session.profile,
            title: "Als CSV exportieren",
            selectExisting: false,
            nameFilters: ["CSV-Tabelle (*.csv)"],
            defaultSuffix: "csv"
        })
        onAccepted: {
            var chosen = exportDialog.item.fileUrl.toString()
            var folder = exportDialog.item.folder.toString()
            var path = exportButton.session.csvPathFor(chosen, folder)
            if (path === "")
                return
            if (!exportButton.session.profile.fileExists(path)) {
                exportButton.exportTo(chosen, folder)
                return
            }
            exportButton.confirmation.ask("Die Datei \"" + path.replace(/^.*[\/\\]/, "") + "\" gibt es schon.\nErsetzen?",
                                          function() { exportButton.exportTo(chosen, folder) })
        }
    }
}
