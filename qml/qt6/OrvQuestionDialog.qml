import QtQuick
import QtQuick.Dialogs

// The program's yes-or-no question before something is discarded or
// overwritten. Yes is the dialog's accept, no its reject.
MessageDialog {
    title: "ORV Programmiersoftware"
    text: "..."
    buttons: MessageDialog.Yes | MessageDialog.No
}
