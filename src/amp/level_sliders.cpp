#include "ui/form1.h"
void Form1::volR_Scroll() {}
void Form1::balR_Scroll() {}
void Form1::bassR_Scroll() {}
void Form1::trebR_Scroll() {}
void Form1::bassA_Click() {}
void Form1::balA_Click() {}
void Form1::trebA_Click() {}
