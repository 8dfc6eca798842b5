#include "engine/local_time.h"
