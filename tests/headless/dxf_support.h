#pragma once
// DXF tests: a drawing that uses everything the host models, and a text
// snapshot of a drawing to compare drawings by.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <dbdict.h>
#include <dbgroup.h>
#include <dbpl.h>
#include <dbsymtb.h>
#include <dbwipeout.h>
#include <dxfio.h>
#include <widetext.h>

#include "headless/host_fixture.h"
#include "test_support.h"

namespace dxftest {

inline std::string U8(const wchar_t* w) { return host::WideToUtf8(w ? w : L""); }
inline std::string U8(const CString& w) { return U8(w.GetString()); }

inline std::string Name(AcDbObjectId id) {
    AcDbSymbolTableRecord* rec = nullptr;
    if (acdbOpenObject(rec, id, AcDb::kForRead) != Acad::eOk) return "<none>";
    CString name;
    rec->getName(name);
    rec->close();
    return U8(name);
}

inline std::string Num(double v) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.12g", std::fabs(v) < 1e-13 ? 0.0 : v);
    return buf;
}
inline std::string Pt(const AcGePoint3d& p) { return "(" + Num(p.x) + "," + Num(p.y) + "," + Num(p.z) + ")"; }
inline std::string Vec(const AcGeVector3d& v) { return "(" + Num(v.x) + "," + Num(v.y) + "," + Num(v.z) + ")"; }

inline std::string XData(const AcDbObject* obj) {
    std::string s;
    resbuf* list = obj->xData();
    for (const resbuf* rb = list; rb; rb = rb->rbnext) {
        s += " " + std::to_string(rb->restype) + "=";
        switch (host::RbKindOf(rb->restype)) {
        case host::RbKind::String: s += U8(rb->resval.rstring); break;
        case host::RbKind::Real: s += Num(rb->resval.rreal); break;
        case host::RbKind::Point:
            s += Pt(AcGePoint3d(rb->resval.rpoint[0], rb->resval.rpoint[1], rb->resval.rpoint[2]));
            break;
        case host::RbKind::Short: s += std::to_string(rb->resval.rint); break;
        case host::RbKind::Long: s += std::to_string(rb->resval.rlong); break;
        case host::RbKind::Binary:
            for (int i = 0; i < rb->resval.rbinary.clen; ++i) {
                char hex[4];
                std::snprintf(hex, sizeof hex, "%02X", static_cast<unsigned char>(rb->resval.rbinary.buf[i]));
                s += hex;
            }
            break;
        default: break;
        }
    }
    acutRelRb(list);
    return s;
}

struct SnapshotOptions {
    bool visibility = true;    // ezdxf does not write code 60 back
    bool groupOrder = true;    // nor does it keep the order of group members
};

inline std::string H(AcDbObjectId id) {
    char buf[24];
    std::snprintf(buf, sizeof buf, " #%llX", static_cast<unsigned long long>(id.handle()));
    return buf;
}

