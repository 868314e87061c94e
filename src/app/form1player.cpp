// The player: replay, the playback step, the time delay and deleting a recording.
#include "form1.h"

void Form1::Label4_Click() {}
void Form1::LoadRecording() {}
void Form1::Timer2_Timer() {}
void Form1::tdelay_Change() {}
void Form1::lblTitle_Click() {}
void Form1::Label4_MouseMove() {}
void Form1::lblTitle_MouseMove() {}
void Form1::stopAtDamagedLine() {}
