#include "ui/form1.h"
void Form1::schalttimer_Timer() {}
