import QtQuick 2.12
import QtQuick.Controls 2.12
import QtTest 1.12

// The configuration editor on a loaded file (data/editor.lumc).
WindowTestCase {
    name: "Editor"

    function init() {
        openWindow()
        loadFixture("editor.lumc")
    }

    // Each row creates the one control its value needs, a check box only
    // for settings; fixed settings show their value, blocked ones also why
    // they stay as they are, information lines their second line; nothing
    // loaded is marked. The rows are those of a second file of the same
    // length, loaded over the first while the editor holds its rows.
    function test_rowsShowTheLoadedFile() {
        deviceProfile.loadFromFile(Qt.resolvedUrl("data/editor-reordered.lumc").toString())
        tryCompare(item(2), "value", "Nein")
        verify(item(9).note !== "" && item(13).note !== "", "blocked entries carry a note")
        var expected = ["nameLabel:Einstellungen", "nameLabel:Notruf", "markBox:Notrufende selector:Nein",
            "markBox:Rufnummer 1 numberField:0301234567", "nameLabel:Zeiten", "markBox:Timerzeit Test timeField:12:30",
            "markBox:Uhrzeit systemTimeField:auf PC-Zeit setzen", "markBox:Datum systemDateField:auf PC-Datum setzen",
            "nameLabel:Seriennummer valueText:123",
            "nameLabel:Service-Center valueText:+491710760000 noteText:" + item(9).note,
            "nameLabel:Version valueText:2.1", "nameLabel:Hinweis", "markBox:Betriebsart selector:Service",
            "nameLabel:Reset-Optionen noteText:" + item(13).note]
        var names = ["markBox", "nameLabel", "selector", "numberField", "timeField", "systemTimeField",
            "systemDateField", "valueText", "noteText"]
        compare(rowCount(), expected.length)
        for (var i = 0; i < rowCount(); ++i) {
            var shown = item(i).active ? ["marked"] : []
            for (var n = 0; n < names.length; ++n) {
                var c = rowControl(i, names[n], true)
                if (c !== null)
                    shown.push(names[n] + ":" + (c.displayText !== undefined ? c.displayText : c.text))
            }
            compare(shown.join(" "), expected[i], "row " + i)
        }
        compare(control("activeGroup").checkState, Qt.Unchecked)
    }

    // Choosing the option shown does not mark; another does, and going back
    // to the first keeps the mark.
    function test_selectorMarksOnlyADifferentChoice() {
        var selector = rowControl(2, "selector")
        var choices = [[1, "Befreiung", false], [2, "Quittung", true], [1, "Befreiung", true]]
        for (var i = 0; i < choices.length; ++i) {
            selector.popup.open()
            tryCompare(selector.popup, "opened", true, 5000)
            mouseClick(selector.popup.contentItem.itemAtIndex(choices[i][0]))
            tryCompare(selector.popup, "visible", false, 5000)
            compare([item(2).value, item(2).active, rowControl(2, "markBox").checked],
                    [choices[i][1], choices[i][2], choices[i][2]])
        }
    }

    // What a field takes is what the core's rules for the value type say.
    function test_textFieldsFilterAndMark_data() {
        return [
            { tag: "number: hash and star accepted", index: 3, keys: ["#", "*"], text: "0301234567#*", active: true },
            { tag: "number: letters refused", index: 3, keys: ["a", "Z"], text: "0301234567", active: false },
            { tag: "time: half-typed time not stored", index: 5, clear: true, keys: ["0", "1"], text: "01", value: "12:30", active: false },
            { tag: "time: four digits become hh:mm", index: 5, clear: true, keys: ["0", "9", "1", "5"], text: "09:15", active: true },
            { tag: "time: hours of a duration", index: 5, clear: true, keys: ["4", "8", ":", "0", "0"], text: "48:00", active: true },
            { tag: "time: minutes past 59 not stored", index: 5, clear: true, keys: ["1", "2", ":", "6", "0"], text: "12:60", value: "12:30", active: false },
            { tag: "time: complete time stored", index: 5, clear: true, keys: ["0", "1", ":", "0", "0"], text: "01:00", active: true },
            { tag: "time: letters and a fifth digit refused", index: 5, keys: ["9", Qt.Key_Backspace, "x"], text: "12:3", value: "12:30", active: false },
            { tag: "number: a 33rd character refused", index: 3, clear: true,
              keys: "012345678901234567890123456789012".split(""), text: "01234567890123456789012345678901", active: true }
        ]
    }

    function test_textFieldsFilterAndMark(data) {
        var field = rowControl(data.index, data.index === 3 ? "numberField" : "timeField")
        field.forceActiveFocus()
        if (data.clear) {
            field.selectAll()
            keyClick(Qt.Key_Delete)
        }
        field.cursorPosition = field.length
        for (var i = 0; i < data.keys.length; ++i)
            keyClick(data.keys[i])
        compare(field.text, data.text)
        // A text the core refuses is not stored, does not mark the setting
        // and is framed red, with the core's reason under it.
        compare(item(data.index).value, data.value === undefined ? data.text : data.value, "value follows valid text")
        compare(item(data.index).active, data.active)
        var refused = data.value !== undefined
        compare(Qt.colorEqual(findChild(field, "fieldFrame").border.color, "red"), refused, "red frame")
        compare(item(data.index).problem !== "", refused, "the item names a problem")
        var reason = findChild(field, "problemLine")
        compare([reason.visible, reason.text], [refused, item(data.index).problem], "reason under the field")
    }

    // The rows show what the items hold, whoever changed them.
    function test_editsFromOutsideTheEditorShow() {
        item(2).editValue("Auflegen")
        item(3).editValue("112")
        item(5).editValue("1")
        compare(rowControl(2, "selector").currentText, "Auflegen")
        compare(rowControl(3, "numberField").text, "112")
        var time = rowControl(5, "timeField")
        compare([time.text, item(5).value], ["1", "12:30"])
        verify(Qt.colorEqual(findChild(time, "fieldFrame").border.color, "red"), "red frame")
        verify(item(2).active && item(3).active && !item(5).active, "changed values marked")
        item(5).discardDraft()
        compare(time.text, "12:30")
        verify(!Qt.colorEqual(findChild(time, "fieldFrame").border.color, "red"), "frame back")
    }

    function test_invalidFieldBlocksSaveAndTransfer_data() {
        return [
            { tag: "save", button: "saveButton", dialog: "saveToFileDialog",
              refusal: "Nicht gespeichert. Bitte zuerst korrigieren:\n" },
            { tag: "transfer", button: "uploadButton", refusal: "Nicht übertragen. Bitte zuerst korrigieren:\n" }
        ]
    }

    // A field holding text its setting cannot take stops "Speichern" and
    // the transfer, naming the setting and why; once it holds a value they
    // go ahead.
    function test_invalidFieldBlocksSaveAndTransfer(data) {
        if (data.button === "uploadButton")
            connectToSimulator()
        item(3).active = true
        var field = rowControl(5, "timeField")
        field.forceActiveFocus()
        field.selectAll()
        keyClick(Qt.Key_0)
        keyClick(Qt.Key_1)
        verify(deviceProfile.hasInvalidSettings, "invalid setting known to the profile")
        mouseClick(control(data.button))
        var message = shownDialog("messageDialog")
        compare(message.text, data.refusal + deviceProfile.invalidSettingsText())
        compare(deviceProfile.invalidSettingsText(), "Timerzeit Test: " + item(5).problem)
        verify(!lumBot.isEnabled && !(data.dialog && dialogShown(data.dialog)), "refused")
        message.close()
        win.requestActivate()
        tryCompare(win, "active", true, 5000)
        field.forceActiveFocus()
        field.cursorPosition = field.length
        keyClick(Qt.Key_5)
        compare(field.text, "015")
        keyClick(Qt.Key_0)
        compare([field.text, item(5).value, deviceProfile.hasInvalidSettings], ["01:50", "01:50", false])
        mouseClick(control(data.button))
        if (data.dialog) {
            shownDialog(data.dialog).reject()
        } else {
            verify(lumBot.isEnabled, "transfer started")
            lumBot.abort()
            tryCompare(lumBot, "isEnabled", false, 30000)
        }
        verify(!dialogShown("messageDialog"), "no refusal")
    }

    // The marks a check box draws (the tick, the bar of "some marked").
    function marksShown(box) {
        return ["checkMark", "partialMark"].filter(function(name) {
            return findChild(box, name).visible
        })
    }

    // "Alle" acts on the settings, also on those whose rows are not on
    // screen (a short editor shows only a few rows); a row's box then
    // clears and sets its own mark.
    function test_alleAndTheBoxesMarkSettings() {
        var list = control("editorList")
        list.cacheBuffer = 0
        list.anchors.bottom = undefined
        list.height = 150
        waitForLayout()
        compare(list.itemAtIndex(12), null, "last row not on screen")
        var parentBox = control("parentBox")
        mouseClick(parentBox)
        var marked = []
        for (var i = 0; i < rowCount(); ++i) {
            if (item(i).active)
                marked.push(i)
        }
        compare(marked, [2, 3, 5, 6, 7, 12])
        compare(parentBox.checkState, Qt.Checked)
        compare(marksShown(parentBox), ["checkMark"])
        var box = rowControl(3, "markBox")
        compare(marksShown(box), ["checkMark"])
        mouseClick(box)
        verify(!item(3).active)
        compare(marksShown(box), [])
        compare(parentBox.checkState, Qt.PartiallyChecked)
        compare(marksShown(parentBox), ["partialMark"])
        item(3).active = true
        verify(box.checked, "the box follows the item after the user's clicks")
        mouseClick(parentBox)
        for (var j = 0; j < rowCount(); ++j)
            verify(!item(j).active, "row " + j + " after clearing")
        compare(control("activeGroup").checkState, Qt.Unchecked)
        verify(!control("uploadButton").enabled)
    }
}
