#include "ui/form1.h"
void Form1::Quelle_Click(int) {}
