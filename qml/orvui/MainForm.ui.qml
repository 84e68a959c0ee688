import QtQuick 2.12
import QtQuick.Controls 2.12
import com.orv.lum 1.0

// The window's content: the terminal panel on the left, the read-out and
// transfer buttons in the middle, the configuration editor on the right.
// The form only places its parts and hands each the session's objects it
// shows (the link, the robot, the profile); what they show and do lives in
// the Orv components.
Row {
    id: mainFormRow
    anchors.top: parent.top
    anchors.bottom: parent.bottom
    anchors.horizontalCenter: parent.horizontalCenter
    spacing: 30

    // The window's link, configuration, robot and service record.
    property LumSession session: null
    // The window's message box for errors.
    property OrvLazyDialog messageDialog: null

    // Saves the configuration for the main window when it closes.
    property alias editor: editorPanel

    OrvTerminalPanel {
        id: terminalPanel
        objectName: "terminalPanel"
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        topRowRoom: transferColumn.width + mainFormRow.spacing
        session: mainFormRow.session
        confirmation: confirmationDialog
    }

    // The marks of all settings: unchecked when none is marked.
    QtObject {
        id: activeGroup
        objectName: "activeGroup"
        readonly property int checkState: editorPanel.allState
    }

    OrvTransferButtons {
        id: transferColumn
        anchors.verticalCenter: parent.verticalCenter
        anyMarked: activeGroup.checkState !== Qt.Unchecked
        link: mainFormRow.session.link
        bot: mainFormRow.session.bot
        profile: mainFormRow.session.profile
        session: mainFormRow.session
        confirmation: confirmationDialog
        messageDialog: mainFormRow.messageDialog
        series: mainFormRow.session.series
    }

    OrvConfirmation {
        id: confirmationDialog
        objectName: "confirmationLoader"
        dialogProperties: ({ objectName: "confirmation" })
        profile: mainFormRow.session.profile
    }

    OrvEditor {
        id: editorPanel
        objectName: "editorPanel"
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        // The editor takes the room the window has beside the terminal and
        // the transfer buttons, with a margin on either side.
        width: Math.max(480, mainFormRow.parent.width - terminalPanel.width - transferColumn.width
                        - 2 * mainFormRow.spacing - 60)
        bot: mainFormRow.session.bot
        profile: mainFormRow.session.profile
        session: mainFormRow.session
        confirmation: confirmationDialog
        messageDialog: mainFormRow.messageDialog
    }
}