// Everything the host models, one line per object, in drawing order.
inline std::string Snapshot(AcDbDatabase* db, const SnapshotOptions& o = SnapshotOptions()) {
    std::ostringstream out;
    auto tableLines = [&](AcDbObjectId tableId, const char* kind) {
        AcDbSymbolTable* table = nullptr;
        acdbOpenObject(table, tableId, AcDb::kForRead);
        std::vector<std::string> lines;
        for (const auto& id : table->recordIds()) {
            AcDbObject* obj = nullptr;
            acdbOpenAcDbObject(obj, id, AcDb::kForRead);
            std::string line = std::string(kind) + " " + Name(id) + H(id);
            if (auto* layer = AcDbLayerTableRecord::cast(obj)) {
                line += " colour " + std::to_string(layer->color().colorIndex()) + " linetype " +
                        Name(layer->linetypeObjectId()) + (layer->isOff() ? " off" : "") +
                        (layer->isFrozen() ? " frozen" : "") + (layer->isLocked() ? " locked" : "");
            } else if (auto* lt = AcDbLinetypeTableRecord::cast(obj)) {
                line += " '" + U8(lt->comments()) + "'";
            } else if (auto* st = AcDbTextStyleTableRecord::cast(obj)) {
                const wchar_t* font = nullptr;
                const wchar_t* big = nullptr;
                st->fileName(font);
                st->bigFontFileName(big);
                line += " font '" + U8(font) + "' big '" + U8(big) + "' size " + Num(st->textSize()) + " width " +
                        Num(st->xScale());
            }
            line += XData(obj);
            obj->close();
            lines.push_back(line);
        }
        table->close();
        std::sort(lines.begin(), lines.end());
        for (const auto& l : lines) out << l << "\n";
    };
    tableLines(db->regAppTableId(), "APPID");
    tableLines(db->linetypeTableId(), "LTYPE");
    tableLines(db->layerTableId(), "LAYER");
    tableLines(db->textStyleTableId(), "STYLE");
    out << "CLAYER " << Name(db->clayer()) << "\n";

    AcDbBlockTableRecord* ms = nullptr;
    acdbOpenObject(ms, db->modelSpaceId(), AcDb::kForRead);
    const auto ids = ms->entityIds();
    ms->close();
    for (const auto& id : ids) {
        AcDbEntity* e = nullptr;
        acdbOpenAcDbEntity(e, id, AcDb::kForRead);
        out << U8(e->isA()->name()) << H(id) << " layer " << Name(e->layerId()) << " lt " << Name(e->linetypeId())
            << " colour " << e->colorIndex();
        if (o.visibility) out << (e->visibility() == AcDb::kInvisible ? " invisible" : " visible");
        if (auto* l = AcDbLine::cast(e)) {
            out << " " << Pt(l->startPoint()) << " " << Pt(l->endPoint());
        } else if (auto* a = AcDbArc::cast(e)) {
            out << " " << Pt(a->center()) << " r " << Num(a->radius()) << " " << Num(a->startAngle()) << ".."
                << Num(a->endAngle()) << " n " << Vec(a->normal());
        } else if (auto* c = AcDbCircle::cast(e)) {
            out << " " << Pt(c->center()) << " r " << Num(c->radius()) << " n " << Vec(c->normal());
        } else if (auto* el = AcDbEllipse::cast(e)) {
            out << " " << Pt(el->center()) << " major " << Vec(el->majorAxis()) << " ratio " << Num(el->radiusRatio())
                << " " << Num(el->startAngle()) << ".." << Num(el->endAngle()) << " n " << Vec(el->normal());
        } else if (auto* t = AcDbText::cast(e)) {
            out << " '" << U8(t->textString()) << "' at " << Pt(t->position()) << " align " << Pt(t->alignmentPoint())
                << " h " << Num(t->height()) << " rot " << Num(t->rotation()) << " width " << Num(t->widthFactor())
                << " oblique " << Num(t->oblique()) << " modes " << t->horizontalMode() << "/" << t->verticalMode()
                << " style " << (t->textStyle().isNull() ? std::string("<null>") : Name(t->textStyle()));
        } else if (auto* pl = AcDbPolyline::cast(e)) {
            out << (pl->isClosed() ? " closed" : " open") << " elev " << Num(pl->elevation()) << " cw "
                << Num(pl->storedConstantWidth());
            for (unsigned i = 0; i < pl->numVerts(); ++i) {
                AcGePoint2d p;
                double b = 0, sw = 0, ew = 0;
                pl->getPointAt(i, p);
                pl->getBulgeAt(i, b);
                pl->getWidthsAt(i, sw, ew);
                out << " [" << Num(p.x) << "," << Num(p.y) << " b " << Num(b) << " w " << Num(sw) << "/" << Num(ew)
                    << "]";
            }
        } else if (auto* w = AcDbWipeout::cast(e)) {
            for (const auto& p : w->boundary()) out << " " << Pt(p);
        } else if (auto* p2 = AcDb2dPolyline::cast(e)) {
            out << " type " << p2->polyType() << (p2->isClosed() ? " closed" : " open") << " elev "
                << Num(p2->elevation());
            AcDbObjectIterator* it = p2->vertexIterator();
            for (; !it->done(); it->step()) {
                AcDb2dVertex* v = nullptr;
                p2->openVertex(v, it->objectId(), AcDb::kForRead);
                out << " [" << Pt(v->position()) << H(it->objectId()) << " b " << Num(v->bulge()) << " w "
                    << Num(v->startWidth()) << "/" << Num(v->endWidth()) << " t " << v->vertexType()
                    << XData(v) << "]";
                v->close();
            }
            delete it;
        }
        out << XData(e) << "\n";
        e->close();
    }

    AcDbDictionary* groups = nullptr;
    db->getGroupDictionary(groups, AcDb::kForRead);
    AcDbDictionaryIterator* it = groups->newIterator();
    for (; !it->done(); it->next()) {
        AcDbGroup* g = nullptr;
        acdbOpenObject(g, it->objectId(), AcDb::kForRead);
        const std::string name = g->isAnonymous() ? std::string("*anonymous") : U8(it->name());
        out << "GROUP " << name << H(it->objectId()) << " '" << U8(g->description()) << "'"
            << (g->isSelectable() ? " selectable" : "");
        AcDbObjectIdArray members;
        g->allEntityIds(members);
        std::vector<std::string> hs;
        for (const auto& m : members) hs.push_back(H(m));
        if (!o.groupOrder) std::sort(hs.begin(), hs.end());
        for (const auto& h : hs) out << h;
        out << XData(g) << "\n";
        g->close();
    }
    delete it;
    groups->close();
    return out.str();
}

