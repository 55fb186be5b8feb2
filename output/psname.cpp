#include "output/psname.h"

// Until the dialog exists the user confirms the name unchanged.
int getPSName(const char*, char*)
{
    return 1;
}
