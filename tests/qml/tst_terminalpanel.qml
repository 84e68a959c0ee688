import QtQuick 2.12
import QtTest 1.12
import com.orv.lum.test 1.0

// The terminal panel: the port, the device's display and its keypad.
WindowTestCase {
    name: "TerminalPanel"

    function init() {
        openWindow()
    }

    // The window declares no link, robot, profile or record of its own: it
    // shows the session it is given, and hands each part the session's
    // objects.
    function test_windowShowsTheSessionsObjects() {
        verify(win.session === session, "the window's session")
        ;["kelHandler", "lumBot", "deviceProfile", "serviceRecord"].forEach(function(name) {
            verify(findChild(win, name) === null, name + " is not the window's own")
        })
        var panel = control("terminalPanel")
        verify(panel.link === session.link && panel.bot === session.bot, "terminal panel")
        var editor = control("editorPanel")
        verify(editor.profile === session.profile && editor.bot === session.bot, "editor")
        verify(control("keybGrid").parent.link === session.link, "keypad")
        verify(control("buttonOK").link === session.link, "keys")
        verify(control("displayRect").link === session.link, "display")
        verify(control("closeGuard").bot === session.bot && control("closeGuard").profile === session.profile,
               "close guard")
        // What the session's objects do shows in the window.
        session.profile.loadFromFile(Qt.resolvedUrl("data/editor.lumc").toString())
        tryVerify(function() { return rowCount() > 1 }, 5000, "the session's profile shown")
    }

    // Connecting is the session's: it opens the chosen port and has the
    // robot identify the device (the demo menu's identifier); a port that
    // does not open starts no robot, and the session says why.
    function test_connectAndIdentify_data() {
        return [
            { tag: "simulator answers", simulatorUp: true },
            { tag: "port does not open", simulatorUp: false }
        ]
    }

    function test_connectAndIdentify(data) {
        var port = kelHandler.termPortList[kelHandler.termPortSelectedIndx]
        compare(port, TestDevice.portPath(), "the simulator's port chosen")
        if (!data.simulatorUp)
            TestDevice.stop()
        var connected = session.connectAndIdentify()
        if (!data.simulatorUp)
            verify(TestDevice.restart(), TestDevice.startError())
        compare(connected, data.simulatorUp)
        compare(kelHandler.terminalIsReady, data.simulatorUp)
        compare(lumBot.isEnabled, data.simulatorUp, "identification started with the port open only")
        if (data.simulatorUp) {
            tryCompare(lumBot, "isEnabled", false, 30000)
            compare(lumBot.deviceIdentifier, "ORV-NR4000 V2.31")
        } else {
            verify(kelHandler.lastErrorString() !== "", "the link says why")
            compare(session.connectFailureText(),
                    "Fehler beim Öffnen von " + port + ":\n" + kelHandler.lastErrorString())
            compare(lumBot.deviceIdentifier, "")
        }
    }

    function test_enablingFollowsPortAndRobot_data() {
        return [
            { tag: "port closed, robot idle", open: false, running: false },
            { tag: "port closed, robot running", open: false, running: true },
            { tag: "port open, robot idle", open: true, running: false },
            { tag: "port open, robot running", open: true, running: true }
        ]
    }

    // A fresh window offers only the hint; the panel's controls follow the
    // two flags, port open and robot running, and the display is green while
    // the line is open.
    function test_enablingFollowsPortAndRobot(data) {
        compare(win.title, "ORV Programmiersoftware 4.1.3")
        compare(rowControl(0, "nameLabel").text, "Bitte Konfiguration öffnen oder auslesen...")
        if (data.open)
            connectToSimulator()
        var display = control("displayRect")
        tryVerify(function() { return Qt.colorEqual(display.color, data.open ? "#4df349" : "#c4c4c4") }, 5000, "display colour")
        // The robot runs from the start call until the device has answered.
        if (data.running)
            lumBot.startInit()
        var idle = !data.running
        var ready = data.open && idle
        var expected = { "portSelector.enabled": !data.open, "connectButton.visible": !data.open,
            "disconnectButton.visible": data.open, "disconnectButton.enabled": idle, "busyIndicator.running": !idle,
            "abortButton.visible": !idle, "reloadLabel.visible": ready, "downloadButton.enabled": ready,
            "openButton.enabled": idle, "uploadButton.enabled": false, "parentBox.enabled": false }
        "0123456789".split("").concat(["ESC", "Plus", "Minus", "Star", "Hash", "OK"]).forEach(function(key) {
            expected["button" + key + ".enabled"] = ready })
        for (var name in expected)
            compare(control(name.split(".")[0])[name.split(".")[1]], expected[name], name)
        compare(findChild(control("busyIndicator"), "busyDisc") !== null, !idle, "the red disc while the robot runs")
        if (data.running) {
            mouseClick(control("abortButton"))
            // Stopped once the device is back at its base menu.
            tryVerify(function() { return !lumBot.isEnabled }, 15000, "Abbrechen stops the robot")
        }
    }

    // Connecting identifies the device, shows its screen and focuses ESC;
    // from there every key of the keyboard works the pad.
    function test_connectIdentifiesAndTheKeyboardWorksTheKeypad() {
        connectToSimulator()
        verify(control("buttonESC").activeFocus, "ESC has the focus")
        verify(lumBot.deviceIdentifier !== "", "device identified")
        compare(control("identifierLabel").text, lumBot.deviceIdentifier + " ")
        verify(kelHandler.displayText.trim() !== "", "the device's screen")
        compare(control("termOutput").text, kelHandler.displayText)
        TestDevice.clearRecords()
        "1234567890+-*#".split("").forEach(function(key) { keyClick(key) })
        var keys = [Qt.Key_Escape, Qt.Key_Comma, Qt.Key_Slash, Qt.Key_Return, Qt.Key_Enter, Qt.Key_Up, Qt.Key_Down,
            Qt.Key_Left, Qt.Key_Right, Qt.Key_Space]
        keys.forEach(function(key) { keyClick(key) })
        // Comma and slash are ESC, Return and Enter OK; the cursor keys are
        // plus, minus, ESC and OK; space presses the focused ESC.
        tryCompare(TestDevice, "receivedKeysText", "1234567890+-*#\u001b\u001b\u001b\r\r+-\u001b\r\u001b", 5000)
        // The shortcuts are window-wide, the arrow keys are not.
        control("portSelector").forceActiveFocus()
        TestDevice.clearRecords()
        keyClick(Qt.Key_Up)
        keyClick(Qt.Key_Right)
        keyClick(Qt.Key_7)
        tryCompare(TestDevice, "receivedKeysText", "7", 5000, "arrows without keypad focus")
        // A click sends the key's character.
        TestDevice.clearRecords()
        mouseClick(control("buttonHash"))
        tryCompare(TestDevice, "receivedKeysText", "#", 5000)
        // Shortcuts are off while the robot runs.
        var clicks = 0
        control("button9").clicked.connect(function() { ++clicks })
        lumBot.startInit()
        keyClick(Qt.Key_9)
        compare(clicks, 0, "shortcut fired")
        lumBot.abort()
        tryVerify(function() { return !lumBot.isEnabled }, 15000, "back at the base menu")
        mouseClick(control("disconnectButton"))
        verify(!kelHandler.terminalIsReady, "disconnected")
    }

    function test_failedConnectShowsPortAndError() {
        TestDevice.stop()
        mouseClick(control("connectButton"))
        var text = shownDialog("messageDialog2").text
        verify(text.indexOf("Fehler beim Öffnen von " + control("portSelector").currentText + ":\n") === 0, text)
        verify(TestDevice.restart(), TestDevice.startError())
    }

    // The box shows the port "Verbinden" opens, the one the link chose (with
    // no adapter it knows, the first one listed); with none chosen the
    // message is the link's own, without an empty port name before it.
    function test_portBoxShowsThePortTheLinkChose() {
        var box = control("portSelector")
        var simulatorPort = kelHandler.termPortSelectedIndx
        verify(kelHandler.termPortList.length > 0 && simulatorPort >= 0, "ports listed")
        kelHandler.termPortSelectedIndx = 0
        compare([box.currentIndex, box.currentText], [0, kelHandler.termPortList[0]])
        kelHandler.termPortSelectedIndx = -1
        compare([box.currentIndex, box.displayText], [-1, ""])
        mouseClick(control("connectButton"))
        compare(shownDialog("messageDialog2").text, kelHandler.lastErrorString())
        verify(kelHandler.lastErrorString() !== "", "the link says why")
        shownDialog("messageDialog2").close()
        kelHandler.termPortSelectedIndx = simulatorPort
        compare(box.currentText, TestDevice.portPath())
    }
    function test_progressFitsItsDisc_data() {
        return [
            { tag: "transfer", text: "3 von 37 Einstellungen übertragen" },
            { tag: "long transfer", text: "137 von 137 Einstellungen übertragen" },
            { tag: "read-out", text: "1234 Einträge gelesen" }
        ]
    }

    // The robot's progress is written under "Abbrechen" on the red disc;
    // every corner of the text stays on the disc.
    function test_progressFitsItsDisc(data) {
        var label = control("progressLabel")
        var disc = control("busyIndicator")
        label.text = data.text
        var left = (label.width - label.contentWidth) / 2
        var corners = [[left, 0], [left + label.contentWidth, 0], [left, label.contentHeight],
                       [left + label.contentWidth, label.contentHeight]]
        var radius = disc.width / 2
        corners.forEach(function(corner) {
            var p = label.mapToItem(disc, corner[0], corner[1])
            var distance = Math.sqrt(Math.pow(p.x - radius, 2) + Math.pow(p.y - disc.height / 2, 2))
            verify(distance <= radius, data.text + ": corner " + corner + " " + distance.toFixed(1)
                   + " from the middle of a disc of radius " + radius)
        })
        // Above it, "Abbrechen" is on the disc too.
        var button = control("abortButton")
        var top = button.mapToItem(disc, 0, 0)
        verify(top.y >= 0 && top.x >= 0 && top.x + button.width <= disc.width, "Abbrechen on the disc")
    }
}
