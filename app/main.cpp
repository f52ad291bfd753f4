// qx-p2210: the desktop clone tool.
#include "app/Frmmain.h"

int main(int argc, char** argv) { return qx::cuiRunProgram(argc, argv); }
