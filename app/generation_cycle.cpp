#include "generation_cycle.h"
