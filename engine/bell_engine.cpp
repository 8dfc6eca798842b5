#include "engine/bell_engine.h"
