import QtQuick 2.12
import QtQuick.Controls 2.12
import QtTest 1.12

// The editor's search, view, undo and redo, and the way back to the value
// read, on a loaded file (data/editor.lumc).
WindowTestCase {
    name: "EditorTools"

    function init() {
        openWindow()
        loadFixture("editor.lumc")
    }

    // The names of the rows the editor shows, top to bottom.
    function shownRows() {
        var list = control("editorList")
        var names = []
        for (var i = 0; i < rowCount(); ++i) {
            list.positionViewAtIndex(i, ListView.Contain)
            waitForLayout()
            var row = list.itemAtIndex(i)
            verify(row !== null, "row " + i)
            if (row.visible && row.height > 0)
                names.push(item(i).menuName)
        }
        return names.join("|")
    }

    function typeInto(field, text) {
        for (var i = 0; i < text.length; ++i)
            keyClick(text.charAt(i))
    }

    function test_searchFiltersAsOneTypes_data() {
        return [
            { tag: "name, other case", text: "RUFN", shown: "Einstellungen|Notruf|Rufnummer 1" },
            { tag: "section shows its entries", text: "zeiten", shown: "Einstellungen|Notruf|Zeiten|Timerzeit Test" },
            { tag: "value", text: "12:3", shown: "Einstellungen|Notruf|Zeiten|Timerzeit Test" },
            { tag: "value of a top-level setting", text: "norm", shown: "Betriebsart" },
            { tag: "nothing", text: "xyz", shown: "" }
        ]
    }

    function test_searchFiltersAsOneTypes(data) {
        var all = shownRows()
        compare(all.split("|").length, rowCount(), "every row before a search")
        keySequence("Ctrl+F")
        var field = control("searchField")
        tryVerify(function() { return field.activeFocus }, 5000, "Ctrl+F goes to the search")
        typeInto(field, data.text)
        compare(shownRows(), data.shown)
        field.selectAll()
        keyClick(Qt.Key_Backspace)
        compare(shownRows(), all, "every row again")
    }

    // A value typed while "markiert/geändert" is chosen brings its row.
    function test_viewOfMarkedOrChanged() {
        var viewBox = control("viewBox")
        viewBox.popup.open()
        tryCompare(viewBox.popup, "opened", true, 5000)
        mouseClick(viewBox.popup.contentItem.itemAtIndex(1))
        tryCompare(viewBox.popup, "visible", false, 5000)
        compare(viewBox.displayText, "markiert/geändert")
        compare(shownRows(), "")
        item(3).editValue("0301234568")
        compare(shownRows(), "Einstellungen|Notruf|Rufnummer 1")
    }

    // A typed value is undone with the mark it set, in the field too, by the
    // button and by the keys; and done again.
    function test_undoAndRedoOfAValue() {
        var field = rowControl(3, "numberField")
        field.forceActiveFocus()
        field.cursorPosition = field.text.length
        keyClick("9")
        compare([item(3).value, item(3).active], ["03012345679", true])
        // In the field, too, the keys undo the edit, not only the typing.
        keySequence("Ctrl+Z")
        compare([item(3).value, item(3).active, rowControl(3, "numberField").text], ["0301234567", false, "0301234567"])
        verify(!control("undoButton").enabled && control("redoButton").enabled)
        control("editorList").forceActiveFocus()
        keySequence("Ctrl+Y")
        compare([item(3).value, item(3).active], ["03012345679", true])
        mouseClick(control("undoButton"))
        compare([item(3).value, item(3).active], ["0301234567", false])
        keySequence("Ctrl+Shift+Z")
        compare([item(3).value, item(3).active], ["03012345679", true])
    }

    // "Alle" is one step: one undo clears every mark it set.
    function test_undoOfAlle() {
        mouseClick(control("parentBox"))
        compare(deviceProfile.markedCount, deviceProfile.editableCount)
        keySequence("Ctrl+Z")
        compare(deviceProfile.markedCount, 0)
        compare(control("parentBox").checkState, Qt.Unchecked)
        keySequence("Ctrl+Y")
        compare(deviceProfile.markedCount, deviceProfile.editableCount)
    }

    // A changed value stands out with the value read; its button brings
    // that value back, unmarked as it was read.
    function test_resetToTheValueRead() {
        verify(rowControl(3, "resetButton", true) === null, "no reset while unchanged")
        var band = findChild(control("editorList").itemAtIndex(3), "rowBand")
        var plain = band.color.toString()
        item(3).editValue("0800")
        var reset = rowControl(3, "resetButton")
        verify(reset.text.indexOf("0301234567") >= 0, reset.text)
        verify(band.color.toString() !== plain, "a changed value stands out")
        mouseClick(reset)
        compare([item(3).value, item(3).active], ["0301234567", false])
        compare(rowControl(3, "numberField").text, "0301234567")
        tryVerify(function() { return rowControl(3, "resetButton", true) === null }, 5000, "no reset once back")
        compare(band.color.toString(), plain)
    }
}
