#include "ui/form1.h"
void Form1::StationenEinlesen_Click() {}
