// One half of a circle the include check must find.
#pragma once

#include "ui/b.h"
