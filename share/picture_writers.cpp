#include "share/picture_writers.h"

bool PictureWritersAvailable() { return true; }
