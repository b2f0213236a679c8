#pragma once
// Headless host: unbounded 3D line (declared with the other linear entities).
#include "gelent3d.h"
