import QtQuick 2.12
import QtQuick.Controls 2.12
import com.orv.lum 1.0

// Below the outcome line: the protocol of the last job (named, with a
// button that shows it in the desktop's PDF viewer; after a read-out a
// button that writes it), the site and the technician the protocols name
// (asked for until given once, then remembered and changeable), and the
// "Verlauf" of the read-outs. The record writes and names the files; this
// only shows them and forwards the technician's clicks.
Column {
    id: recordPanel
    spacing: 6

    property LumSession session: null
    // Asks before unsaved changes are replaced (opening a copy).
    property OrvConfirmation confirmation: null

    readonly property ServiceRecord record: recordPanel.session ? recordPanel.session.record : null
    readonly property bool botIdle: recordPanel.session !== null && !recordPanel.session.bot.isEnabled

    function openProtocol() {
        Qt.openUrlExternally(recordPanel.record.lastProtocolUrl)
    }

    Row {
        spacing: 8
        visible: recordPanel.botIdle && (recordPanel.record.lastProtocolFile !== ""
                                         || recordPanel.record.readOutProtocolOffered)
        Label {
            id: protocolLabel
            objectName: "protocolLabel"
            anchors.verticalCenter: parent.verticalCenter
            width: recordPanel.width - protocolButton.width - parent.spacing
            wrapMode: Text.WrapAtWordBoundaryOrAnywhere
            text: recordPanel.record.lastProtocolFile !== ""
                  ? "Protokoll: " + recordPanel.record.lastProtocolFile.replace(/^.*[\/\\]/, "")
                  : "Protokoll der Auslesung:"
        }
        Button {
            id: protocolButton
            objectName: "protocolButton"
            text: recordPanel.record.lastProtocolFile !== "" ? "Öffnen" : "Erstellen"
            onClicked: {
                if (recordPanel.record.lastProtocolFile === ""
                        && recordPanel.record.writeReadOutProtocol() === "")
                    return
                recordPanel.openProtocol()
            }
            ToolTip.visible: hovered
            ToolTip.delay: 500
            ToolTip.text: recordPanel.record.lastProtocolFile !== ""
                          ? "Das Protokoll im PDF-Betrachter zeigen"
                          : "Das Protokoll „Vorgefunden“ der Auslesung als PDF schreiben und zeigen"
        }
    }

    Row {
        spacing: 8
        Button {
            id: historyButton
            objectName: "historyButton"
            text: "Verlauf"
            onClicked: historyDialog.open()
            ToolTip.visible: hovered
            ToolTip.delay: 500
            ToolTip.text: "Die Kopien der Auslesungen: öffnen, vergleichen, wiederherstellen, Protokoll"
        }
        Label {
            id: siteLabel
            objectName: "siteLabel"
            anchors.verticalCenter: parent.verticalCenter
            width: recordPanel.width - historyButton.width - parent.spacing
            wrapMode: Text.WordWrap
            font.underline: true
            color: recordPanel.session.siteAndTechnicianAsked ? palette.windowText : "#c05000"
            text: !recordPanel.session.siteAndTechnicianAsked
                  ? "Anlage und Techniker für die Protokolle angeben"
                  : "Anlage: " + (recordPanel.record.site || "–") + ", Techniker: "
                    + (recordPanel.record.technician || "–")
            MouseArea {
                anchors.fill: parent
                cursorShape: Qt.PointingHandCursor
                onClicked: siteDialog.open()
            }
        }
    }

    // Both boxes are made the first time they are opened.
    OrvLazyDialog {
        id: siteDialog
        objectName: "siteDialogLoader"
        dialogSource: Qt.resolvedUrl("OrvSiteDialog.qml")
        dialogProperties: ({ objectName: "siteDialog", session: recordPanel.session })
    }

    OrvLazyDialog {
        id: historyDialog
        objectName: "historyDialogLoader"
        dialogSource: Qt.resolvedUrl("OrvHistoryDialog.qml")
        dialogProperties: ({
            session: recordPanel.session,
            confirmation: recordPanel.confirmation
        })
    }
}
