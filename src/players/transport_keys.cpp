#include "ui/form1.h"
void Form1::transportKey_Click(int) {}
