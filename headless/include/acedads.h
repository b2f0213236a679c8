#pragma once
// Headless host: the ADS editor functions (declared in aced.h).
#include "aced.h"
