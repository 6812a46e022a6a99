#include "channel_curves.h"
