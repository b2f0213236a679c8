#pragma once
// Headless host: 2D vector (declared with the 2D point).
#include "gepnt2d.h"
