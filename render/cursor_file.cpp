#include "render/cursor_file.h"
