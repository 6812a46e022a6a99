#include "chart_frame.h"
