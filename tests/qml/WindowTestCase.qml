import QtQuick 2.12
import QtQuick.Window 2.12
import QtTest 1.12

// A test case that opens the program's real main window (from the resources)
// for every test function and finds its controls by object name.
TestCase {
    id: testCase
    when: windowShown

    property var win: null
    property var kelHandler: null
    property var lumBot: null
    property var deviceProfile: null

    function openWindow() {
        var component = Qt.createComponent("qrc:/main.qml")
        compare(component.status, Component.Ready, component.errorString())
        win = createTemporaryObject(component, testCase)
        verify(win !== null, "main window created")
        kelHandler = control("kelHandler")
        lumBot = control("lumBot")
        deviceProfile = control("deviceProfile")
        // The offscreen screen is smaller than the window's minimum; give the
        // window the size of a common laptop screen so every control is inside.
        win.visibility = Window.Windowed
        win.width = 1280
        win.height = 800
        win.requestActivate()
        tryVerify(function() { return win.active }, 5000, "window active")
        var form = control("mainForm")
        tryVerify(function() { return !isPolishScheduled(form) }, 5000, "window laid out")
        return win
    }

    function cleanup() {
        if (lumBot && lumBot.isEnabled)
            lumBot.abort()
        if (kelHandler)
            kelHandler.closeSerialPort()
        win = null
        kelHandler = null
        lumBot = null
        deviceProfile = null
    }

    function control(name) {
        var found = findChild(win.contentItem, name)
        if (found === null)
            found = findChild(win, name)
        verify(found !== null, "control " + name)
        return found
    }

    // The dialogs are created when first opened; one that was never opened
    // is not shown either.
    function dialogShown(name) {
        var dialog = control(name + "Loader").item
        return dialog !== null && dialog.visible
    }

    // The dialog behind `name`, created if it was not yet.
    function dialog(name) {
        var created = control(name + "Loader").dialog()
        compare(created.objectName, name)
        return created
    }

    // The editor creates only the rows on screen: the row is brought into
    // view first.
    function row(index) {
        var list = control("editorList")
        list.positionViewAtIndex(index, ListView.Contain)
        waitForLayout()
        var found = list.itemAtIndex(index)
        verify(found !== null, "row " + index)
        compare(found.objectName, "editorRow" + index)
        return found
    }

    // A control of a row, or null when the row has none of that name.
    function rowControlOrNull(index, name) {
        return findChild(row(index), name)
    }

    function rowControl(index, name) {
        var found = findChild(row(index), name)
        verify(found !== null, "control " + name + " in row " + index)
        return found
    }

    function rowCount() {
        return control("editorList").count
    }

    function loadFixture(fileName) {
        deviceProfile.loadFromFile(Qt.resolvedUrl("data/" + fileName).toString())
        tryVerify(function() { return rowCount() === deviceProfile.confItemList.length && rowCount() > 1 },
                  5000, "rows of " + fileName)
        waitForLayout()
    }

    // The list places its rows when the window is next polished.
    function waitForLayout() {
        var list = control("editorList")
        tryVerify(function() { return !isPolishScheduled(list) }, 5000, "editor laid out")
    }

    // Connects through the panel the way a user does, and waits until the
    // robot has identified the device.
    function connectToSimulator() {
        verify(deviceSim.isRunning(), "simulator: " + deviceSim.startError())
        var selector = control("portSelector")
        compare(selector.currentText, deviceSim.portPath(), "simulator's port preselected")
        mouseClick(control("connectButton"))
        tryCompare(kelHandler, "terminalIsReady", true, 5000)
        tryCompare(lumBot, "isEnabled", false, 30000)
    }
}
