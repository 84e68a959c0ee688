import QtQuick 2.12

// Stands between the technician's click on the window's close button and
// the end of the program. A job that runs is stopped the safe way first (the
// robot brings the device back to its base menu before it goes idle, and the
// service record writes its copy or report when the robot ends the job), and
// unsaved changes are saved, discarded or kept as the technician says.
Item {
    id: guard

    // The window to close, and the editor that saves the configuration.
    property var window: null
    property var editor: null
    // The robot whose job is stopped (its isEnabled, itemsDone, itemsTotal,
    // abort() and job signals), and the configuration whose changes are
    // asked about (its modified).
    property var bot: null
    property var profile: null

    // How long the device may take to get back to its base menu before the
    // program ends all the same (a silent line never lets the robot finish).
    property int stopTimeoutMs: 15000

    // What the robot does, as far as the technician should be asked about
    // it: "transfer", "readOut", or "" for the identification, which loses
    // nothing and is stopped without a question.
    property string runningJob: ""
    // Yes was said to stopping the job: it is not asked about again.
    property bool jobStopAgreed: false
    // Waiting for the robot to go idle after the abort.
    property bool stopping: false
    // Everything is settled: the close under way goes through.
    property bool leaving: false

    // The robot's job is over (its isEnabled signals as enabledChanged, a
    // name a Connections cannot take a handler for: its own enabled has it).
    readonly property bool botBusy: guard.bot ? guard.bot.isEnabled : false
    onBotBusyChanged: {
        if (guard.botBusy)
            return
        guard.runningJob = ""
        if (guard.stopping)
            guard.jobStopped()
    }

    // The handler of the window's closing signal.
    function handleClosing(close) {
        if (leaving)
            return
        close.accepted = false
        if (stopping)
            return
        if (guard.bot.isEnabled && !jobStopAgreed) {
            askAboutJob()
            return
        }
        if (guard.profile.modified) {
            saveQuestion.show("Die Konfiguration wurde geändert und nicht gespeichert.\n"
                              + "Änderungen speichern?")
            return
        }
        // Nothing to ask: this close goes through. (Closing the window again
        // from inside its own closing signal is ignored by Qt 6, so the
        // window must not refuse this close and start another.)
        close.accepted = true
        jobStopAgreed = false
    }

    function askAboutJob() {
        if (runningJob === "") {
            stopJobThenClose()
            return
        }
        jobQuestion.ask(runningJob === "transfer"
                        ? "Die Übertragung läuft noch. Abbrechen und beenden?"
                        : "Das Auslesen läuft noch. Abbrechen und beenden?",
                        stopJobThenClose)
    }

    function stopJobThenClose() {
        jobStopAgreed = true
        if (!guard.bot.isEnabled) {
            closeAgain()
            return
        }
        stopping = true
        stopTimer.start()
        guard.bot.abort()
        if (!guard.bot.isEnabled)
            jobStopped()
    }

    function jobStopped() {
        stopping = false
        stopTimer.stop()
        // The service record writes on the robot's last signals; the window
        // closes after they are all handled.
        Qt.callLater(closeAgain)
    }

    // Runs the checks once more: after a job, unsaved changes still count.
    function closeAgain() {
        window.close()
    }

    function closeNow() {
        leaving = true
        window.close()
        leaving = false
        jobStopAgreed = false
    }

    Connections {
        target: guard.bot
        function onTransferStarted() {
            guard.runningJob = "transfer"
        }
        // A read-out counts its entries; a transfer counts its settings.
        function onProgressChanged() {
            if (guard.bot.isEnabled && guard.runningJob === "" && guard.bot.itemsTotal === 0
                    && guard.bot.itemsDone > 0)
                guard.runningJob = "readOut"
        }
    }

    Timer {
        id: stopTimer
        interval: guard.stopTimeoutMs
        onTriggered: {
            console.log("The device did not get back to its base menu in time; closing all the same")
            guard.stopping = false
            guard.closeAgain()
        }
    }

    OrvConfirmation {
        id: jobQuestion
        objectName: "jobQuestionLoader"
        dialogProperties: ({ objectName: "jobQuestion" })
    }

    OrvLazyDialog {
        id: saveQuestion
        objectName: "saveQuestionLoader"
        dialogSource: Qt.resolvedUrl("OrvSaveQuestion.qml")
        dialogProperties: ({ objectName: "saveQuestion" })
        onAccepted: guard.editor.save(guard.closeAgain, true)
        onDiscarded: guard.closeNow()
        onRejected: guard.jobStopAgreed = false
    }
}
