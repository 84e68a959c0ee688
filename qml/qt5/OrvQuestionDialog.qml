import QtQuick 2.12
import QtQuick.Dialogs 1.3

// The program's yes-or-no question before something is discarded or
// overwritten.
MessageDialog {
    title: "ORV Programmiersoftware"
    text: "..."
    icon: StandardIcon.Question
    standardButtons: StandardButton.Yes | StandardButton.No
}
