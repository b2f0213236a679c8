// Entity creation: build in memory, set properties, add to model space, close.
#include <cmath>
#include <new>
#include <utility>

#include "drovik/drawing/entities.h"
#include "drovik/geometry/plane.h"
#include "geometry/angles.h"
#include "geometry/constants.h"

using drovik::kHalfPi;
using drovik::kPi;
using drovik::kTwoPi;

namespace {
// The width a polyline vertex takes to follow the polyline's constant width.
constexpr double kUseConstantWidth = -1.0;
constexpr double kTextWidthFactor = 0.7;

// Makers answer false when memory runs out rather than throwing.
template <class T, class... Args>
T* NewEntity(Args&&... args) {
    return new (std::nothrow) T(std::forward<Args>(args)...);
}

AcGePoint2d Flat(const AcGePoint3d& pt) { return AcGePoint2d(pt.x, pt.y); }
Adesk::UInt16 ColorIndex(int nColor) { return static_cast<Adesk::UInt16>(nColor); }

// Hands the entity to the drawing (AddEntToDwg or the sibling library) and
// closes it; on failure deletes it. nullOnFailure: set id to null then.
template <class AddFn>
bool Finish(AcDbEntity* pEnt, AcDbObjectId& id, bool nullOnFailure, AddFn add) {
    if (!add(pEnt, id)) {
        delete pEnt;
        if (nullOnFailure) id = AcDbObjectId::kNull;
        return false;
    }
    pEnt->close();
    return true;
}

bool AddToDrawing(AcDbEntity* pEnt, AcDbObjectId& id) { return AddEntToDwg(pEnt, id); }
bool AddWithSibling(AcDbEntity* pEnt, AcDbObjectId& id) { return sorn::ent::AddToDb(pEnt, id) != 0; }

// Horizontal and vertical text mode of an alignment code.
struct TextAlignment {
    AcDb::TextHorzMode horz;
    AcDb::TextVertMode vert;
};
TextAlignment AlignmentOf(int nAlign) {
    switch (nAlign) {
    case 1: return {AcDb::kTextLeft, AcDb::kTextVertMid};
    case 2: return {AcDb::kTextRight, AcDb::kTextVertMid};
    case 3: return {AcDb::kTextCenter, AcDb::kTextVertMid};
    case 4: return {AcDb::kTextCenter, AcDb::kTextTop};
    case 5: return {AcDb::kTextCenter, AcDb::kTextBottom};
    case 6: return {AcDb::kTextRight, AcDb::kTextTop};
    case 7: return {AcDb::kTextLeft, AcDb::kTextBottom};
    case 8: return {AcDb::kTextRight, AcDb::kTextBottom};
    case 9: return {AcDb::kTextLeft, AcDb::kTextTop};
    default: return {AcDb::kTextLeft, AcDb::kTextVertMid};
    }
}

// A polyline with the frame properties of the segment makers.
AcDbPolyline* NewPolyline(unsigned int numVerts, const CString& strLayer, int nColor, double dWidth) {
    auto* pline = NewEntity<AcDbPolyline>(numVerts);
    if (!pline) return nullptr;
    pline->setDatabaseDefaults();
    pline->setLayer(strLayer);
    pline->setColorIndex(ColorIndex(nColor));
    pline->setConstantWidth(dWidth);
    return pline;
}

bool MakeReversedPolyline(const AcArray<AcGePoint3d>& arrPts, AcDbObjectId& id, bool bClosed, double dWidth,
                          const CString& strLayer, int nColor) {
    AcDbPolyline* pline = NewPolyline(static_cast<unsigned int>(arrPts.length()), strLayer, nColor, dWidth);
    if (!pline) return false;
    if (bClosed) pline->setClosed(true);
    for (const AcGePoint3d& pt : arrPts) pline->addVertexAt(0, Flat(pt), 0.0, kUseConstantWidth, kUseConstantWidth);
    return Finish(pline, id, false, AddToDrawing);
}
}  // namespace

bool AddEntToDwg(AcDbEntity* pEnt, AcDbObjectId& id) {
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    if (!db || !pEnt || !pEnt->isWriteEnabled()) return false;
    AcDbBlockTable* table = nullptr;
    if (db->getBlockTable(table, AcDb::kForRead) != Acad::eOk) return false;
    AcDbBlockTableRecord* model = nullptr;
    const Acad::ErrorStatus es = table->getAt(ACDB_MODEL_SPACE, model, AcDb::kForWrite);
    table->close();
    if (es != Acad::eOk) return false;
    if (model->appendAcDbEntity(id, pEnt) != Acad::eOk) {
        model->close();
        return false;
    }
    return model->close() == Acad::eOk;
}

