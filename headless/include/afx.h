#pragma once
// Headless host: the MFC core header. Brings the base types, the wide
// runtime, CString, (as client projects expect from stdafx) the templates,
// CObject with its run-time classes, CArchive, CFile and the exceptions.
#include "windef.h"
#include "wincrt.h"
#include "afxstr.h"
#include "afxtempl.h"
#include "afxcoll.h"
#include "afxobject.h"
#include "afxarchive.h"
#include "afxfile.h"
