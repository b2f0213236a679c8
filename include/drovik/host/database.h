#pragma once
// The library's boundary to the host's drawing database, documents, result
// buffers and the sibling library's entity helpers.
#include <acadstrc.h>
#include <acdocman.h>
#include <acutads.h>
#include <adscodes.h>
#include <adsdef.h>
#include <dbapserv.h>
#include <dbdict.h>
#include <dbents.h>
#include <dbgroup.h>
#include <dbid.h>
#include <dbmain.h>
#include <dbpl.h>
#include <dbsymtb.h>
#include <sornbase.h>

#include "drovik/host/geometry.h"
#include "drovik/host/mfc.h"
