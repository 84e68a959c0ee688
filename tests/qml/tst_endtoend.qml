import QtQuick 2.12
import QtTest 1.12

// A technician's whole session against the simulated demo device: connect,
// read out, change a choice and a number, transfer, save and load again.
WindowTestCase {
    name: "EndToEnd"

    property var progressTexts: []

    Connections {
        target: win ? findChild(win.contentItem, "progressLabel") : null
        ignoreUnknownSignals: true
        function onTextChanged() {
            var text = findChild(win.contentItem, "progressLabel").text
            if (text !== "")
                progressTexts.push(text)
        }
    }

    function indexOfPath(path) {
        var list = deviceProfile.confItemList
        for (var i = 0; i < list.length; ++i) {
            if (list[i].menuPath.join("/") === path)
                return i
        }
        return -1
    }

    function snapshot() {
        var rows = []
        var list = deviceProfile.confItemList
        for (var i = 0; i < list.length; ++i) {
            var item = list[i]
            rows.push([item.type, item.menuPath.join("/"), item.value, item.active].join("|"))
        }
        return rows
    }

    function test_readOutEditTransferSaveAndLoad() {
        openWindow()
        connectToSimulator()

        progressTexts = []
        mouseClick(control("downloadButton"))
        verify(lumBot.isEnabled, "read-out running")
        verify(control("abortButton").visible)
        tryCompare(lumBot, "isEnabled", false, 300000)
        verify(!dialogShown("messageDialog"), "no error: " + lumBot.lastErrorString())
        verify(progressTexts.length > 0, "progress shown during the read-out")
        verify(/^\d+ Einträge gelesen$/.test(progressTexts[progressTexts.length - 1]), progressTexts[progressTexts.length - 1])
        verify(rowCount() > 40, "rows of the demo device: " + rowCount())
        compare(rowCount(), deviceProfile.confItemList.length)
        waitForLayout()
        // Read-only settings show what the device said; settings the
        // read-out leaves closed say so.
        var imei = indexOfPath("Kommunikation/IMEI")
        verify(imei >= 0, "IMEI row")
        compare(rowControl(imei, "valueText").text, "356938035643809")
        compare(rowControl(indexOfPath("Kommunikation/Netzbetreiber"), "skippedHint").text, "wird nicht ausgelesen")
        var list = control("editorList")
        list.positionViewAtIndex(indexOfPath("Kommunikation/Service-Center"), ListView.Beginning)
        waitForLayout()
        deviceSim.saveWindowImageIfAsked(win)

        var choice = indexOfPath("Einstellungen/Notruf/Notrufende")
        var number = indexOfPath("Einstellungen/Notruf/Rufversuche")
        verify(choice >= 0 && number >= 0, "rows found")
        compare(deviceProfile.confItemList[choice].value, "Gegenstelle")
        compare(deviceProfile.confItemList[number].value, "5")
        verify(!control("uploadButton").enabled, "nothing marked yet")

        // The technician picks the next choice with the keyboard and types a
        // new number over the old one.
        var selector = rowControl(choice, "selector")
        selector.forceActiveFocus()
        keyClick(Qt.Key_Down)
        compare(selector.currentText, "Zeitablauf")
        var field = rowControl(number, "numberField")
        field.forceActiveFocus()
        field.selectAll()
        keyClick(Qt.Key_7)
        compare(field.text, "7")
        verify(deviceProfile.confItemList[choice].active)
        verify(deviceProfile.confItemList[number].active)
        verify(control("uploadButton").enabled, "transfer offered once something is marked")

        progressTexts = []
        mouseClick(control("uploadButton"))
        verify(lumBot.isEnabled, "transfer running")
        tryCompare(lumBot, "isEnabled", false, 300000)
        verify(!dialogShown("messageDialog"), "no error: " + lumBot.lastErrorString())
        compare(deviceSim.value(["Einstellungen", "Notruf", "Notrufende"]), "Zeitablauf")
        compare(deviceSim.value(["Einstellungen", "Notruf", "Rufversuche"]), "7")
        compare(deviceSim.value(["Einstellungen", "Notruf", "Gesprächsdauer"]), "180", "unmarked setting untouched")
        verify(progressTexts.indexOf("2 von 2 Einstellungen übertragen") >= 0, progressTexts.join(", "))

        var before = snapshot()
        var url = deviceSim.scratchFileUrl("demo.lumc")
        deviceProfile.saveToFile(url)
        deviceProfile.loadFromFile(url)
        verify(!dialogShown("messageDialog"), "no file error")
        tryCompare(control("editorList"), "count", before.length)
        waitForLayout()
        compare(snapshot(), before)
        compare(rowControl(choice, "selector").currentText, "Zeitablauf")
        compare(rowControl(number, "numberField").text, "7")
        verify(rowControl(choice, "markBox").checked)
    }
}