inline AcDbObjectId AddRecord(AcDbObjectId tableId, AcDbSymbolTableRecord* rec, const wchar_t* name) {
    const AcDbObjectId id = HostTest::AddRecord(tableId, rec, name);
    EXPECT_FALSE(id.isNull()) << U8(name);
    return id;
}

inline void AttachXData(AcDbObjectId id, resbuf* list) {
    AcDbObject* obj = nullptr;
    ASSERT_EQ(acdbOpenAcDbObject(obj, id, AcDb::kForWrite), Acad::eOk);
    EXPECT_EQ(obj->setXData(list), Acad::eOk);
    obj->close();
    acutRelRb(list);
}

// Every modelled feature: tables with their properties, each entity kind,
// extended data of every type, groups, Chinese names and texts.
inline void MakeSample(AcDbDatabase* db) {
    auto* dashed = new AcDbLinetypeTableRecord;
    dashed->setComments(L"Dashed __ __ 虚线");
    const AcDbObjectId dashedId = AddRecord(db->linetypeTableId(), dashed, L"DASHED");
    auto* wall = new AcDbLayerTableRecord;
    AcCmColor green;
    green.setColorIndex(3);
    wall->setColor(green);
    wall->setLinetypeObjectId(dashedId);
    const AcDbObjectId wallId = AddRecord(db->layerTableId(), wall, L"墙");
    auto* off = new AcDbLayerTableRecord;
    AcCmColor blue;
    blue.setColorIndex(5);
    off->setColor(blue);
    off->setLinetypeObjectId(db->continuousLinetype());
    off->setIsOff(true);
    off->setIsFrozen(true);
    AddRecord(db->layerTableId(), off, L"Off");
    auto* style = new AcDbTextStyleTableRecord;
    style->setFileName(L"宋体");
    style->setBigFontFileName(L"gbcbig.shx");
    style->setTextSize(3.5);
    style->setXScale(0.8);
    const AcDbObjectId styleId = AddRecord(db->textStyleTableId(), style, L"仿宋");
    AddRecord(db->regAppTableId(), new AcDbRegAppTableRecord, L"DROVIK");
    AddRecord(db->regAppTableId(), new AcDbRegAppTableRecord, L"其他");

    // Appended with the drawing's defaults, then the given properties; closed.
    auto add = [&](AcDbEntity* e, AcDbObjectId layer = AcDbObjectId::kNull, Adesk::UInt16 colour = 256,
                   AcDbObjectId linetype = AcDbObjectId::kNull, AcDb::Visibility shown = AcDb::kVisible) {
        e->setDatabaseDefaults(db);
        if (!layer.isNull()) e->setLayer(layer);
        if (!linetype.isNull()) e->setLinetype(linetype);
        e->setColorIndex(colour);
        e->setVisibility(shown);
        AcDbBlockTableRecord* ms = nullptr;
        acdbOpenObject(ms, db->modelSpaceId(), AcDb::kForWrite);
        AcDbObjectId id;
        EXPECT_EQ(ms->appendAcDbEntity(id, e), Acad::eOk);
        ms->close();
        e->close();
        return id;
    };
    const AcDbObjectId none;
    const AcDbObjectId lineId =
        add(new AcDbLine(AcGePoint3d(0.1, 0.2, 0.3), AcGePoint3d(1.0 / 3, 2e-7, -4.5e12)), wallId, 1, dashedId);
    const AcDbObjectId hiddenId = add(new AcDbLine(AcGePoint3d(5, 5, 0), AcGePoint3d(6, 6, 0)), none, 0, none, AcDb::kInvisible);
    const AcDbObjectId circleId = add(new AcDbCircle(AcGePoint3d(20, 20, 1), AcGeVector3d::kZAxis, 5.5), none, 255);
    add(new AcDbCircle(AcGePoint3d(3, 4, 5), AcGeVector3d(0, 0.6, 0.8), 2));
    add(new AcDbArc(AcGePoint3d(30, 0, 0), 4, 0.5, 5.9));
    auto* ellipse = new AcDbEllipse;
    ellipse->set(AcGePoint3d(50, 0, 0), AcGeVector3d::kZAxis, AcGeVector3d(10, 2, 0), 0.5, 0.25, 3.0);
    add(ellipse);
    auto* text = new AcDbText(AcGePoint3d(0, 30, 0), L"井1 K1+234.5 ^x", styleId, 2.5, 0.5235987755982988);
    text->setWidthFactor(0.7);
    text->setOblique(0.2);
    text->setHorizontalMode(AcDb::kTextCenter);
    text->setVerticalMode(AcDb::kTextVertMid);
    text->setAlignmentPoint(AcGePoint3d(5, 31, 0));
    const AcDbObjectId textId = add(text, wallId);
    auto* plain = new AcDbText(AcGePoint3d(1, 2, 0), L"left", AcDbObjectId::kNull, 1.0, 0.0);
    plain->setAlignmentPoint(AcGePoint3d(1, 2, 0));
    add(plain);
    auto* lw = new AcDbPolyline;
    lw->setConstantWidth(0.2);
    lw->addVertexAt(0, AcGePoint2d(0, 0), 0.5, 0.1, 0.3);
    lw->addVertexAt(1, AcGePoint2d(5, 0), 0.0);
    lw->addVertexAt(2, AcGePoint2d(5, 5), -0.25, 0.4, 0.4);
    lw->setClosed(true);
    lw->setElevation(2.5);
    const AcDbObjectId lwId = add(lw);
    AcGePoint3dArray pts;
    for (const AcGePoint3d& pt : {AcGePoint3d(0, 10, 0), AcGePoint3d(5, 12, 0), AcGePoint3d(10, 10, 0)}) pts.append(pt);
    AcGeDoubleArray bulges;
    for (double b : {0.5, 0.0, -0.3}) bulges.append(b);
    const AcDbObjectId p2Id = add(new AcDb2dPolyline(AcDb::k2dQuadSplinePoly, pts, 1.5, true, 0.1, 0.2, &bulges));
    add(new AcDb2dPolyline(AcDb::k2dFitCurvePoly, pts));
    auto* wipeout = new AcDbWipeout;
    wipeout->setBoundary({AcGePoint3d(0, 0, 0), AcGePoint3d(10, 0, 0), AcGePoint3d(10, 5, 0), AcGePoint3d(2.5, 7, 0)});
    const AcDbObjectId wipeoutId = add(wipeout);

    const double p[3] = {1, 2, 3};
    const double q[3] = {-4, 5.5, 6e-9};
    char bytes[] = {'\xDE', '\xAD', '\x00', '\xEF'};
    ads_binary bin{4, bytes};
    AttachXData(lineId, acutBuildList(1001, L"DROVIK", 1000, L"井1 宋体", 1002, L"{", 1070, -7, 1071, 123456789,
                                   1040, 0.1, 1041, 3.5, 1042, 1e-300, 1010, p, 1011, q, 1012, p, 1013, q, 1003,
                                   L"墙", 1005, L"1F", 1004, &bin, 1002, L"{", 1000, L"", 1002, L"}", 1002, L"}",
                                   1001, L"其他", 1000, L"second application", 0));
    AttachXData(textId, acutBuildList(1001, L"DROVIK", 1000, L"标注", 0));
    AttachXData(wallId, acutBuildList(1001, L"DROVIK", 1070, 3, 0));
    AttachXData(wipeoutId, acutBuildList(1001, L"DROVIK", 1000, L"mask", 0));

    AcDbDictionary* groups = nullptr;
    db->getGroupDictionary(groups, AcDb::kForWrite);
    auto* named = new AcDbGroup(L"井组 description", true);
    AcDbObjectId namedId;
    groups->setAt(L"井组", named, namedId);
    AcDbObjectIdArray members;
    for (const AcDbObjectId& id : {circleId, lineId, p2Id}) members.append(id);
    named->append(members);
    named->close();
    auto* anon = new AcDbGroup(nullptr, false);
    AcDbObjectId anonId;
    groups->setAt(L"*", anon, anonId);
    anon->append(lwId);
    anon->append(hiddenId);
    anon->close();
    groups->close();
    AttachXData(namedId, acutBuildList(1001, L"DROVIK", 1040, 2.25, 0));
    // Locked last: entities on a locked layer cannot be opened for write.
    AcDbLayerTableRecord* layer = nullptr;
    ASSERT_EQ(acdbOpenObject(layer, wallId, AcDb::kForWrite), Acad::eOk);
    layer->setIsLocked(true);
    layer->close();
}

