// Properties every object and entity shares beyond the basics: extension
// dictionaries, lineweight and linetype scale, explode, and the parameter
// queries curves answer in terms of one another.
#include <cmath>

#include "dbdict.h"
#include "../dbinternal.h"
#include "dbsymtb.h"

using host_detail::ObjectAccess;

// ---- extension dictionaries ----

AcDbObjectId AcDbObject::extensionDictionary() const {
    return m_extDict.isNull() || m_extDict.isErased() || !m_extDict.isValid() ? AcDbObjectId::kNull : m_extDict;
}

Acad::ErrorStatus AcDbObject::createExtensionDictionary() {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (!database()) return Acad::eNotInDatabase;
    if (!extensionDictionary().isNull()) return Acad::eAlreadyInDb;
    auto* dict = new AcDbDictionary;
    AcDbObjectId id;
    const Acad::ErrorStatus es = database()->addAcDbObject(id, dict);
    if (es != Acad::eOk) {
        delete dict;
        return es;
    }
    ObjectAccess::setOwner(dict, objectId());
    dict->close();
    assertWriteEnabled();
    m_extDict = id;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::releaseExtensionDictionary() {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    const AcDbObjectId id = extensionDictionary();
    if (id.isNull()) return Acad::eOk;
    AcDbDictionary* dict = nullptr;
    Acad::ErrorStatus es = acdbOpenObject(dict, id, AcDb::kForWrite);
    if (es != Acad::eOk) return es;
    if (dict->numEntries() != 0) {
        dict->close();
        return Acad::eInvalidInput;
    }
    es = dict->erase();
    dict->close();
    if (es != Acad::eOk) return es;
    assertWriteEnabled();
    m_extDict = AcDbObjectId::kNull;
    return Acad::eOk;
}

// ---- entity properties ----

Acad::ErrorStatus AcDbEntity::setLinetype(const ACHAR* newVal, bool doSubents) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (!newVal || !*newVal) return Acad::eInvalidInput;
    AcDbDatabase* db = database() ? database() : acdbHostApplicationServices()->workingDatabase();
    if (!db) return Acad::eNoDatabase;
    const AcDbObjectId id = ObjectAccess::findRecord(db->linetypeTableId(), newVal);
    if (id.isNull()) return Acad::eKeyNotFound;
    return setLinetype(id, doSubents);
}

namespace {
bool IsLineWeight(int w) {
    static const int kWeights[] = {0,  5,  9,  13, 15,  18,  20,  25,  30,  35,  40,  50,
                                   53, 60, 70, 80, 90, 100, 106, 120, 140, 158, 200, 211};
    if (w == -1 || w == -2 || w == -3) return true;
    for (int k : kWeights)
        if (k == w) return true;
    return false;
}
}  // namespace

Acad::ErrorStatus AcDbEntity::setLineWeight(AcDb::LineWeight newVal, bool) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (!IsLineWeight(static_cast<int>(newVal))) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_lineWeight = newVal;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::setLinetypeScale(double newVal, bool) {
    if (!isWriteEnabled()) return Acad::eNotOpenForWrite;
    if (!(newVal > 0.0) || !std::isfinite(newVal)) return Acad::eInvalidInput;
    assertWriteEnabled();
    m_linetypeScale = newVal;
    return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::explode(AcDbVoidPtrArray&) const { return Acad::eNotApplicable; }

// ---- curve parameters ----

Acad::ErrorStatus AcDbCurve::getStartParam(double&) const { return Acad::eNotImplementedYet; }
Acad::ErrorStatus AcDbCurve::getEndParam(double&) const { return Acad::eNotImplementedYet; }
Acad::ErrorStatus AcDbCurve::getPointAtParam(double, AcGePoint3d&) const { return Acad::eNotImplementedYet; }
Acad::ErrorStatus AcDbCurve::getParamAtPoint(const AcGePoint3d&, double&) const { return Acad::eNotImplementedYet; }
Acad::ErrorStatus AcDbCurve::getDistAtParam(double, double&) const { return Acad::eNotImplementedYet; }
Acad::ErrorStatus AcDbCurve::getParamAtDist(double, double&) const { return Acad::eNotImplementedYet; }
Acad::ErrorStatus AcDbCurve::getFirstDeriv(double, AcGeVector3d&) const { return Acad::eNotImplementedYet; }

Acad::ErrorStatus AcDbCurve::getDistAtPoint(const AcGePoint3d& point, double& dist) const {
    double param = 0.0;
    const Acad::ErrorStatus es = getParamAtPoint(point, param);
    return es != Acad::eOk ? es : getDistAtParam(param, dist);
}

Acad::ErrorStatus AcDbCurve::getPointAtDist(double dist, AcGePoint3d& point) const {
    double param = 0.0;
    const Acad::ErrorStatus es = getParamAtDist(dist, param);
    return es != Acad::eOk ? es : getPointAtParam(param, point);
}

namespace host_detail {
Acad::ErrorStatus OpenAllForWrite(const std::vector<AcDbObjectId>& ids, std::vector<AcDbEntity*>& opened) {
    opened.clear();
    for (const auto& id : ids) {
        AcDbEntity* ent = nullptr;
        const Acad::ErrorStatus es = acdbOpenAcDbEntity(ent, id, AcDb::kForWrite, true);
        if (es != Acad::eOk) {
            for (AcDbEntity* e : opened) e->close();
            opened.clear();
            return es;
        }
        opened.push_back(ent);
    }
    return Acad::eOk;
}
}  // namespace host_detail
