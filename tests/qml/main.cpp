#include <QtQuickTest>

#include "windowtestsetup.h"

QUICK_TEST_MAIN_WITH_SETUP(tst_qmlwindow, WindowTestSetup)
