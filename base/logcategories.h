#ifndef LOGCATEGORIES_H
#define LOGCATEGORIES_H

#include <QLoggingCategory>

// The program's diagnostics, one category a subsystem. All of them reach the
// debug log ("-debuglog"); QT_LOGGING_RULES switches them one by one on a
// terminal (e.g. "lum.robot.debug=false" to hear only the link).
//
// The line labels the device's trace and the robot's events carry ("PRG
// INPUT:", "LUMBOT ...", "KELHANDLER: ...") stay in the text: the log is read
// and searched by them.

// The terminal link: opening, closing and losing the port, the ports found.
Q_DECLARE_LOGGING_CATEGORY(lumLink)
// The menu robot: its jobs' starts, ends and errors, the walks' decisions.
Q_DECLARE_LOGGING_CATEGORY(lumRobot)
// The configuration model and its file: loading, saving, folders.
Q_DECLARE_LOGGING_CATEGORY(lumFile)
// The service record: history copies and transfer reports.
Q_DECLARE_LOGGING_CATEGORY(lumRecord)
// lumctl, the command-line tool.
Q_DECLARE_LOGGING_CATEGORY(lumCli)

// The trace of the programming line: a line for every byte received and key
// sent, and for every screen the robot reads. Thousands of lines a session;
// they are only written into the debug log, never to the terminal (a
// developer can still switch them on with QT_LOGGING_RULES=lum.trace.debug=true).
Q_DECLARE_LOGGING_CATEGORY(lumTrace)

#endif // LOGCATEGORIES_H
