#pragma once
// Drovik: plane-geometry and drafting routines for CAD add-on applications.
// This header exposes the whole exported interface.
#include "drovik/version.h"

// frame: module entry and per-document state
#include "drovik/frame/docdata.h"
#include "drovik/frame/export.h"
#include "drovik/frame/module.h"

// geometry: value types, polyline container and the geometry kernel
#include "drovik/geometry/arc.h"
#include "drovik/geometry/conventions.h"
#include "drovik/geometry/intersect.h"
#include "drovik/geometry/plane.h"
#include "drovik/geometry/points.h"
#include "drovik/geometry/polyline.h"
#include "drovik/geometry/vertex.h"

// chains: offsetting, linking and selecting chains of entities
#include "drovik/chains/link.h"
#include "drovik/chains/offset.h"
#include "drovik/chains/offset_ents.h"
#include "drovik/chains/parallel_offset.h"
#include "drovik/chains/point_select.h"
#include "drovik/chains/select.h"

// measure: points along polylines
#include "drovik/measure/chain_position.h"
#include "drovik/measure/chord_spacing.h"
#include "drovik/measure/even_spacing.h"

// corners: corner rounding
#include "drovik/corners/fillet.h"
#include "drovik/corners/max_radius.h"

// drawing: entity makers, wipeouts, edits, tables and extended data
#include "drovik/drawing/edits.h"
#include "drovik/drawing/entities.h"
#include "drovik/drawing/tables.h"
#include "drovik/drawing/wipeout.h"
#include "drovik/drawing/xdata.h"

// editor: commands, undo, views, selection sets, coordinate systems
#include "drovik/editor/command.h"
#include "drovik/editor/selset.h"
#include "drovik/editor/view.h"

// data: data nodes, their files and the text utilities
#include "drovik/data/datafile.h"
#include "drovik/data/datanode.h"
#include "drovik/data/text.h"
