import QtQuick 2.12
import QtQuick.Controls 2.12
import com.orv.lum 1.0

// Between the device and the editor: read the device's settings out into the
// editor, or transfer the marked settings to the device.
Column {
    id: transferColumn
    spacing: 10

    // Whether the editor has at least one setting marked for transfer.
    property bool anyMarked: false

    property KelHandler link: null
    property LumBot bot: null
    property DeviceProfile profile: null
    // Asks before a read-out replaces unsaved changes.
    property OrvConfirmation confirmation: null
    // Says why a transfer is refused.
    property OrvLazyDialog messageDialog: null
    // Many lifts from one template and a table.
    property SeriesSession series: null

    Button {
        id: downloadButton
        objectName: "downloadButton"
        width: Math.max(downloadButton.implicitWidth, uploadButton.implicitWidth)
        text: ">> Auslesen >>"
        enabled: transferColumn.link.terminalIsReady && !transferColumn.bot.isEnabled
        // A read-out replaces the configuration on screen.
        onClicked: transferColumn.confirmation.unlessUnsavedChanges(function() { transferColumn.bot.startDownload() })
        ToolTip.visible: hovered
        ToolTip.delay: 500
        ToolTip.text: "Konfiguration aus dem Gerät auslesen (Strg+R)"
    }

    Button {
        id: uploadButton
        objectName: "uploadButton"
        width: Math.max(downloadButton.implicitWidth, uploadButton.implicitWidth)
        text: "<< Konfiguration\nübertragen <<"
        enabled: transferColumn.link.terminalIsReady && !transferColumn.bot.isEnabled && transferColumn.anyMarked
        // A setting whose field holds text it cannot take would be
        // transferred with its old value: refused, each one named.
        onClicked: {
            if (transferColumn.profile.hasInvalidSettings)
                transferColumn.messageDialog.show("Nicht übertragen. Bitte zuerst korrigieren:\n"
                                   + transferColumn.profile.invalidSettingsText())
            else
                transferColumn.bot.startUpload()
        }
        ToolTip.visible: hovered
        ToolTip.delay: 500
        ToolTip.text: "Markierte Einstellungen ins Gerät übertragen (Strg+T)"
    }

    Button {
        id: seriesButton
        objectName: "seriesButton"
        width: Math.max(downloadButton.implicitWidth, uploadButton.implicitWidth)
        text: transferColumn.series.loadedIndex >= 0
              ? "Serie:\n" + transferColumn.series.lifts[transferColumn.series.loadedIndex].name
              : "Serie…"
        onClicked: seriesDialog.open()
        ToolTip.visible: hovered
        ToolTip.delay: 500
        ToolTip.text: "Viele Anlagen aus einer Vorlage und einer Tabelle"
    }

    OrvLazyDialog {
        id: seriesDialog
        objectName: "seriesDialogLoader"
        dialogSource: Qt.resolvedUrl("OrvSeriesDialog.qml")
        dialogProperties: ({
            objectName: "seriesDialog",
            series: transferColumn.series,
            confirmation: transferColumn.confirmation,
            profile: transferColumn.profile
        })
    }

    Shortcut {
        sequence: "Ctrl+R"
        enabled: downloadButton.enabled
        onActivated: downloadButton.clicked()
    }

    Shortcut {
        sequence: "Ctrl+T"
        enabled: uploadButton.enabled
        onActivated: uploadButton.clicked()
    }
}
