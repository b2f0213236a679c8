#pragma once
// Headless host: 3D line segment (declared with the other linear entities).
#include "gelent3d.h"
