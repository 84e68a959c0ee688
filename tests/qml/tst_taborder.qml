import QtQuick 2.12
import QtQuick.Controls 2.12
import QtTest 1.12

// Tab through the window: the port row, the editor's header and tools, then
// each setting's mark and value field in the order of the menu; the read-only
// display is no stop. The list follows, so settings below the screen are
// reached too.
WindowTestCase {
    name: "TabOrder"

    // The focused control's name; within a row, with the setting's name.
    function focusName() {
        var focused = win.activeFocusItem
        if (!focused)
            return "none"
        var name = ""
        var rows = control("editorList").contentItem
        for (var p = focused; p; p = p.parent) {
            if (name === "" && p.objectName !== "")
                name = p.objectName
            if (p.parent === rows)
                return name + "/" + p.item.menuName
        }
        return name
    }

    // The stops Tab makes from `start` until it comes back to it (at most `limit`).
    function tabChain(start, limit) {
        control(start).forceActiveFocus()
        var chain = [focusName()]
        for (var i = 0; i < limit; ++i) {
            keyClick(Qt.Key_Tab)
            var name = focusName()
            if (name === chain[0])
                break
            chain.push(name)
        }
        return chain
    }

    function test_tabGoesThroughTheWindowAndTheSettings() {
        openWindow()
        loadFixture("editor.lumc")
        compare(tabChain("portSelector", 40).join(" > "),
                ["portSelector", "connectButton", "historyButton", "seriesButton",
                 "parentBox", "openButton", "saveButton", "exportButton",
                 "searchField", "viewBox",
                 "markBox/Notrufende", "selector/Notrufende",
                 "markBox/Rufnummer 1", "numberField/Rufnummer 1",
                 "markBox/Timerzeit Test", "timeField/Timerzeit Test",
                 "markBox/Uhrzeit", "markBox/Datum",
                 "markBox/Betriebsart", "selector/Betriebsart"].join(" > "))
        // Shift+Tab goes back the same way.
        keyClick(Qt.Key_Tab, Qt.ShiftModifier)
        compare(focusName(), "selector/Betriebsart")
        keyClick(Qt.Key_Tab, Qt.ShiftModifier)
        compare(focusName(), "markBox/Betriebsart")
    }

    // Sixty numbers (data/long.lumc): far more rows than the screen shows,
    // and the editor makes only those on screen.
    function test_tabReachesTheSettingsBelowTheScreen() {
        openWindow()
        loadFixture("long.lumc")
        var list = control("editorList")
        var fields = []
        control("searchField").forceActiveFocus()
        for (var i = 0; i < 200 && fields.length < 60; ++i) {
            keyClick(Qt.Key_Tab)
            var name = focusName()
            if (name.indexOf("numberField/") !== 0)
                continue
            fields.push(name.substring("numberField/".length))
            // The field Tab reached is on screen.
            waitForLayout()
            var field = win.activeFocusItem
            var top = field.mapToItem(list, 0, 0).y
            verify(top >= 0 && top + field.height <= list.height,
                   name + " on screen at " + top + " in " + list.height)
        }
        var expected = []
        for (var n = 1; n <= 60; ++n)
            expected.push("Rufnummer " + n)
        compare(fields.join("|"), expected.join("|"))
    }
}
