#include "config_reader.h"
