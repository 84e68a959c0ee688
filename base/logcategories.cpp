#include "logcategories.h"

Q_LOGGING_CATEGORY(lumLink, "lum.link")
Q_LOGGING_CATEGORY(lumRobot, "lum.robot")
Q_LOGGING_CATEGORY(lumFile, "lum.file")
Q_LOGGING_CATEGORY(lumRecord, "lum.record")
Q_LOGGING_CATEGORY(lumCli, "lum.cli")
// Off below info unless the debug log is written (LogHandler::install).
Q_LOGGING_CATEGORY(lumTrace, "lum.trace", QtInfoMsg)
