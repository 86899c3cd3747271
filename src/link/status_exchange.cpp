#include "ui/form1.h"
void Form1::requestStatus() {}
void Form1::MSComm1_OnComm(platform::SerialPort::EventKind) {}
void Form1::testtimer_Timer() {}
void Form1::dauertimer_Timer() {}
void Form1::Timer3_Timer() {}
void Form1::Command1_Click() {}
void Form1::startRepeat(cmd::Code, int) {}
