#include "ui/form1.h"
void Form1::muteK_Click() {}
void Form1::loudnK_Click() {}
void Form1::ls1K_Click() {}
void Form1::ls2K_Click() {}
void Form1::monoK_Click() {}
void Form1::hblendK_Click() {}
void Form1::herz_Click() {}
void Form1::eqK_Click() {}
void Form1::copy_Click() {}
void Form1::lbassminus_Click() {}
void Form1::lbassplus_Click() {}
