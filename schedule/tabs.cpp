#include "schedule/tabs.h"
