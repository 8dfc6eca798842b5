#include "engine/editor_commands.h"
