#include "light_curve_reader.h"
