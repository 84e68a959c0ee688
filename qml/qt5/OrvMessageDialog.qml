import QtQuick 2.12
import QtQuick.Dialogs 1.3

// The program's message box for errors from the device link, the robot and
// configuration files.
MessageDialog {
    title: "ORV Programmiersoftware"
    text: "..."
}
