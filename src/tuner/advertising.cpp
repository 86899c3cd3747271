#include "ui/form1.h"
void Form1::Werbeauto_Click() {}
