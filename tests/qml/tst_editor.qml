import QtQuick 2.12
import QtQuick.Controls 2.12
import QtTest 1.12

// The configuration editor on a loaded file (data/editor.lumc):
//  0 section Einstellungen (1)        6 Uhrzeit, PC time (2)
//  1 section Notruf (2)               7 Datum, PC date (2)
//  2 Notrufende, selection (3)        8 Seriennummer, readonly (2)
//  3 Rufnummer 1, number (3)          9 Service-Center, blocked (2)
//  4 section Zeiten (3)              10 info Version 2.1 (2)
//  5 Timerzeit Test, time (4)        11 info Hinweis (1)
//                                    12 Betriebsart, selection (1)
//                                    13 section Reset-Optionen, not read out (1)
WindowTestCase {
    name: "Editor"

    readonly property var valueControls: ["selector", "numberField", "timeField", "systemTimeField", "systemDateField",
        "valueText", "skippedHint"]

    function init() {
        openWindow()
        loadFixture("editor.lumc")
        compare(rowCount(), 14)
    }

    function item(index) {
        return deviceProfile.confItemList[index]
    }

    function test_rowShowsControlOfItsType_data() {
        return [
            { tag: "section at level 1", index: 0, shown: "", label: 465, outer: 0, band: "#0071BB", textColor: "#ffffff" },
            { tag: "section at level 2", index: 1, shown: "", label: 435, outer: 30, band: "#0071BB", textColor: "#ffffff" },
            { tag: "selection at level 3 with tooltip", index: 2, shown: "selector", outer: 30, width: 220, band: "#FFF1C6" },
            { tag: "number at level 3", index: 3, shown: "numberField", outer: 30, width: 220, band: "#FFFFFF" },
            { tag: "section at level 3", index: 4, shown: "", label: 405, outer: 60, band: "#0071BB", textColor: "#ffffff" },
            { tag: "time at level 4", index: 5, shown: "timeField", outer: 60, width: 190, band: "#FFFFFF" },
            { tag: "PC time at level 2, a fixed text", index: 6, shown: "systemTimeField", outer: 0, width: 250, band: "#FFFFFF", text: "auf PC-Zeit setzen" },
            { tag: "PC date at level 2, a fixed text", index: 7, shown: "systemDateField", outer: 0, width: 250, band: "#FFFFFF", text: "auf PC-Datum setzen" },
            { tag: "readonly shows its value", index: 8, shown: "valueText", label: 215, outer: 30, band: "#FFFFFF", textColor: "#000000", text: "123" },
            { tag: "blocked says it is not read", index: 9, shown: "skippedHint", label: 215, outer: 30, band: "#FFFFFF", textColor: "#000000", text: "wird nicht ausgelesen" },
            { tag: "info at level 2", index: 10, shown: "", label: 170, outer: 30, band: "#FFFFFF", textColor: "#000000" },
            { tag: "info at level 1", index: 11, shown: "", label: 200, outer: 0, band: "#FFFFFF", textColor: "#000000" },
            { tag: "selection at level 1 not pushed out", index: 12, shown: "selector", outer: 0, width: 250, band: "#FFFFFF" },
            { tag: "section not read out says so", index: 13, shown: "skippedHint", label: 245, outer: 0, band: "#0071BB", textColor: "#ffffff", text: "wird nicht ausgelesen" }
        ]
    }

    // Each row creates the controls of its type and no others; a wider
    // editor gives its extra width to the names and the value controls.
    function test_rowShowsControlOfItsType(data) {
        var extra = control("editorPanel").extraWidth
        var r = row(data.index)
        compare(r.leftPadding, data.outer, "outer indentation")
        verify(Qt.colorEqual(rowControl(data.index, "rowBand").color, data.band), "band colour")
        var editable = item(data.index).editable
        var markBox = rowControlOrNull(data.index, "markBox")
        compare(markBox !== null, editable, "check box for settings only")
        var label = rowControlOrNull(data.index, "nameLabel")
        compare(label !== null, data.label !== undefined, "label")
        var names = valueControls
        for (var i = 0; i < names.length; ++i)
            compare(rowControlOrNull(data.index, names[i]) !== null, names[i] === data.shown, names[i])
        var valueWidth = 210 + extra / 2
        if (label !== null) {
            var grows = data.text !== undefined ? extra / 2 : extra
            compare(label.width, data.label + grows, "label width")
            compare(label.text, item(data.index).menuName)
            verify(Qt.colorEqual(label.color, data.textColor), "label colour")
        } else {
            compare(markBox.width, data.width + extra / 2, "check box width")
            compare(markBox.text, item(data.index).menuName)
        }
        if (data.shown !== "")
            compare(rowControl(data.index, data.shown).width, valueWidth)
        if (data.text !== undefined)
            compare(rowControl(data.index, data.shown).text, data.text)
        if (data.shown.indexOf("system") === 0)
            verify(!rowControl(data.index, data.shown).enabled, "fixed text")
    }

    function test_editorWidthFollowsTheWindow() {
        var panel = control("editorPanel")
        var narrow = panel.width
        win.width = 1600
        tryVerify(function() { return panel.width === narrow + 320 }, 5000, "editor widened with the window")
        waitForLayout()
        compare(rowControl(5, "timeField").width, 210 + panel.extraWidth / 2)
        verify(panel.extraWidth > 0)
    }

    function test_valueControlsOfAllLevelsLineUp() {
        var column = control("editorList").contentItem
        var shown = { 2: "selector", 3: "numberField", 5: "timeField", 6: "systemTimeField", 7: "systemDateField",
                      8: "valueText", 9: "skippedHint", 12: "selector", 13: "skippedHint" }
        var x = -1
        for (var index in shown) {
            var c = rowControl(index, shown[index])
            var left = c.mapToItem(column, 0, 0).x
            if (x < 0)
                x = left
            compare(left, x, "value control of row " + index)
        }
        // Section bands and setting bands end at one right edge.
        var right = -1
        var rows = [0, 1, 2, 3, 4, 5, 6, 7, 12, 13]
        for (var i = 0; i < rows.length; ++i) {
            var band = rowControl(rows[i], "rowBand")
            var edge = band.mapToItem(column, band.width, 0).x
            if (right < 0)
                right = edge
            compare(edge, right, "right edge of row " + rows[i])
        }
    }

    // Also a second file of the same length loaded over the first.
    function test_loadedRowsAreNotMarked_data() {
        return [ { tag: "first file", file: "", choice: "Befreiung" },
                 { tag: "another file of the same length", file: "editor-reordered.lumc", choice: "Nein" } ]
    }

    function test_loadedRowsAreNotMarked(data) {
        if (data.file !== "") {
            deviceProfile.loadFromFile(Qt.resolvedUrl("data/" + data.file).toString())
            tryCompare(item(2), "value", data.choice)
            compare(rowCount(), 14)
        }
        for (var i = 0; i < rowCount(); ++i)
            verify(!item(i).active, "row " + i)
        compare(control("activeGroup").checkState, Qt.Unchecked)
        compare(item(2).value, data.choice)
        compare(rowControl(2, "selector").currentText, data.choice)
        compare(item(3).value, "0301234567")
    }

    function chooseOption(selector, index) {
        selector.popup.open()
        tryCompare(selector.popup, "opened", true, 5000)
        var list = selector.popup.contentItem
        var delegate = list.itemAtIndex(index)
        verify(delegate !== null, "option " + index)
        mouseClick(delegate)
        tryCompare(selector.popup, "visible", false, 5000)
    }

    function test_selectorMarksOnlyADifferentChoice_data() {
        return [
            { tag: "initial option does not mark", choices: [1], value: "Befreiung", active: false },
            { tag: "other option marks", choices: [2], value: "Quittung", active: true },
            { tag: "back to the initial option keeps the mark", choices: [0, 1], value: "Befreiung", active: true }
        ]
    }

    function test_selectorMarksOnlyADifferentChoice(data) {
        var selector = rowControl(2, "selector")
        for (var i = 0; i < data.choices.length; ++i)
            chooseOption(selector, data.choices[i])
        compare(item(2).value, data.value)
        compare(item(2).active, data.active)
        compare(selector.currentText, data.value)
        compare(rowControl(2, "markBox").checked, data.active)
    }

    function typeInto(field, keys) {
        field.forceActiveFocus()
        field.cursorPosition = field.length
        for (var i = 0; i < keys.length; ++i)
            keyClick(keys[i])
    }

    function test_textFieldsFilterAndMark_data() {
        return [
            { tag: "number: a digit marks", index: 3, field: "numberField", keys: ["8"], text: "03012345678", active: true },
            { tag: "number: mark stays when text returns", index: 3, field: "numberField", keys: ["8", Qt.Key_Backspace], text: "0301234567", active: true },
            { tag: "number: hash and star accepted", index: 3, field: "numberField", keys: ["#", "*"], text: "0301234567#*", active: true },
            { tag: "number: letters refused", index: 3, field: "numberField", keys: ["a", "Z"], text: "0301234567", active: false },
            { tag: "time: half-typed time not stored", index: 5, field: "timeField", clear: true, keys: ["0", "1"], text: "01", value: "12:30", active: false, refused: true },
            { tag: "time: complete time stored", index: 5, field: "timeField", clear: true, keys: ["0", "1", ":", "0", "0"], text: "01:00", active: true },
            { tag: "time: letters refused", index: 5, field: "timeField", keys: [Qt.Key_Backspace, "x"], text: "12:3", value: "12:30", active: false, refused: true },
            { tag: "time: a fifth digit refused", index: 5, field: "timeField", keys: ["9"], text: "12:30", active: false },
            { tag: "number: a 33rd character refused", index: 3, field: "numberField", clear: true,
              keys: "012345678901234567890123456789012".split(""), text: "01234567890123456789012345678901", active: true }
        ]
    }

    function test_textFieldsFilterAndMark(data) {
        var field = rowControl(data.index, data.field)
        if (data.clear) {
            field.forceActiveFocus()
            field.selectAll()
            keyClick(Qt.Key_Delete)
        }
        typeInto(field, data.keys)
        compare(field.text, data.text)
        // A text the core refuses is not stored, does not mark the setting
        // and is framed red.
        compare(item(data.index).value, data.value === undefined ? data.text : data.value, "value follows valid text")
        compare(item(data.index).active, data.active)
        var frame = findChild(field, "fieldFrame")
        verify(frame !== null, "frame")
        compare(Qt.colorEqual(frame.border.color, "red"), data.refused === true, "red frame")
    }

    function test_valueChangedOutsideEditorMarksAndShows() {
        item(2).value = "Auflegen"
        compare(rowControl(2, "selector").currentText, "Auflegen")
        verify(item(2).active, "selection marked")
        item(3).value = "112"
        compare(rowControl(3, "numberField").text, "112")
        verify(item(3).active, "number marked")
    }

    function test_checkBoxSetsAndClearsTheMark() {
        var box = rowControl(3, "markBox")
        mouseClick(box)
        verify(item(3).active)
        compare(control("activeGroup").checkState, Qt.PartiallyChecked)
        mouseClick(box)
        verify(!item(3).active)
        compare(control("activeGroup").checkState, Qt.Unchecked)
        // The box still follows the item after the user's clicks.
        item(3).active = true
        verify(box.checked)
        compare(control("activeGroup").checkState, Qt.PartiallyChecked)
    }

    function test_alleMarksAndClearsEverySetting() {
        // "Alle" acts on the settings, also on those whose rows are not on
        // screen: a short editor shows only a few rows.
        var list = control("editorList")
        list.cacheBuffer = 0
        list.anchors.bottom = undefined
        list.height = 150
        list.positionViewAtBeginning()
        waitForLayout()
        compare(list.itemAtIndex(12), null, "last row not on screen")
        var editableRows = [2, 3, 5, 6, 7, 12]
        var parentBox = control("parentBox")
        verify(parentBox.enabled)
        mouseClick(parentBox)
        for (var i = 0; i < rowCount(); ++i)
            compare(item(i).active, editableRows.indexOf(i) >= 0, "row " + i + " after marking")
        compare(control("activeGroup").checkState, Qt.Checked)
        compare(parentBox.checkState, Qt.Checked)
        mouseClick(parentBox)
        for (var j = 0; j < rowCount(); ++j)
            verify(!item(j).active, "row " + j + " after clearing")
        compare(control("activeGroup").checkState, Qt.Unchecked)
        verify(!control("uploadButton").enabled)
    }

    function test_tooltipShowsOnTheYellowBand() {
        var area = rowControl(2, "tooltipMouseArea")
        compare(rowControlOrNull(3, "tooltipMouseArea"), null, "no tooltip area without a tooltip")
        mouseMove(area, area.width - 3, area.height / 2)
        tryCompare(area, "containsMouse", true, 5000)
        tryVerify(function() { return area.ToolTip.toolTip.visible }, 5000, "tooltip shown")
        compare(area.ToolTip.toolTip.text, item(2).tooltip)
        // The band lets clicks through to the controls.
        mouseClick(rowControl(2, "markBox"))
        verify(item(2).active)
    }
}
