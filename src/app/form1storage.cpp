// Storing recordings by name, loading them back, clearing, and the converter.
#include "form1.h"

void Form1::mnuFileSav_Click() {}
void Form1::mnufileload_Click() {}
void Form1::mnufileclear_Click() {}
void Form1::kestrune_Click() {}
