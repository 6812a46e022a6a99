#include "chart_file.h"
