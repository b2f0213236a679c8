#pragma once
// Symbol tables of the working database: registered applications, layers,
// linetypes and text styles. Names are compared without regard to case.
// Every function closes the table and each record it opened on every path
// and deletes records that never joined a table; without a working database
// the answer is false or the null id.
#include "drovik/frame/export.h"
#include "drovik/host/editor.h"

// True when the application is registered. With bCreate, an unknown name is
// registered first (false when the host refuses the name or the table).
DROVIK_API bool IsXNameExist(CString strAppName, bool bCreate);

DROVIK_API bool IsLayerExist(CString strLayer);

// Makes the layer with the colour (clamped to 0..256) and the linetype (see
// SetLinetype; a linetype that cannot be set leaves "Continuous"). An
// existing layer is left as it is and answers true. False when the host
// refuses the name or the table.
DROVIK_API bool MakeLayer(CString strLayer, int nColor, CString strLinetype);

// Makes the layer current through "clayer"; false, nothing changed, when the
// layer does not exist.
DROVIK_API bool SetLayerCurrent(CString strLayer);

// Ids of layer and linetype records by name; erased records are found too.
DROVIK_API bool GetLayerId(CString strLayer, AcDbObjectId& idLayer);
DROVIK_API bool GetLinetypeId(CString strLinetype, AcDbObjectId& idLinetype);

// Makes sure the linetype is in the drawing: "Continuous" and linetypes
// already there answer true at once; otherwise the command "-linetype" loads
// it from strFile (empty: "acadiso.lin" in the host program's folder) and
// the answer is true whether or not the file had it. An empty name answers
// false and runs no command.
DROVIK_API bool LoadLinetype(CString strLinetype, CString strFile);

// Gives the layer the linetype, loading it from the default file first when
// needed. True only when the layer took it.
DROVIK_API bool SetLinetype(CString strLayer, CString strLinetype);

// Name of the linetype of a layer (false: no such layer, or its linetype
// record cannot be read).
DROVIK_API bool GetLinetype(CString strLayer, CString& strLinetype);

// The text style of that name, or the null id when there is none.
DROVIK_API AcDbObjectId PdGetTextStyle(const wchar_t* szStyle);
// A new text style with the font "宋体"; the null id when the name is null,
// taken already or refused by the host.
DROVIK_API AcDbObjectId PdCreateTextStyle(const wchar_t* szStyle);
