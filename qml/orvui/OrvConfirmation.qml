import QtQuick 2.12
import com.orv.lum 1.0

// Asks before an action that discards or overwrites something, and runs the
// action only when the technician answers yes.
OrvLazyDialog {
    id: confirmation

    property var pendingAction: null
    // The configuration whose unsaved changes are asked about.
    property DeviceProfile profile: null

    dialogSource: Qt.resolvedUrl("OrvQuestionDialog.qml")

    function ask(question, action) {
        pendingAction = action
        show(question)
    }

    // Asks only when the configuration on screen has unsaved changes.
    function unlessUnsavedChanges(action) {
        if (!confirmation.profile.modified) {
            action()
            return
        }
        ask("Die Konfiguration wurde geändert und nicht gespeichert.\nÄnderungen verwerfen?", action)
    }

    onAccepted: {
        var action = pendingAction
        pendingAction = null
        if (action)
            action()
    }
    onRejected: pendingAction = null
}
