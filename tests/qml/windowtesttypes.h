#ifndef WINDOWTESTTYPES_H
#define WINDOWTESTTYPES_H

#include "simulatorprobe.h"

// What the window's test cases import besides the program's module: the
// simulated device behind the port list, as the singleton TestDevice.
// Registered by the test program (windowtestsetup.cpp) and described to
// Qt 6's qmllint by the build (lumqmltypesdump), both from this list.
const char *const windowTestModule = "com.orv.lum.test";

template<class Visitor>
void visitWindowTestTypes(Visitor &visitor)
{
    visitor.template singleton<SimulatorProbe>("TestDevice");
}

#endif // WINDOWTESTTYPES_H
