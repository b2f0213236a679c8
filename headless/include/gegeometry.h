#pragma once
// Headless host: every geometry class at once (convenience for clients).
#include "gegbl.h"
#include "gelent3d.h"
#include "gemat3d.h"
#include "gepnt2d.h"
#include "gepnt3d.h"
#include "gevec3d.h"
#include "gescl3d.h"
