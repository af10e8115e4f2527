// Umbrella header: every public header of the library.
#pragma once

#include "kvrElvex.h"
#include "kvrError.h"
#include "kvrLutFunc.h"
#include "kvrMath.h"