bool MakeLine(AcGePoint3d ptStart, AcGePoint3d ptEnd, AcDbObjectId& id, CString strLayer, bool bVisible) {
    auto* line = NewEntity<AcDbLine>(ptStart, ptEnd);
    if (!line) {
        id = AcDbObjectId::kNull;
        return false;
    }
    line->setDatabaseDefaults();
    line->setLayer(strLayer);
    if (!bVisible) line->setVisibility(AcDb::kInvisible);
    return Finish(line, id, true, AddWithSibling);
}

bool MakeArc(AcGePoint3d ptCenter, AcGePoint3d ptFirst, AcGePoint3d ptSecond, AcGePoint3d ptOnArc, double dRadius,
             AcDbObjectId& id) {
    if (RotateDirect(ptFirst, ptOnArc, ptSecond) == 1) std::swap(ptFirst, ptSecond);
    auto* arc = NewEntity<AcDbArc>(ptCenter, dRadius, GetDirectAngle(ptCenter, ptFirst), GetDirectAngle(ptCenter, ptSecond));
    if (!arc) {
        id = AcDbObjectId::kNull;
        return false;
    }
    arc->setDatabaseDefaults();
    return Finish(arc, id, true, AddToDrawing);
}

bool MakeCircle(AcGePoint3d ptCenter, double dRadius, AcDbObjectId& id) {
    auto* circle = NewEntity<AcDbCircle>(ptCenter, AcGeVector3d::kZAxis, dRadius);
    if (!circle) {
        id = AcDbObjectId::kNull;
        return false;
    }
    circle->setDatabaseDefaults();
    return Finish(circle, id, true, AddToDrawing);
}

bool MakeRect(AcGePoint3d ptCenter, double dLength, double dWidth, double dAngle, AcDbObjectId& id) {
    AcGePoint3d corners[6];
    corners[0] = GetPolarPoint(ptCenter, dAngle, dLength / 2);
    corners[1] = GetPolarPoint(corners[0], dAngle + kHalfPi, dWidth / 2);
    corners[2] = GetPolarPoint(corners[1], dAngle + kPi, dLength);
    corners[3] = GetPolarPoint(corners[2], dAngle - kHalfPi, dWidth);
    corners[4] = GetPolarPoint(corners[3], dAngle, dLength);
    corners[5] = GetPolarPoint(corners[4], dAngle + kHalfPi, dWidth / 2);
    auto* pline = NewEntity<AcDbPolyline>(6u);
    if (!pline) return false;
    pline->setDatabaseDefaults();
    pline->setConstantWidth(0.0);
    for (unsigned int i = 0; i < 6; ++i)
        pline->addVertexAt(i, Flat(corners[i]), 0.0, kUseConstantWidth, kUseConstantWidth);
    return Finish(pline, id, false, AddToDrawing);
}

bool MakeEllipse(AcGePoint3d ptCenter, double dAngle, double dAlong, double dAcross, AcDbObjectId& id,
                 CString strLayer) {
    if (!(dAcross > 0.0)) return false;
    AcGeVector3d majorAxis;
    double ratio = 0.0;
    if (dAcross < dAlong) {
        majorAxis = GetPolarPoint(ptCenter, dAngle, dAlong) - ptCenter;
        ratio = dAcross / dAlong;
    } else {
        majorAxis = GetPolarPoint(ptCenter, dAngle + kHalfPi, dAcross) - ptCenter;
        ratio = dAlong / dAcross;
    }
    auto* ellipse = NewEntity<AcDbEllipse>();
    if (!ellipse) {
        id = AcDbObjectId::kNull;
        return false;
    }
    ellipse->setDatabaseDefaults();
    // An ellipse the host refuses would be added with no geometry of its own.
    if (ellipse->set(ptCenter, AcGeVector3d::kZAxis, majorAxis, ratio, 0.0, kTwoPi) != Acad::eOk) {
        delete ellipse;
        id = AcDbObjectId::kNull;
        return false;
    }
    ellipse->setLayer(strLayer);
    return Finish(ellipse, id, true, AddToDrawing);
}

