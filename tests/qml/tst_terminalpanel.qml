import QtQuick 2.12
import QtQuick.Controls 2.12
import QtTest 1.12

WindowTestCase {
    name: "TerminalPanel"

    readonly property var keyNames: ["button1", "button2", "button3", "buttonESC",
        "button4", "button5", "button6", "buttonPlus", "button7", "button8", "button9",
        "buttonMinus", "buttonStar", "button0", "buttonHash", "buttonOK"]

    function init() {
        openWindow()
    }

    // Checks every control that depends on the two flags, port open and robot
    // running, as it stands at this moment.
    function checkPanel(open, running, tag) {
        compare(control("portSelector").enabled, !open, tag + ": port selector")
        compare(control("connectButton").visible, !open, tag + ": Verbinden")
        compare(control("disconnectButton").visible, open, tag + ": Verbindung trennen shown")
        compare(control("disconnectButton").enabled, !running, tag + ": Verbindung trennen enabled")
        compare(control("keybGrid").enabled, !running, tag + ": keypad")
        for (var i = 0; i < keyNames.length; ++i)
            compare(control(keyNames[i]).enabled, open && !running, tag + ": " + keyNames[i])
        compare(control("busyIndicator").running, running, tag + ": busy indicator")
        compare(control("busyIndicator").contentItem.opacity, running ? 0.5 : 0, tag + ": red disc")
        compare(control("abortButton").visible, running, tag + ": Abbrechen")
        compare(control("reloadLabel").visible, open && !running, tag + ": neu laden")
        compare(control("downloadButton").enabled, open && !running, tag + ": Auslesen")
        compare(control("uploadButton").enabled, false, tag + ": nothing marked, no transfer")
        compare(control("openButton").enabled, !running, tag + ": open file")
        compare(control("parentBox").enabled, false, tag + ": Alle with only the hint")
        compare(control("saveButton").enabled, false, tag + ": save with only the hint")
    }

    function test_enablingFollowsPortAndRobot_data() {
        return [
            { tag: "port closed, robot idle", open: false, running: false },
            { tag: "port closed, robot running", open: false, running: true },
            { tag: "port open, robot idle", open: true, running: false },
            { tag: "port open, robot running", open: true, running: true }
        ]
    }

    function test_enablingFollowsPortAndRobot(data) {
        if (data.open)
            connectToSimulator()
        var display = control("displayRect")
        tryVerify(function() { return Qt.colorEqual(display.color, data.open ? "#4df349" : "#c4c4c4") },
                  5000, "display colour")
        if (data.running) {
            // The robot is running from the start call until the device has
            // answered; the bindings follow at once.
            lumBot.startInit()
            verify(lumBot.isEnabled)
            checkPanel(data.open, true, data.tag)
            mouseClick(control("abortButton"))
            verify(!lumBot.isEnabled, "Abbrechen stops the robot")
        }
        checkPanel(data.open, false, data.tag)
    }

    // Connecting identifies the device and focuses ESC; one connection serves
    // all keys, each pressed from the focused ESC key.
    function test_connectIdentifiesAndTheKeyboardWorksTheKeypad() {
        var keys = [
            [Qt.Key_5, "5", "digit"], [Qt.Key_Plus, "+", "plus"], [Qt.Key_Minus, "-", "minus"],
            [Qt.Key_Asterisk, "*", "star"], [Qt.Key_NumberSign, "#", "hash"], [Qt.Key_Escape, "\u001b", "escape"],
            [Qt.Key_Comma, "\u001b", "comma is ESC"], [Qt.Key_Slash, "\u001b", "slash is ESC"],
            [Qt.Key_Return, "\r", "return is OK"], [Qt.Key_Enter, "\r", "enter is OK"],
            [Qt.Key_Up, "+", "cursor up is plus"], [Qt.Key_Down, "-", "cursor down is minus"],
            [Qt.Key_Left, "\u001b", "cursor left is ESC"], [Qt.Key_Right, "\r", "cursor right is OK"],
            [Qt.Key_Space, "\u001b", "space presses the focused ESC"]
        ]
        connectToSimulator()
        verify(control("buttonESC").activeFocus, "ESC has the focus")
        verify(lumBot.deviceIdentifier !== "", "device identified")
        compare(control("identifierLabel").text, lumBot.deviceIdentifier + " ")
        for (var i = 0; i < keys.length; ++i) {
            control("buttonESC").forceActiveFocus()
            deviceSim.clearRecords()
            keyClick(keys[i][0])
            tryCompare(deviceSim, "receivedKeysText", keys[i][1], 5000, keys[i][2])
        }
        // The shortcut is window-wide, the arrow keys are not.
        control("portSelector").forceActiveFocus()
        deviceSim.clearRecords()
        keyClick(Qt.Key_Up)
        keyClick(Qt.Key_Right)
        keyClick(Qt.Key_7)
        tryCompare(deviceSim, "receivedKeysText", "7", 5000, "arrows without keypad focus")
        // A click flashes the key and sends its character.
        deviceSim.clearRecords()
        var key = control("buttonHash")
        mouseClick(key)
        verify(key.highlighted, "flash starts with the click")
        tryCompare(key, "highlighted", false, 2000)
        tryCompare(deviceSim, "receivedKeysText", "#", 5000)
        // Shortcuts are off while the robot runs.
        lumBot.startInit()
        keyClick(Qt.Key_9)
        verify(!control("button9").highlighted, "shortcut did not fire")
        lumBot.abort()
        mouseClick(control("disconnectButton"))
        compare(kelHandler.terminalIsReady, false)
        verify(control("connectButton").visible)
    }

    function test_shortcutOnClosedPortStillClicksTheDisabledKey() {
        var key = control("button5")
        verify(!key.enabled, "key disabled while the port is closed")
        var clicks = 0
        key.clicked.connect(function() { ++clicks })
        keyClick(Qt.Key_5)
        compare(clicks, 1, "shortcut emitted the key's click")
        verify(key.highlighted, "the key flashes")
        tryCompare(key, "highlighted", false, 2000)
    }

    function test_failedConnectShowsPortAndError() {
        deviceSim.stop()
        var selector = control("portSelector")
        mouseClick(control("connectButton"))
        compare(kelHandler.terminalIsReady, false)
        tryVerify(function() { return dialogShown("messageDialog2") }, 5000, "message shown")
        var box = dialog("messageDialog2")
        verify(box.text.indexOf("Fehler beim Öffnen von " + selector.currentText + ":\n") === 0, box.text)
        box.close()
        verify(deviceSim.restart(), deviceSim.startError())
    }

    // An adapter plugged in after start-up: opening the selector finds it,
    // the selected port stays selected by its name, and the whole name of a
    // long port shows.
    function test_openingThePortSelectorScansAgain() {
        var selector = control("portSelector")
        var simPort = deviceSim.portPath()
        compare(selector.currentText, simPort)
        var plugged = "/tmp/aaa-lum-test/ttyNEU"
        deviceSim.offerExtraPort(plugged)
        verify(kelHandler.termPortList.indexOf(plugged) < 0, "not yet in the list")
        mouseClick(selector)
        tryCompare(selector.popup, "opened", true, 5000)
        deviceSim.restart()
        verify(kelHandler.termPortList.indexOf(plugged) >= 0, "new port listed")
        verify(kelHandler.termPortList.indexOf(plugged) < kelHandler.termPortList.indexOf(simPort), "sorts first")
        compare(selector.currentText, simPort, "selection kept by name")
        compare(kelHandler.termPortList[kelHandler.termPortSelectedIndx], simPort)
        verify(!selector.contentItem.truncated, "whole name shown")
        selector.popup.close()
        tryCompare(selector.popup, "visible", false, 5000)
        connectToSimulator()
    }
}
