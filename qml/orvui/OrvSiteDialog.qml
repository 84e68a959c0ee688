import QtQuick 2.12
import QtQuick.Controls 2.12
import com.orv.lum 1.0

// "Anlage und Techniker": the site and the technician the protocols name.
// The session remembers them; this only asks.
Dialog {
    id: siteDialog
    parent: Overlay.overlay
    anchors.centerIn: Overlay.overlay
    modal: true
    title: "Anlage und Techniker"
    standardButtons: Dialog.Ok | Dialog.Cancel

    property LumSession session: null

    onAboutToShow: {
        siteField.text = siteDialog.session.record.site
        technicianField.text = siteDialog.session.record.technician
        siteField.forceActiveFocus()
    }
    onAccepted: siteDialog.session.setSiteAndTechnician(siteField.text, technicianField.text)

    contentItem: Grid {
        columns: 2
        spacing: 10
        verticalItemAlignment: Grid.AlignVCenter
        Label { text: "Anlage" }
        TextField {
            id: siteField
            objectName: "siteField"
            width: 320
            selectByMouse: true
            placeholderText: "z. B. Haus Süd, Aufzug 2"
            onAccepted: siteDialog.accept()
        }
        Label { text: "Techniker" }
        TextField {
            id: technicianField
            objectName: "technicianField"
            width: 320
            selectByMouse: true
            onAccepted: siteDialog.accept()
        }
    }
}
