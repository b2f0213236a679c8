#pragma once
// Interactive picking of one entity.
#include "drovik/frame/export.h"
#include "drovik/host/editor.h"

// Asks the user to pick one entity with strPrompt ("\n选择实体:" when empty)
// until an entity matching the filters is picked, a keyword is typed or the
// input ends otherwise. strEntType (a host entity type, wildcards and lists
// allowed), strLayer and strAppName (extended data of that application)
// filter when not empty. strKeyWord: the keyword list offered (empty: none);
// on a typed keyword it receives the keyword. A pick that finds nothing
// prints "\n没有选中指定实体，请重选!" (the drawing is regenerated once
// first) and asks again. "osmode" is set to nearest meanwhile and restored.
// Answers RTNORM with idEnt and ptPick (UCS) set, RTKWORD, or the input's
// other result (RTCAN on a cancel) with idEnt untouched.
DROVIK_API int SelectOneEnt(AcDbObjectId& idEnt, AcGePoint3d& ptPick, CString strPrompt, CString& strKeyWord,
                            CString strEntType, CString strLayer, CString strAppName);
