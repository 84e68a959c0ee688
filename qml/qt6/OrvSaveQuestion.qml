import QtQuick
import QtQuick.Dialogs

// Asks what becomes of unsaved changes before they would be lost: save them
// (the dialog's accept), discard them, or cancel (its reject).
MessageDialog {
    id: saveQuestion
    title: "ORV Programmiersoftware"
    text: "..."
    buttons: MessageDialog.Save | MessageDialog.Discard | MessageDialog.Cancel

    signal discarded()

    // The discard button, also for the tests.
    function chooseDiscard() {
        close()
        discarded()
    }

    onButtonClicked: function(button, role) {
        if (button === MessageDialog.Discard)
            chooseDiscard()
    }
}
