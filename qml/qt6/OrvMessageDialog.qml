import QtQuick
import QtQuick.Dialogs

// The program's message box for errors from the device link, the robot and
// configuration files.
MessageDialog {
    title: "ORV Programmiersoftware"
    text: "..."
}
