// The recorder: the Record switch, the tick counter and the appends.
#include "form1.h"

void Form1::RecordKey(qint16 /*keyIndex*/) {}
void Form1::StopPlayback() {}
void Form1::mnuRecord_Click() {}
void Form1::Timer1_Timer() {}
void Form1::countTicks() {}
void Form1::showRecordingPresence(bool, bool) {}
