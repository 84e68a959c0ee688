import QtQuick 2.12
import QtQuick.Dialogs 1.3

// Asks what becomes of unsaved changes before they would be lost: save them
// (the dialog's accept), discard them, or cancel (its reject).
MessageDialog {
    id: saveQuestion
    title: "ORV Programmiersoftware"
    text: "..."
    icon: StandardIcon.Question
    standardButtons: StandardButton.Save | StandardButton.Discard | StandardButton.Cancel

    signal discarded()

    // The discard button, also for the tests.
    function chooseDiscard() {
        click(StandardButton.Discard)
    }

    onDiscard: discarded()
}
