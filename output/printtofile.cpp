#include "output/printtofile.h"

void setFileDestination() {}
void runDistillerStep() {}
