import QtQuick 2.12
import QtQuick.Controls 2.12
import com.orv.lum 1.0

// The editor's line after "Vergleichen": how many settings the device holds
// otherwise, a box that shows only those, and a button that ends the
// comparison. The editor shows it while the configuration is compared. The profile
// holds the comparison and its filter the view; this only shows them.
Row {
    id: bar
    objectName: "comparisonBar"
    spacing: 10
    leftPadding: 10
    bottomPadding: 6

    property DeviceProfile profile: null
    readonly property ItemFilter filter: profile ? profile.itemFilter : null
    readonly property int differences: profile ? profile.differenceCount : 0

    Label {
        id: summary
        objectName: "comparisonSummary"
        anchors.verticalCenter: parent.verticalCenter
        text: bar.differences === 0 ? "Verglichen: das Gerät hält die Werte der Datei."
              : (bar.differences === 1 ? "Verglichen: 1 Einstellung weicht ab (markiert)."
                                       : "Verglichen: " + bar.differences + " Einstellungen weichen ab (markiert).")
        color: bar.differences === 0 ? "#006000" : "#B00000"
        font.bold: true
    }

    OrvCheckBox {
        id: onlyDifferencesBox
        objectName: "onlyDifferencesBox"
        anchors.verticalCenter: parent.verticalCenter
        text: "nur Unterschiede"
        checked: bar.filter !== null && bar.filter.view === ItemFilter.Differences
        onToggled: bar.filter.view = onlyDifferencesBox.checked ? ItemFilter.Differences : ItemFilter.All
    }

    Button {
        id: endButton
        objectName: "endComparisonButton"
        anchors.verticalCenter: parent.verticalCenter
        flat: true
        text: "Vergleich ausblenden"
        onClicked: bar.profile.clearComparison()
        ToolTip.visible: hovered
        ToolTip.delay: 500
        ToolTip.text: "Die Werte des Geräts nicht mehr zeigen; die Markierungen bleiben"
    }
}
