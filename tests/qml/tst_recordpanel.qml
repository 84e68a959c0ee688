import QtQuick 2.12
import QtQuick.Controls 2.12
import QtTest 1.12
import com.orv.lum 1.0

// The service record in the window: the protocol named on the outcome line
// with its button, the "Verlauf" filtered to the connected lift, against the
// simulated demo device.
WindowTestCase {
    name: "RecordPanel"

    function init() {
        openWindow()
    }

    function readOut() {
        connectToSimulator()
        mouseClick(control("downloadButton"))
        tryCompare(lumBot, "isEnabled", true, 5000)
        tryCompare(lumBot, "isEnabled", false, 300000)
        verify(session.record.lastHistoryFile !== "", "history copy written")
    }

    function itemAtPath(path) {
        for (var i = 0; i < deviceProfile.confItemList.length; ++i) {
            if (item(i).menuPath.join("/") === path)
                return item(i)
        }
        verify(false, path)
    }

    function fileName(path) { return path.replace(/^.*[\/\\]/, "") }

    // After a read-out the line offers its protocol; written, it is named
    // and the button opens it. A transfer names its own.
    function test_protocolLineNamesTheProtocol() {
        readOut()
        var label = control("protocolLabel")
        var button = control("protocolButton")
        tryVerify(function() { return button.visible }, 5000, "offered after the read-out")
        compare(button.text, "Erstellen")
        var written = session.record.writeReadOutProtocol()
        verify(written !== "" && deviceProfile.fileExists(written), written)
        compare(label.text, "Protokoll: " + fileName(written))
        compare(button.text, "Öffnen")
        compare(session.record.lastProtocolUrl.toString().indexOf("file://"), 0)

        var setting = itemAtPath("Einstellungen/Notruf/Rufversuche")
        setting.value = "7"
        setting.active = true
        compare(deviceProfile.markedCount, 1, "the edited setting marked")
        mouseClick(control("uploadButton"))
        tryCompare(lumBot, "isEnabled", true, 5000)
        verify(!button.visible, "no protocol named while the transfer runs")
        tryCompare(lumBot, "isEnabled", false, 300000)
        tryVerify(function() { return session.record.lastProtocolFile !== "" }, 5000, "transfer protocol")
        verify(session.record.lastProtocolFile !== written, "the transfer's own protocol")
        verify(fileName(session.record.lastProtocolFile).indexOf("SN 4711-0815") > 0,
               session.record.lastProtocolFile)
        tryCompare(label, "text", "Protokoll: " + fileName(session.record.lastProtocolFile))
        verify(button.visible && button.text === "Öffnen", "the button opens it")
    }

    // The line below the keypad asks for the site and the technician until
    // they are given; the dialog it opens stores them for the protocols,
    // and the line shows them from then on.
    function test_siteAndTechnicianAreAskedForAndShown() {
        var label = control("siteLabel")
        compare(label.text, "Anlage und Techniker für die Protokolle angeben")
        mouseClick(label)
        var dialog = shownDialog("siteDialog")
        // Qt's own button texts are German as the window's are: Qt's
        // catalogues come with the first dialog.
        compare(dialog.standardButton(Dialog.Cancel).text, "Abbrechen")
        control("siteField").text = "Haus Süd, Aufzug 2"
        control("technicianField").text = " M. Keller "
        dialog.accept()
        compare(session.record.site, "Haus Süd, Aufzug 2")
        compare(session.record.technician, "M. Keller")
        compare(label.text, "Anlage: Haus Süd, Aufzug 2, Techniker: M. Keller")
        // Opened again, it shows what was given.
        mouseClick(label)
        tryCompare(dialog, "opened", true, 5000)
        compare(control("siteField").text, "Haus Süd, Aufzug 2")
        dialog.reject()
    }

    // The list holds the connected lift's copies only; the box shows all.
    function test_historyIsFilteredToTheConnectedDevice() {
        readOut()
        var history = session.record.history
        compare(history.serialNumber, "4711-0815")
        // A copy of another lift of the same type in the history folder.
        var other = session.record.historyFolderUrl + "/ORV-NR4000 V2.31 SN 9999-0001 2026-01-02 10-00.lumc"
        deviceProfile.saveToFile(other)
        mouseClick(control("historyButton"))
        var dialog = control("historyDialog")
        tryCompare(dialog, "opened", true, 5000)
        var list = control("historyList")
        verify(list.count >= 1, "the read-out's copy listed")
        for (var i = 0; i < list.count; ++i)
            compare(history.data(history.index(i, 0), HistoryList.SerialNumberRole), "4711-0815", "row " + i)
        compare(history.path(0), session.record.lastHistoryFile, "newest first")
        var ownCount = list.count
        mouseClick(control("historyShowAll"))
        tryCompare(list, "count", ownCount + 1)
        var serials = []
        for (var j = 0; j < list.count; ++j)
            serials.push(history.data(history.index(j, 0), HistoryList.SerialNumberRole))
        verify(serials.indexOf("9999-0001") >= 0, serials.join(","))
        mouseClick(control("historyShowAll"))
        tryCompare(list, "count", ownCount)

        // Opening a copy puts its settings into the editor, but not as the
        // configuration's own file: a save must not overwrite the copy.
        var readOutRows = rowCount()
        loadFixture("editor.lumc")
        verify(rowCount() !== readOutRows, "another configuration on screen")
        verify(dialog.opened)
        list.currentIndex = 0
        var copyPath = history.path(0)
        mouseClick(control("historyOpen"))
        tryCompare(dialog, "opened", false, 5000)
        compare(deviceProfile.fileName, "", "the copy is not the file a save goes to")
        tryVerify(function() { return rowCount() === readOutRows }, 5000, "the copy's settings shown")
        verify(copyPath !== "" && deviceProfile.fileExists(copyPath), copyPath)
    }
}
