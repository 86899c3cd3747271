#include "ui/form1.h"
void Form1::Form_KeyPress(int) {}
