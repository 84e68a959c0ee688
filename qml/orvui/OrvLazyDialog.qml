import QtQuick 2.12
import com.orv.lum 1.0

// Holds the place of a dialog and creates it the first time it is needed.
// The dialogs of QtQuick.Dialogs are built from Qt Quick Controls 1
// documents (the file dialog with its folder model and settings); created
// with the window, the four of them took about two thirds of its start-up
// time and a third of its memory, for boxes a technician may never open.
Loader {
    id: lazyDialog

    property url dialogSource
    // Set on the dialog when it is created; give it an objectName here.
    property var dialogProperties: ({})

    signal accepted()
    signal rejected()
    // The third answer of the question about unsaved changes.
    signal discarded()

    function dialog() {
        if (item === null) {
            // The dialogs' buttons and Qt's own dialogs speak German.
            QtGermanTexts.install()
            setSource(dialogSource, dialogProperties)
        }
        return item
    }

    function open() {
        dialog().open()
    }

    // For message boxes: shows `message` as the box's text.
    function show(message) {
        dialog().text = message
        item.open()
    }

    Connections {
        target: lazyDialog.item
        ignoreUnknownSignals: true
        function onAccepted() { lazyDialog.accepted() }
        function onRejected() { lazyDialog.rejected() }
        // A question's answers.
        function onYes() { lazyDialog.accepted() }
        function onNo() { lazyDialog.rejected() }
        function onDiscarded() { lazyDialog.discarded() }
    }
}
