#include "float_scan.h"
