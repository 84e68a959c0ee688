import QtQuick 2.12
import QtQuick.Controls 2.12
import com.orv.lum 1.0
import "orvui"

ApplicationWindow {
    id: window
    objectName: "window"
    visible: true
    visibility: "Maximized"
    // The open file's name, and a star while the configuration has changes
    // that are not saved.
    title: qsTr("ORV Programmiersoftware ") + Qt.application.version
           + (deviceProfile.fileName !== "" ? " – " + deviceProfile.fileName.replace(/^.*[\/\\]/, "") : "")
           + (deviceProfile.modified ? " *" : "")
    minimumWidth: 1024
    minimumHeight: 640

    // A running job and unsaved changes are dealt with before the window
    // goes (and with it the program).
    onClosing: function(close) { closeGuard.handleClosing(close) }

    KelHandler {
        id: kelHandler
        objectName: "kelHandler"
    }

    DeviceProfile {
        id: deviceProfile
        objectName: "deviceProfile"
        // A file that could not be written or read must not pass unnoticed:
        // the technician would otherwise believe the configuration was kept.
        onFileError: {
            messageDialog.show(deviceProfile.lastErrorString())
        }
    }

    LumBot {
        id: lumBot
        objectName: "lumBot"
        kelHandler: kelHandler
        profile: deviceProfile
        onTransmissionError: {
            messageDialog.show(lumBot.lastErrorString())
        }
    }

    // Keeps a copy of every read-out in "Kestrom LUM/Verlauf" and a report of
    // every transfer in "Kestrom LUM/Protokolle". A copy or report that
    // cannot be written is said, but the job itself stands.
    ServiceRecord {
        id: serviceRecord
        objectName: "serviceRecord"
        bot: lumBot
        onRecordFailed: {
            messageDialog.show(serviceRecord.lastError)
        }
    }

    MainForm {
        id: mainForm
        objectName: "mainForm"
    }

    OrvCloseGuard {
        id: closeGuard
        objectName: "closeGuard"
        window: window
        editor: mainForm.editor
    }

    OrvLazyDialog {
        id: messageDialog
        objectName: "messageDialogLoader"
        dialogSource: Qt.resolvedUrl("orvui/OrvMessageDialog.qml")
        dialogProperties: ({ objectName: "messageDialog" })
    }
}
