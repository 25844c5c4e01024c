#include <Point.h>

const BPoint B_ORIGIN(0, 0);