// Expects every part somewhere in the snapshot.
inline void ExpectHas(const std::string& snapshot, std::initializer_list<const char*> parts) {
    for (const char* part : parts) EXPECT_NE(snapshot.find(part), std::string::npos) << part << "\n" << snapshot;
}

// Drops what ezdxf adds to every drawing it saves.
inline std::string WithoutEzdxfAdditions(const std::string& snapshot) {
    std::istringstream in(snapshot);
    std::string line, out;
    while (std::getline(in, line)) {
        if (line.rfind("APPID EZDXF ", 0) == 0 || line.rfind("APPID HATCHBACKGROUNDCOLOR ", 0) == 0 ||
            line.rfind("LAYER Defpoints ", 0) == 0)
            continue;
        out += line + "\n";
    }
    return out;
}

inline std::wstring W(const std::string& s) { return host::Utf8ToWide(s); }

inline std::string DataPath(const char* name) { return std::string(DROVIK_TEST_DATA_DIR) + "/dxf/" + name; }
inline std::string InteropScript(const char* name) { return std::string(DROVIK_TEST_DATA_DIR) + "/../interop/" + name; }

// Debian's python3-ezdxf, the independent reader and writer.
inline bool HaveEzdxf() {
    static const bool have = std::system("/usr/bin/python3 -c 'import ezdxf' >/dev/null 2>&1") == 0;
    return have;
}

// Runs an interop script; its exit status and what it wrote on stderr.
inline int RunPython(const std::string& args, std::string& errors) {
    const std::string errFile = UniqueTempPath("py_stderr.txt");
    const std::string cmd = "/usr/bin/python3 " + args + " 2>" + errFile;
    const int rc = std::system(cmd.c_str());
    errors = FileText(errFile);
    std::remove(errFile.c_str());
    return rc;
}

}  // namespace dxftest
