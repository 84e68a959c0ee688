import QtQuick 2.12
import QtQuick.Controls 2.12

// Between the device and the editor: read the device's settings out into the
// editor, or transfer the marked settings to the device.
Column {
    id: transferColumn
    spacing: 10

    // Whether the editor has at least one setting marked for transfer.
    property bool anyMarked: false

    Button {
        id: downloadButton
        objectName: "downloadButton"
        width: Math.max(downloadButton.implicitWidth, uploadButton.implicitWidth)
        text: ">> Auslesen >>"
        enabled: kelHandler.terminalIsReady && !lumBot.isEnabled
        // A read-out replaces the configuration on screen.
        onClicked: confirmation.unlessUnsavedChanges(function() { lumBot.startDownload() })
    }

    Button {
        id: uploadButton
        objectName: "uploadButton"
        width: Math.max(downloadButton.implicitWidth, uploadButton.implicitWidth)
        text: "<< Konfiguration\nübertragen <<"
        enabled: kelHandler.terminalIsReady && !lumBot.isEnabled && transferColumn.anyMarked
        // A setting whose field holds text it cannot take would be
        // transferred with its old value: refused, each one named.
        onClicked: {
            if (deviceProfile.hasInvalidSettings)
                messageDialog.show("Nicht übertragen. Bitte zuerst korrigieren:\n"
                                   + deviceProfile.invalidSettingsText())
            else
                lumBot.startUpload()
        }
    }
}
