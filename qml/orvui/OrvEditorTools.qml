import QtQuick 2.12
import QtQuick.Controls 2.12
import com.orv.lum 1.0

// The editor's second header line: the search (Ctrl+F), the view, and undo
// and redo of the edits. What is found, what a view holds and what a step
// is, the profile's filter and history say; this only shows and forwards.
Row {
    id: tools
    spacing: 8
    leftPadding: 10
    bottomPadding: 6

    property DeviceProfile profile: null
    property LumBot bot: null
    // The width the line may take.
    property real availableWidth: 480

    readonly property ItemFilter filter: profile ? profile.itemFilter : null
    readonly property EditHistory history: profile ? profile.editHistory : null

    TextField {
        id: searchField
        objectName: "searchField"
        width: Math.max(120, tools.availableWidth - viewBox.width - undoButton.width
                        - redoButton.width - 4 * tools.spacing - tools.leftPadding)
        placeholderText: "Suchen (Strg+F)"
        selectByMouse: true
        text: tools.filter ? tools.filter.searchText : ""
        onTextEdited: tools.filter.searchText = text
    }

    OrvComboBox {
        id: viewBox
        objectName: "viewBox"
        width: 170
        model: tools.filter ? tools.filter.viewNames : []
        currentIndex: tools.filter ? tools.filter.view : 0
        onActivated: function(index) { tools.filter.view = index }
        ToolTip.visible: hovered
        ToolTip.delay: 500
        ToolTip.text: "Welche Einstellungen der Editor zeigt"
    }

    Button {
        id: undoButton
        objectName: "undoButton"
        text: "↶"
        width: 40
        enabled: tools.history !== null && tools.history.canUndo && !tools.bot.isEnabled
        onClicked: tools.history.undo()
        ToolTip.visible: hovered
        ToolTip.delay: 500
        ToolTip.text: "Rückgängig (Strg+Z)"
    }

    Button {
        id: redoButton
        objectName: "redoButton"
        text: "↷"
        width: 40
        enabled: tools.history !== null && tools.history.canRedo && !tools.bot.isEnabled
        onClicked: tools.history.redo()
        ToolTip.visible: hovered
        ToolTip.delay: 500
        ToolTip.text: "Wiederherstellen (Strg+Y)"
    }

    Shortcut {
        sequence: "Ctrl+F"
        onActivated: {
            searchField.forceActiveFocus()
            searchField.selectAll()
        }
    }
    Shortcut {
        sequence: "Ctrl+Z"
        enabled: undoButton.enabled
        onActivated: tools.history.undo()
    }
    Shortcut {
        sequences: ["Ctrl+Y", "Ctrl+Shift+Z"]
        enabled: redoButton.enabled
        onActivated: tools.history.redo()
    }
}
