#include "ui/form1.h"
void Form1::autominusK_Click() {}
void Form1::autoplusK_Click() {}
void Form1::progminusK_Click() {}
void Form1::progplusK_Click() {}
void Form1::TestMemory_Click() {}
