import QtQuick 2.12
import QtTest 1.12
import com.orv.lum.test 1.0

// "Serie" as the technician uses it: open a template and a table, see the
// lifts, load one into the editor with its row's settings marked; a table
// with a problem is refused with its row and column.
WindowTestCase {
    name: "Series"

    function init() {
        openWindow()
        loadFixture("editor.lumc")
    }

    function openSeries(table) {
        var templateUrl = deviceProfile.fileName
        var tableUrl = TestDevice.writeScratchFile("anlagen.csv", table)
        verify(tableUrl !== "", "table written")
        mouseClick(control("seriesButton"))
        var dialog = shownDialog("seriesDialog")
        findChild(dialog.contentItem, "seriesTemplateField").text = templateUrl
        findChild(dialog.contentItem, "seriesTableField").text = tableUrl
        mouseClick(findChild(dialog.contentItem, "seriesOpenButton"))
        return dialog
    }

    function test_liftIsLoadedIntoTheEditorMarked() {
        var template = deviceProfile.fileName
        var dialog = openSeries("Anlage;Einstellungen/Notruf/Rufnummer 1;Betriebsart\n"
                                + "Aufzug 1;0711000001;Normal\nAufzug 2;0711000002;Service\n")
        var series = session.series
        verify(series.isOpen, series.problemText)
        var list = findChild(dialog.contentItem, "seriesLiftList")
        tryCompare(list, "count", 2)
        compare(series.currentIndex, 0)
        compare(findChild(dialog.contentItem, "seriesSummary").text, "Erledigt: 0 von 2; offen: Aufzug 1, Aufzug 2")
        // The technician picks the second lift in the list and loads it.
        list.positionViewAtIndex(1, ListView.Contain)
        mouseClick(list.itemAtIndex(1))
        compare(series.currentIndex, 1)
        mouseClick(findChild(dialog.contentItem, "seriesLoadButton"))
        tryCompare(dialog, "visible", false)
        compare(series.loadedIndex, 1)
        compare(control("seriesButton").text, "Serie:\nAufzug 2")
        verify(/\/Aufzug 2\.lumc$/.test(deviceProfile.fileName), deviceProfile.fileName)
        var marked = []
        for (var i = 0; i < deviceProfile.confItemList.length; ++i) {
            if (item(i).active)
                marked.push(item(i).menuPath.join("/") + "=" + item(i).value)
        }
        compare(marked.join("|"), "Einstellungen/Notruf/Rufnummer 1=0711000002|Betriebsart=Service")
        verify(template !== deviceProfile.fileName, "the template stays as it is")
    }

    function test_badTableIsRefusedWithRowAndColumn() {
        var dialog = openSeries("Anlage;Einstellungen/Notruf/Zeiten/Timerzeit Test\nAufzug 1;8:00\n")
        verify(!session.series.isOpen)
        compare(findChild(dialog.contentItem, "seriesProblem").text,
                "Zeile 2, Spalte 2 (Einstellungen/Notruf/Zeiten/Timerzeit Test): \"8:00\": Stunden zweistellig, bitte hh:mm")
        compare(findChild(dialog.contentItem, "seriesLiftList").count, 0)
        dialog.close()
    }
}
