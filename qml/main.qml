import QtQuick 2.12
import QtQuick.Controls 2.12
import QtQuick.Window 2.12
import com.orv.lum 1.0
import "orvui"

ApplicationWindow {
    id: window
    objectName: "window"
    visible: true
    visibility: Window.Maximized
    // The open file's name, and a star while the configuration has changes
    // that are not saved.
    title: qsTr("ORV Programmiersoftware ") + Qt.application.version
           + (window.session.profile.fileName !== ""
              ? " – " + window.session.profile.fileName.replace(/^.*[\/\\]/, "") : "")
           + (window.session.profile.modified ? " *" : "")
    minimumWidth: 1024
    minimumHeight: 640

    // The link, the configuration, the robot and the service record: the
    // program makes them and hands them to the window, which shows them.
    required property LumSession session

    // A running job and unsaved changes are dealt with before the window
    // goes (and with it the program).
    onClosing: function(close) { closeGuard.handleClosing(close) }

    Connections {
        target: window.session.profile
        // A file that could not be written or read must not pass unnoticed:
        // the technician would otherwise believe the configuration was kept.
        function onFileError() {
            messageBox.show(window.session.profile.lastErrorString())
        }
    }

    Connections {
        target: window.session.bot
        function onTransmissionError() {
            messageBox.show(window.session.bot.lastErrorString())
        }
    }

    // The service record keeps a copy of every read-out in "Kestrom
    // LUM/Verlauf" and a report of every transfer in "Kestrom LUM/Protokolle".
    // A copy or report that cannot be written is said, but the job itself
    // stands.
    Connections {
        target: window.session.record
        function onRecordFailed() {
            messageBox.show(window.session.record.lastError)
        }
    }

    MainForm {
        id: mainForm
        objectName: "mainForm"
        session: window.session
        messageDialog: messageBox
    }

    OrvCloseGuard {
        id: closeGuard
        objectName: "closeGuard"
        window: window
        editor: mainForm.editor
        bot: window.session.bot
        profile: window.session.profile
    }

    OrvLazyDialog {
        id: messageBox
        objectName: "messageDialogLoader"
        dialogSource: Qt.resolvedUrl("orvui/OrvMessageDialog.qml")
        dialogProperties: ({ objectName: "messageDialog" })
    }
}
