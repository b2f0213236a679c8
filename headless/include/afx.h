#pragma once
// Headless host: the MFC core header. Brings the base types, the wide
// runtime, CString and (as client projects expect from stdafx) the templates.
#include "windef.h"
#include "wincrt.h"
#include "afxstr.h"
#include "afxtempl.h"
#include "afxcoll.h"
