#pragma once
// The library's boundary to the host's files and archives: CObject and its
// run-time classes, CFile, CStdioFile, CArchive, their exceptions, and the
// host's conversion of wide text to file-system names.
#include <afx.h>
#include <widetext.h>
