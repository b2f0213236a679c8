#pragma once
// Symbol tables of the working database: registered applications, layers,
// linetypes and text styles. Names are compared without regard to case.
// Every function closes the table and each record it opened on every path
// and deletes records that never joined a table; without a working database
// the answer is false or the null id.
#include "drovik/frame/export.h"
#include "drovik/host/database.h"

// True when the application is registered. With bCreate, an unknown name is
// registered first (false when the host refuses the name or the table).
DROVIK_API bool IsXNameExist(CString strAppName, bool bCreate);

DROVIK_API bool IsLayerExist(CString strLayer);

// Ids of layer and linetype records by name; erased records are found too.
DROVIK_API bool GetLayerId(CString strLayer, AcDbObjectId& idLayer);
DROVIK_API bool GetLinetypeId(CString strLinetype, AcDbObjectId& idLinetype);

// Name of the linetype of a layer (false: no such layer, or its linetype
// record cannot be read).
DROVIK_API bool GetLinetype(CString strLayer, CString& strLinetype);

// The text style of that name, or the null id when there is none.
DROVIK_API AcDbObjectId PdGetTextStyle(const wchar_t* szStyle);
// A new text style with the font "宋体"; the null id when the name is null,
// taken already or refused by the host.
DROVIK_API AcDbObjectId PdCreateTextStyle(const wchar_t* szStyle);
