#include "ui/form1.h"
void Form1::Demo_Click() {}
