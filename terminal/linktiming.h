#ifndef LINKTIMING_H
#define LINKTIMING_H

// How long the terminal link waits for the device. A screen is complete
// after a quiet gap following the device's output; a key that opens or
// confirms something is given the slow-answer time, since the device redraws
// more then; a key that got no answer within its time is given one extra wait.
class LinkTiming
{
public:
    static constexpr int QuietGapMs = 50;
    static constexpr int SlowAnswerMs = 500;
    static constexpr int ExtraWaitMs = 1000;
};

#endif // LINKTIMING_H
