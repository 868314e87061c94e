// The settings, about and guide windows, opened from the main window.
#include "form1.h"

void Form1::mnuSet_Click() {}
void Form1::mnuAbout_Click() {}
void Form1::Label2_Click() {}
void Form1::mnurdme_Click() {}
void Form1::applyAppearance() {}
