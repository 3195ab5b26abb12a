#include "model/bitmap_file.h"
