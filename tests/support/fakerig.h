#ifndef FAKERIG_H
#define FAKERIG_H

#include <QString>
#include <QTemporaryDir>

#include "deviceprofile.h"
#include "fakelink.h"
#include "lumbot.h"

// Robot, fake link and profile wired as the window wires the robot to a real
// link: the robot's rules one screen at a time, without a device or a timer
// (RobotHarness is the same wiring over the simulator's pseudo-terminal).
struct FakeRig
{
    FakeLink link;
    DeviceProfile profile;
    LumBot bot;
    QTemporaryDir dir;

    FakeRig();

    void script(const QString &script) { link.script(script); }
    QString keys() const { return link.keys(); }

    // Runs the script with the technician's and the line's events between
    // its steps, then to its end. `events`: "abort N" or "lost N" (the line
    // fails writing), comma-separated, each once the robot has answered the
    // screen of step N since the event before.
    void playEvents(const QString &events);
    // Loads a profile whose menu tree holds `menuTreeXml`; false on failure.
    bool loadProfile(const QString &menuTreeXml);
    // The profile's menu tree in the compact form of TreeText::compact().
    QString tree() const;
};

#endif // FAKERIG_H
