#include "ui/form1.h"
void Form1::decodeStatus() {}
void Form1::showStation(const QVariant &) {}
