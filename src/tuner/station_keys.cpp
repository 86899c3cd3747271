#include "ui/form1.h"
void Form1::stationT_Click(int) {}
