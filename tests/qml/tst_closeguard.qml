import QtQuick 2.12
import QtTest 1.12

// What closing the window does while a job runs or changes are unsaved, with
// a robot that takes its time to get back to the base menu after an abort
// (as it does on a real line), and a window that records whether it closed.
TestCase {
    id: testCase
    name: "CloseGuard"
    when: windowShown

    // The robot as the guard sees it: busy until the test lets it go idle.
    QtObject {
        id: lumBot
        property bool isEnabled: false
        property int itemsDone: 0
        property int itemsTotal: 0
        property int aborts: 0
        signal progressChanged()
        signal transferStarted()
        // The robot's signal for isEnabled, which has a name of its own.
        signal enabledChanged()

        function setBusy(busy) {
            isEnabled = busy
            enabledChanged()
        }
        function setProgress(done, total) {
            itemsDone = done
            itemsTotal = total
            progressChanged()
        }
        function abort() { ++aborts }
    }

    QtObject {
        id: deviceProfile
        property bool modified: false
    }

    // The window: a close goes through unless the guard refuses it.
    QtObject {
        id: fakeWindow
        property bool closed: false
        property bool robotBusyAtClose: false
        function close() {
            var event = { accepted: true }
            testCase.guard.handleClosing(event)
            if (event.accepted) {
                closed = true
                robotBusyAtClose = lumBot.isEnabled
            }
        }
    }

    QtObject {
        id: fakeEditor
        property int saves: 0
        property var afterSaved: null
        function save(after, intoOwnFile) {
            ++saves
            afterSaved = intoOwnFile ? after : null
        }
    }

    property var guard: null

    function init() {
        lumBot.isEnabled = false
        lumBot.itemsDone = 0
        lumBot.itemsTotal = 0
        lumBot.aborts = 0
        deviceProfile.modified = false
        fakeWindow.closed = false
        fakeEditor.saves = 0
        fakeEditor.afterSaved = null
        var component = Qt.createComponent("qrc:/orvui/OrvCloseGuard.qml")
        compare(component.status, Component.Ready, component.errorString())
        guard = createTemporaryObject(component, testCase, { window: fakeWindow, editor: fakeEditor,
                                                                 bot: lumBot, profile: deviceProfile })
    }

    function dialog(name) {
        return findChild(guard, name + "Loader").item
    }

    function shown(name) {
        var box = dialog(name)
        return box !== null && box.visible
    }

    // Starts a job the way the robot reports it.
    function startJob(job) {
        lumBot.setBusy(true)
        if (job === "transfer") {
            lumBot.transferStarted()
            lumBot.setProgress(3, 37)
        } else if (job === "readOut") {
            lumBot.setProgress(12, 0)
        }
    }

    function test_closingWithNothingPendingCloses() {
        fakeWindow.close()
        verify(fakeWindow.closed)
        verify(!shown("jobQuestion") && !shown("saveQuestion"), "nothing asked")
    }

    function test_closingDuringAJobAsksFirst_data() {
        return [
            { tag: "transfer, no", job: "transfer", yes: false,
              question: "Die Übertragung läuft noch. Abbrechen und beenden?" },
            { tag: "read-out, no", job: "readOut", yes: false,
              question: "Das Auslesen läuft noch. Abbrechen und beenden?" },
            { tag: "transfer, yes", job: "transfer", yes: true,
              question: "Die Übertragung läuft noch. Abbrechen und beenden?" },
            { tag: "read-out, yes", job: "readOut", yes: true,
              question: "Das Auslesen läuft noch. Abbrechen und beenden?" }
        ]
    }

    // No keeps the job running; yes aborts it and the window closes only
    // once the robot has brought the device back and gone idle.
    function test_closingDuringAJobAsksFirst(data) {
        startJob(data.job)
        fakeWindow.close()
        tryVerify(function() { return shown("jobQuestion") }, 5000, "question shown")
        compare(dialog("jobQuestion").text, data.question)
        verify(!fakeWindow.closed && lumBot.aborts === 0, "nothing done before the answer")
        data.yes ? dialog("jobQuestion").accept() : dialog("jobQuestion").reject()
        compare(lumBot.aborts, data.yes ? 1 : 0, "aborted")
        fakeWindow.close() // a second click while the device is brought back
        verify(!fakeWindow.closed, "still open while the robot works")
        if (!data.yes)
            return
        verify(guard.stopping, "waiting for the robot")
        lumBot.setBusy(false)
        tryCompare(fakeWindow, "closed", true, 5000)
        verify(!fakeWindow.robotBusyAtClose, "closed after the robot went idle")
    }

    // The identification loses nothing: it is stopped without a question.
    function test_identificationStopsWithoutAQuestion() {
        startJob("identify")
        fakeWindow.close()
        compare(lumBot.aborts, 1)
        verify(!shown("jobQuestion"), "no question")
        lumBot.setBusy(false)
        tryCompare(fakeWindow, "closed", true, 5000)
    }

    // A device that never gets back (a silent line) does not keep the
    // program open for ever.
    function test_robotThatNeverStopsIsLeftAfterTheTimeout() {
        guard.stopTimeoutMs = 50
        startJob("transfer")
        fakeWindow.close()
        dialog("jobQuestion").accept()
        tryCompare(fakeWindow, "closed", true, 5000)
        compare(lumBot.aborts, 1)
    }

    function test_unsavedChangesAsk_data() {
        return [
            { tag: "cancel keeps the window", answer: "cancel", closed: false, saves: 0 },
            { tag: "discard closes", answer: "discard", closed: true, saves: 0 },
            { tag: "save, then closes", answer: "save", closed: true, saves: 1 }
        ]
    }

    function test_unsavedChangesAsk(data) {
        deviceProfile.modified = true
        fakeWindow.close()
        tryVerify(function() { return shown("saveQuestion") }, 5000, "question shown")
        verify(!fakeWindow.closed, "open before the answer")
        var box = dialog("saveQuestion")
        if (data.answer === "cancel")
            box.reject()
        else if (data.answer === "discard")
            box.chooseDiscard()
        else
            box.accept()
        compare(fakeEditor.saves, data.saves)
        if (data.answer === "save") {
            verify(fakeEditor.afterSaved !== null, "saved into the configuration's own file, then closed")
            verify(!fakeWindow.closed, "not closed before the file is written")
            deviceProfile.modified = false
            fakeEditor.afterSaved()
        }
        compare(fakeWindow.closed, data.closed)
    }

    // After the job, unsaved changes are still asked about.
    function test_jobThenUnsavedChanges() {
        deviceProfile.modified = true
        startJob("transfer")
        fakeWindow.close()
        dialog("jobQuestion").accept()
        lumBot.setBusy(false)
        tryVerify(function() { return shown("saveQuestion") }, 5000, "asked about the changes")
        verify(!fakeWindow.closed && !shown("jobQuestion"))
        dialog("saveQuestion").chooseDiscard()
        verify(fakeWindow.closed)
    }
}
