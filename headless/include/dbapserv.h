#pragma once
// Headless host: the host application services (working database).
#include "dbmain.h"