int MakeText(AcGePoint3d pt, CString strText, AcDbObjectId& id, int nAlign, double dHeight, double dRotation,
             CString strLayer, bool bVisible, AcDbObjectId idStyle) {
    auto* text = NewEntity<AcDbText>(pt, strText.GetString(), AcDbObjectId::kNull, 0.0, 0.0);
    if (!text) return 0;
    text->setHeight(dHeight);
    text->setRotation(dRotation);
    const TextAlignment align = AlignmentOf(nAlign);
    text->setHorizontalMode(align.horz);
    text->setVerticalMode(align.vert);
    text->setAlignmentPoint(pt);
    text->setWidthFactor(kTextWidthFactor);
    text->setLayer(strLayer);
    if (!bVisible) text->setVisibility(AcDb::kInvisible);
    if (!idStyle.isNull()) text->setTextStyle(idStyle);
    return Finish(text, id, false, AddToDrawing) ? 1 : 0;
}

bool MakePolylineSeg(AcGePoint3d pt1, AcGePoint3d pt2, AcDbObjectId& id, double dWidth, CString strLayer,
                     int nColor) {
    AcArray<AcGePoint3d> pts;
    pts.append(pt1);
    pts.append(pt2);
    return MakeReversedPolyline(pts, id, false, dWidth, strLayer, nColor);
}

bool MakePolylineSeg(AcArray<AcGePoint3d> arrPts, AcDbObjectId& id, bool bClosed, double dWidth, CString strLayer,
                     int nColor) {
    return MakeReversedPolyline(arrPts, id, bClosed, dWidth, strLayer, nColor);
}

bool MakePolylineSeg(AcArray<AcGePoint3d> arrPts, AcDbObjectId& id, double dWidth, CString strLayer, int nColor) {
    return MakeReversedPolyline(arrPts, id, false, dWidth, strLayer, nColor);
}

bool CreateAnonymousGroup(const AcArray<AcDbObjectId>& arrIds, AcDbObjectId& idGroup) {
    if (arrIds.isEmpty()) return false;
    AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
    if (!db) return false;
    auto* group = new (std::nothrow) AcDbGroup;
    if (!group) return false;
    AcDbDictionary* dict = nullptr;
    if (db->getGroupDictionary(dict, AcDb::kForWrite) != Acad::eOk) {
        delete group;
        return false;
    }
    AcDbObjectId filedId;
    if (dict->setAt(L"*", group, filedId) != Acad::eOk) {
        dict->close();
        delete group;
        return false;
    }
    dict->close();
    if (group->append(arrIds) != Acad::eOk) {
        // The group already belongs to the drawing: erase it rather than
        // leave an empty group behind (it must not be deleted from memory).
        group->erase();
        group->close();
        return false;
    }
    idGroup = group->objectId();
    group->close();
    return true;
}

bool CreateAnonymousGroup(const AcArray<AcDbObjectId>& arrIds) {
    AcDbObjectId idGroup;
    return CreateAnonymousGroup(arrIds, idGroup);
}

bool DrawDirectArrow(AcGePoint3d ptTail, double dLength, double dHeadLength, double dAngle, double dShaftWidth,
                     double dHeadWidth, AcDbObjectId& id, CString strLayer, int nColor) {
    AcDbPolyline* pline = NewPolyline(3, strLayer, nColor, 0.0);
    if (!pline) return false;
    pline->addVertexAt(0, Flat(ptTail), 0.0, dShaftWidth, dShaftWidth);
    pline->addVertexAt(1, Flat(GetPolarPoint(ptTail, dAngle, dLength - dHeadLength)), 0.0, dHeadWidth, 0.0);
    pline->addVertexAt(2, Flat(GetPolarPoint(ptTail, dAngle, dLength)), 0.0, kUseConstantWidth, kUseConstantWidth);
    AcDbObjectId added;
    if (!AddEntToDwg(pline, added)) {
        delete pline;
        return false;
    }
    id = pline->objectId();
    pline->close();
    return true;
}

bool DrawDirectArrow(AcGePoint3d ptTail, double dLength, double dHeadLength, double dAngle, double dShaftWidth,
                     double dHeadWidth, CString strLayer, int nColor) {
    AcDbObjectId id;
    return DrawDirectArrow(ptTail, dLength, dHeadLength, dAngle, dShaftWidth, dHeadWidth, id, strLayer, nColor);
}
