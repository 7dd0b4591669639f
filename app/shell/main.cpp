// ide51: the desktop IDE for the 8051 family.
#include "app/shell/ide_application.h"

int main(int argc, char** argv)
{
    return RunIde(argc, argv);
}
