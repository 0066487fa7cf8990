#include "state/shared.h"
#include "plugin/entry.h"
