#include "plot_light_curves.h"
