import QtQuick 2.12
import QtQuick.Window 2.12
import QtTest 1.12
import com.orv.lum 1.0

// A test case that opens the program's real main window (from the resources)
// and finds its controls by object name.
TestCase {
    id: testCase
    when: windowShown

    property var win: null
    // What the window shows: made here as the program makes it, and handed
    // to the window.
    property var session: null
    property var kelHandler: null
    property var lumBot: null
    property var deviceProfile: null
    // The simulated device behind the port list (the test program's).
    readonly property var simulator: deviceSim

    Component {
        id: sessionComponent
        LumSession {}
    }

    function openWindow() {
        var component = Qt.createComponent("qrc:/main.qml")
        compare(component.status, Component.Ready, component.errorString())
        // The last test's window is gone or goes before its session (both
        // are deleted later, in this order).
        if (session)
            session.destroy()
        session = sessionComponent.createObject(testCase)
        win = createTemporaryObject(component, testCase, { session: session })
        verify(win !== null, "window created with its session")
        kelHandler = session.link
        lumBot = session.bot
        deviceProfile = session.profile
        // The offscreen screen is smaller than the window's minimum; give the
        // window the size of a common laptop screen so every control is inside.
        win.visibility = Window.Windowed
        win.width = 1280
        win.height = 800
        win.requestActivate()
        tryVerify(function() { return win.active && !isPolishScheduled(control("mainForm")) }, 5000, "window laid out")
    }

    function cleanup() {
        if (lumBot && lumBot.isEnabled)
            lumBot.abort()
        if (kelHandler)
            kelHandler.closeSerialPort()
    }

    function control(name) {
        var found = findChild(win.contentItem, name) || findChild(win, name)
        verify(found !== null, "control " + name)
        return found
    }

    function item(index) { return deviceProfile.confItemList[index] }

    // The dialogs are created when first opened; one never opened is not shown.
    function dialogShown(name) {
        var dialog = control(name + "Loader").item
        return dialog !== null && dialog.visible
    }

    function shownDialog(name) {
        tryVerify(function() { return dialogShown(name) }, 5000, name + " shown")
        return control(name + "Loader").item
    }

    // A control of a row, brought into view first (the editor creates only
    // the rows on screen); null when the row has none and that is `allowed`.
    function rowControl(index, name, allowed) {
        var list = control("editorList")
        list.positionViewAtIndex(index, ListView.Contain)
        waitForLayout()
        var found = findChild(list.itemAtIndex(index), name)
        verify(found !== null || allowed === true, "control " + name + " in row " + index)
        return found
    }

    function rowCount() { return control("editorList").count }

    // Loads a file of data/ and makes a scratch copy the configuration's
    // own file: a save without the dialog never writes into the sources.
    function loadFixture(fileName) {
        deviceProfile.loadFromFile(Qt.resolvedUrl("data/" + fileName).toString())
        tryVerify(function() { return rowCount() === deviceProfile.confItemList.length && rowCount() > 1 }, 5000, fileName)
        deviceProfile.saveToFile(deviceSim.scratchFileUrl(fileName))
        verify(!deviceProfile.modified && deviceProfile.fileName.indexOf("/data/") < 0, "scratch copy")
    }

    // The list places its rows when the window is next polished.
    function waitForLayout() {
        tryVerify(function() { return !isPolishScheduled(control("editorList")) }, 5000, "editor laid out")
    }

    // Connects through the panel the way a user does, and waits until the
    // robot has identified the device.
    function connectToSimulator() {
        compare(control("portSelector").currentText, simulator.portPath(), "simulator's port preselected")
        mouseClick(control("connectButton"))
        tryCompare(kelHandler, "terminalIsReady", true, 5000)
        tryCompare(lumBot, "isEnabled", false, 30000)
    }
}
