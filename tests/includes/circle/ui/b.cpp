#include "ui/b.h"

#include "ui/a.h"
