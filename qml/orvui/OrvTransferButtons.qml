import QtQuick 2.12
import QtQuick.Controls 2.12
import com.orv.lum 1.0

// Between the device and the editor: read the device's settings out into the
// editor, compare the editor's settings with the device, or transfer the
// marked settings to the device.
Column {
    id: transferColumn
    spacing: 10

    // Whether the editor has at least one setting marked for transfer.
    property bool anyMarked: false

    property KelHandler link: null
    property LumBot bot: null
    property DeviceProfile profile: null
    // Knows the device on the line: whether the configuration belongs to it.
    property LumSession session: null
    // Asks before a read-out replaces unsaved changes.
    property OrvConfirmation confirmation: null
    // Says why a transfer is refused.
    property OrvLazyDialog messageDialog: null
    // Many lifts from one template and a table.
    property SeriesSession series: null

    readonly property real buttonWidth: Math.max(downloadButton.implicitWidth, uploadButton.implicitWidth)

    Button {
        id: downloadButton
        objectName: "downloadButton"
        width: transferColumn.buttonWidth
        text: ">> Auslesen >>"
        enabled: transferColumn.link.terminalIsReady && !transferColumn.bot.isEnabled
        // A read-out replaces the configuration on screen.
        onClicked: transferColumn.confirmation.unlessUnsavedChanges(function() { transferColumn.bot.startDownload() })
        ToolTip.visible: hovered
        ToolTip.delay: 500
        ToolTip.text: "Konfiguration aus dem Gerät auslesen (Strg+R)"
    }

    // Looks up every editable setting of the configuration on the device,
    // without changing any: the editor then shows the device's value beside
    // each, and marks exactly the ones that differ.
    Button {
        id: compareButton
        objectName: "compareButton"
        width: transferColumn.buttonWidth
        text: "Vergleichen"
        enabled: transferColumn.link.terminalIsReady && !transferColumn.bot.isEnabled
                 && transferColumn.profile.editableCount > 0
        onClicked: transferColumn.bot.startCheck(true)
        ToolTip.visible: hovered
        ToolTip.delay: 500
        ToolTip.text: "Einstellungen mit dem Gerät vergleichen; Unterschiede werden markiert"
    }

    Button {
        id: uploadButton
        objectName: "uploadButton"
        width: transferColumn.buttonWidth
        text: "<< Konfiguration\nübertragen <<"
        enabled: transferColumn.link.terminalIsReady && !transferColumn.bot.isEnabled && transferColumn.anyMarked
                 && !transferColumn.session.transferPending
        // The session refuses a configuration with a field it cannot take
        // and asks before writing one of another device (it may read the
        // device's serial number first): the answers come as its signals.
        onClicked: transferColumn.session.transfer()
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

    Connections {
        target: transferColumn.session
        function onTransferRefused(reason) {
            transferColumn.messageDialog.show(reason)
        }
        function onOtherDeviceQuestionAsked(question) {
            transferColumn.confirmation.ask(question, function() { transferColumn.session.transferToOtherDevice() })
        }
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
