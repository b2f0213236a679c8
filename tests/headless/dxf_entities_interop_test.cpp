// The modelled entity kinds (points, solids, traces, faces, MText, splines,
// 3D polylines, block references with attributes) through ezdxf and back, every property
// compared: ours -> ezdxf -> ours and ezdxf -> ours -> ezdxf. The properties
// are listed one line per entity in the form tests/interop/ezdxf_entities.py
// prints, so that one list serves both sides.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <sstream>

#include "dbdict.h"
#include "dbents3d.h"
#include "dbhatch.h"
#include "dbentsblock.h"
#include "dbmtext.h"
#include "dbspline.h"
#include "dbxrecrd.h"
#include "dxf_support.h"
#include "host_fixture.h"

namespace {

using namespace dxftest;
using host::dxf::DxfError;
using host::dxf::DxfReport;

std::string G(double v) {
    if (std::fabs(v) < 1e-9) v = 0.0;
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.9g", v);
    return buf;
}
std::string V(double x, double y, double z) { return "(" + G(x) + "," + G(y) + "," + G(z) + ")"; }
std::string V(const AcGePoint3d& p) { return V(p.x, p.y, p.z); }
std::string V(const AcGeVector3d& p) { return V(p.x, p.y, p.z); }

// Object coordinates of a world point for the extrusions the cases use:
// +Z, or -Z where the plane's X axis is world -X.
AcGePoint3d Ocs(const AcGePoint3d& p, const AcGeVector3d& n) {
    return n.z < 0 ? AcGePoint3d(-p.x, p.y, -p.z) : p;
}

std::string Common(const AcDbEntity* e) {
    return "layer=" + Name(e->layerId()) + " color=" + std::to_string(e->colorIndex());
}

// The xrecords of an entity's extension dictionary, by key, as
// ezdxf_entities.py lists them.
std::string XDict(const AcDbEntity* e) {
    const AcDbObjectId id = e->extensionDictionary();
    if (id.isNull()) return "";
    AcDbDictionary* d = nullptr;
    if (acdbOpenObject(d, id, AcDb::kForRead) != Acad::eOk) return " xdict ?";
    std::map<std::string, std::string> items;
    AcDbDictionaryIterator* it = d->newIterator();
    for (; !it->done(); it->next()) {
        AcDbXrecord* x = nullptr;
        if (acdbOpenObject(x, it->objectId(), AcDb::kForRead) != Acad::eOk) continue;
        resbuf* list = nullptr;
        x->rbChain(&list);
        std::string s;
        for (const resbuf* rb = list; rb; rb = rb->rbnext) {
            s += (s.empty() ? "" : ",") + std::to_string(rb->restype) + ":";
            switch (host::RbKindOf(rb->restype)) {
            case host::RbKind::String: s += U8(rb->resval.rstring); break;
            case host::RbKind::Real: s += G(rb->resval.rreal); break;
            case host::RbKind::Point: s += V(rb->resval.rpoint[0], rb->resval.rpoint[1], rb->resval.rpoint[2]); break;
            case host::RbKind::Short: s += std::to_string(rb->resval.rint); break;
            case host::RbKind::Long: s += std::to_string(rb->resval.rlong); break;
            default: s += "?"; break;
            }
        }
        acutRelRb(list);
        items[U8(it->name())] = s;
        x->close();
    }
    delete it;
    d->close();
    std::string out;
    for (const auto& i : items) out += (out.empty() ? "" : " ") + i.first + "=[" + i.second + "]";
    return " xdict {" + out + "}";
}

std::string DescribeEntity(const AcDbEntity* e);
std::string Describe(const AcDbEntity* e) {
    const std::string line = DescribeEntity(e);
    return line.empty() ? line : line + XDict(e);
}

std::string DescribeEntity(const AcDbEntity* e) {
    constexpr double kDeg = 57.295779513082320876798;
    if (const auto* p = AcDbPoint::cast(e))
        return "POINT " + Common(e) + " at " + V(p->position()) + " th " + G(p->thickness()) + " ang " +
               G(p->ecsRotation() * kDeg) + " n " + V(p->normal());
    auto corners = [&](auto* c, const char* type) {
        std::string s = std::string(type) + " " + Common(e);
        for (Adesk::UInt16 k = 0; k < 4; ++k) {
            AcGePoint3d q;
            c->getPointAt(k, q);
            s += " " + V(Ocs(q, c->normal()));
        }
        return s + " th " + G(c->thickness()) + " n " + V(c->normal());
    };
    if (const auto* s = AcDbSolid::cast(e)) return corners(s, "SOLID");
    if (const auto* t = AcDbTrace::cast(e)) return corners(t, "TRACE");
    if (const auto* f = AcDbFace::cast(e)) {
        std::string s = "3DFACE " + Common(e);
        int hidden = 0;
        for (Adesk::UInt16 k = 0; k < 4; ++k) {
            AcGePoint3d q;
            f->getVertexAt(k, q);
            s += " " + V(q);
            Adesk::Boolean visible = true;
            f->isEdgeVisibleAt(k, visible);
            if (!visible) hidden |= 1 << k;
        }
        return s + " hidden " + std::to_string(hidden);
    }
    if (const auto* m = AcDbMText::cast(e))
        return "MTEXT " + Common(e) + " at " + V(m->location()) + " h " + G(m->textHeight()) + " w " +
               G(m->width()) + " att " + std::to_string(m->attachment()) + " style " + Name(m->textStyle()) +
               " spacing " + std::to_string(m->lineSpacingStyle()) + "/" + G(m->lineSpacingFactor()) + " dir " +
               V(m->direction()) + " text <" + U8(m->contentsConst()) + ">";
    if (const auto* sp = AcDbSpline::cast(e)) {
        int degree = 0;
        Adesk::Boolean rational = false, closed = false, periodic = false;
        AcGePoint3dArray ctl;
        AcGeDoubleArray knots, weights;
        double a = 0, b = 0;
        sp->getNurbsData(degree, rational, closed, periodic, ctl, knots, weights, a, b);
        std::string s = "SPLINE " + Common(e) + " deg " + std::to_string(degree) + " rational " +
                        std::to_string(rational ? 1 : 0) + " closed " + std::to_string(closed ? 1 : 0) + " ctl";
        for (const auto& p : ctl) s += " " + V(p);
        s += " knots";
        for (double k : knots) s += " " + G(k);
        s += " weights";
        for (double w : weights) s += " " + G(w);
        s += " fit";
        for (int i = 0; i < sp->numFitPoints(); ++i) {
            AcGePoint3d p;
            sp->getFitPointAt(i, p);
            s += " " + V(p);
        }
        return s;
    }
    if (const auto* pl = AcDb3dPolyline::cast(e)) {
        std::string s = "POLYLINE3D " + Common(e) + " closed " + std::to_string(pl->isClosed() ? 1 : 0) + " pts";
        AcDbObjectIterator* it = pl->vertexIterator();
        for (; !it->done(); it->step()) {
            AcDb3dPolylineVertex* v = nullptr;
            if (acdbOpenObject(v, it->objectId(), AcDb::kForRead) != Acad::eOk) continue;
            s += " " + V(v->position());
            v->close();
        }
        delete it;
        return s;
    }
    if (const auto* r = AcDbBlockReference::cast(e)) {
        const AcGeScale3d sc = r->scaleFactors();
        std::string array;
        if (const auto* m = AcDbMInsertBlock::cast(r))
            if (m->columns() * m->rows() > 1)
                array = " array " + std::to_string(m->columns()) + "x" + std::to_string(m->rows()) + " " +
                        G(m->columnSpacing()) + "," + G(m->rowSpacing());
        std::string s = "INSERT " + Common(e) + " " + Name(r->blockTableRecord()) + " at " +
                        V(Ocs(r->position(), r->normal())) + " scale " + G(sc.sx) + "," + G(sc.sy) + "," + G(sc.sz) +
                        " rot " + G(r->rotation() * kDeg) + " n " + V(r->normal()) + array + " attribs [";
        AcDbObjectIterator* it = r->attributeIterator();
        bool first = true;
        for (; !it->done(); it->step()) {
            AcDbAttribute* a = nullptr;
            if (r->openAttribute(a, it->objectId(), AcDb::kForRead) != Acad::eOk) continue;
            s += (first ? "" : " ") + U8(a->tagConst()) + "=<" + U8(a->textStringConst()) + ">@" + V(a->position());
            first = false;
            a->close();
        }
        delete it;
        return s + "]";
    }
    if (const auto* d = AcDbAttributeDefinition::cast(e)) {
        const int flags = (d->isInvisible() ? 1 : 0) | (d->isConstant() ? 2 : 0) | (d->isVerifiable() ? 4 : 0) |
                          (d->isPreset() ? 8 : 0);
        return "ATTDEF " + Common(e) + " " + U8(d->tagConst()) + " prompt <" + U8(d->promptConst()) + "> text <" +
               U8(d->textStringConst()) + "> flags " + std::to_string(flags) + " at " + V(d->position()) + " h " +
               G(d->height()) + " rot " + G(d->rotation() * kDeg);
    }
    return "";
}

std::string DescribeBlock(const AcDbBlockTableRecord* rec, const char* indent) {
    std::string out;
    for (const AcDbObjectId& id : rec->entityIds(false)) {
        AcDbEntity* e = nullptr;
        if (acdbOpenObject(e, id, AcDb::kForRead) != Acad::eOk) continue;
        const std::string line = Describe(e);
        if (!line.empty()) out += indent + line + "\n";
        e->close();
    }
    return out;
}

// Model space, then the named block definitions by name.
std::string DescribeModel(AcDbDatabase* db) {
    std::string out;
    AcDbBlockTable* table = nullptr;
    if (db->getBlockTable(table, AcDb::kForRead) != Acad::eOk) return out;
    std::map<std::string, AcDbObjectId> blocks;
    AcDbBlockTableIterator* it = nullptr;
    table->newIterator(it);
    for (; !it->done(); it->step()) {
        AcDbObjectId id;
        it->getRecordId(id);
        const std::string name = Name(id);
        if (name.empty() || name[0] == '*') continue;
        blocks[name] = id;
    }
    delete it;
    AcDbBlockTableRecord* model = nullptr;
    table->getAt(ACDB_MODEL_SPACE, model, AcDb::kForRead);
    table->close();
    if (!model) return out;
    out = DescribeBlock(model, "");
    model->close();
    for (const auto& b : blocks) {
        AcDbBlockTableRecord* rec = nullptr;
        if (acdbOpenObject(rec, b.second, AcDb::kForRead) != Acad::eOk) continue;
        out += "BLOCK " + b.first + " base " + V(rec->origin()) + "\n" + DescribeBlock(rec, "  ");
        rec->close();
    }
    return out;
}

class DxfEntitiesInterop : public HostTest {
protected:
    std::string Dump(const std::string& file) {
        const std::string out = UniqueTempPath("dump.txt");
        std::string errors;
        EXPECT_EQ(RunPython(InteropScript("ezdxf_entities.py") + " dump " + file + " >" + out, errors), 0) << errors;
        const std::string text = FileText(out);
        std::remove(out.c_str());
        return text;
    }
    AcDbObjectId Append(AcDbObjectId block, AcDbEntity* e) {
        AcDbBlockTableRecord* rec = nullptr;
        EXPECT_EQ(acdbOpenObject(rec, block, AcDb::kForWrite), Acad::eOk);
        AcDbObjectId id;
        EXPECT_EQ(rec->appendAcDbEntity(id, e), Acad::eOk);
        e->close();
        rec->close();
        return id;
    }
};

TEST_F(DxfEntitiesInterop, EzdxfDrawingThroughOursKeepsEveryProperty) {
    if (!HaveEzdxf()) GTEST_SKIP() << "/usr/bin/python3 has no ezdxf (install python3-ezdxf)";
    const std::string theirs = UniqueTempPath("ezdxf_kinds.dxf");
    std::string errors;
    ASSERT_EQ(RunPython(InteropScript("ezdxf_entities.py") + " make " + theirs, errors), 0) << errors;
    DxfReport report;
    DxfError err;
    ASSERT_TRUE(host::dxf::ReadDxf(W(theirs).c_str(), Db(), err, &report)) << err.what();
    for (const char* kind : {"POINT", "SOLID", "TRACE", "3DFACE", "MTEXT", "SPLINE", "POLYLINE", "INSERT", "ATTDEF",
                             "ATTRIB", "XRECORD"})
        EXPECT_EQ(report.kept.count(kind), 0u) << kind << " is modelled";
    // What we model says what ezdxf wrote: references with their attributes
    // and arrays, attribute definitions, block contents, xrecords.
    const std::string expected = Dump(theirs);
    EXPECT_EQ(DescribeModel(Db()), expected);
    // Written from the model (binary: nothing is copied as read) and read
    // by ezdxf: the same properties, and a clean audit.
    host::dxf::DxfWriteOptions binary;
    binary.format = host::dxf::DxfWriteOptions::Format::Binary;
    const std::string ours = UniqueTempPath("ezdxf_kinds_ours.dxf");
    ASSERT_TRUE(host::dxf::WriteDxf(Db(), W(ours).c_str(), err, binary)) << err.what();
    EXPECT_EQ(Dump(ours), expected);
    std::remove(theirs.c_str());
    std::remove(ours.c_str());
}

TEST_F(DxfEntitiesInterop, OurDrawingThroughEzdxfKeepsEveryProperty) {
    if (!HaveEzdxf()) GTEST_SKIP() << "/usr/bin/python3 has no ezdxf (install python3-ezdxf)";
    const AcDbObjectId model = Db()->currentSpaceId();
    // A block with an attribute definition.
    AcDbBlockTable* table = nullptr;
    ASSERT_EQ(Db()->getBlockTable(table, AcDb::kForWrite), Acad::eOk);
    auto* rec = new AcDbBlockTableRecord;
    rec->setName(L"WELL");
    rec->setOrigin(AcGePoint3d(1, 2, 0));
    AcDbObjectId block;
    ASSERT_EQ(table->add(block, rec), Acad::eOk);
    rec->close();
    table->close();
    Append(block, new AcDbCircle(AcGePoint3d(1, 2, 0), AcGeVector3d::kZAxis, 0.5));
    Append(block, new AcDbAttributeDefinition(AcGePoint3d(0, 0, 0), L"?", L"ID", L"Well id", AcDbObjectId::kNull));

    auto* p = new AcDbPoint(AcGePoint3d(1, 2, 3));
    p->setThickness(0.5);
    p->setEcsRotation(0.5);
    Append(model, p);
    auto* solid = new AcDbSolid(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 0), AcGePoint3d(0, 1, 0), AcGePoint3d(1, 1, 0));
    solid->setThickness(2);
    solid->setColorIndex(3);
    Append(model, solid);
    auto* flipped = new AcDbSolid(AcGePoint3d(0, 0, -1), AcGePoint3d(-2, 0, -1), AcGePoint3d(0, 2, -1));
    flipped->setNormal(AcGeVector3d(0, 0, -1));
    Append(model, flipped);
    Append(model, new AcDbTrace(AcGePoint3d(5, 0, 0), AcGePoint3d(6, 0, 0), AcGePoint3d(5, 1, 0), AcGePoint3d(6, 1, 0)));
    Append(model, new AcDbFace(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 0, 1), AcGePoint3d(1, 1, 2), AcGePoint3d(0, 1, 3),
                               false, true, false, true));
    auto* m = new AcDbMText;
    m->setLocation(AcGePoint3d(10, 20, 0));
    m->setTextHeight(1.5);
    m->setWidth(12);
    m->setAttachment(AcDbMText::kMiddleCenter);
    m->setLineSpacingStyle(AcDb::kExactly);
    m->setLineSpacingFactor(1.5);
    m->setDirection(AcGeVector3d(0, 1, 0));
    m->setContents(L"Well \\PNo. 7 \u4e95");
    Append(model, m);
    auto* longText = new AcDbMText;
    longText->setLocation(AcGePoint3d(0, -5, 0));
    longText->setTextHeight(0.5);
    longText->setContents((std::wstring(600, L'x') + L" long \U0001F600").c_str());
    Append(model, longText);
    AcGePoint3dArray ctl;
    for (const auto& q : {AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0), AcGePoint3d(2, 0, 1)}) ctl.append(q);
    AcGeDoubleArray knots, weights;
    for (double k : {0.0, 0.0, 0.0, 1.0, 1.0, 1.0}) knots.append(k);
    for (double w : {1.0, 0.5, 1.0}) weights.append(w);
    Append(model, new AcDbSpline(2, true, false, false, ctl, knots, weights));
    AcGePoint3dArray fit;
    for (const auto& q : {AcGePoint3d(0, 0, 0), AcGePoint3d(2, 3, 0), AcGePoint3d(4, 1, 0), AcGePoint3d(6, 4, 0)})
        fit.append(q);
    Append(model, new AcDbSpline(fit));
    AcGePoint3dArray route;
    for (const auto& q : {AcGePoint3d(0, 0, 0), AcGePoint3d(1, 2, 3), AcGePoint3d(4, 5, 6)}) route.append(q);
    auto* pipe = new AcDb3dPolyline(AcDb::k3dSimplePoly, route, true);
    Append(model, pipe);
    auto* ref = new AcDbBlockReference(AcGePoint3d(100, 200, 0), block);
    ref->setScaleFactors(AcGeScale3d(2, 2, 1));
    ref->setRotation(0.25);
    const AcDbObjectId refId = Append(model, ref);
    AcDbBlockReference* open = nullptr;
    ASSERT_EQ(acdbOpenObject(open, refId, AcDb::kForWrite), Acad::eOk);
    for (const auto& a : {std::make_pair(L"ID", L"W-1"), std::make_pair(L"DEPTH", L"12.5")}) {
        auto* attr = new AcDbAttribute(AcGePoint3d(100, 200, 0), a.second, a.first, AcDbObjectId::kNull);
        ASSERT_EQ(open->appendAttribute(attr), Acad::eOk);
        attr->close();
    }
    open->close();
    auto* mirrored = new AcDbBlockReference(AcGePoint3d(-3, 4, -5), block);
    mirrored->setNormal(AcGeVector3d(0, 0, -1));
    Append(model, mirrored);
    auto* array = new AcDbMInsertBlock(AcGePoint3d(50, 60, 0), block, 3, 2, 4.0, 5.5);
    array->setRotation(0.5);
    Append(model, array);
    auto* note = new AcDbAttributeDefinition(AcGePoint3d(7, 8, 0), L"none", L"NOTE", L"Note \u4e95");
    note->setInvisible(true);
    note->setPreset(true);
    note->setHeight(0.4);
    Append(model, note);
    // An xrecord in a point's extension dictionary.
    const AcDbObjectId marked = Append(model, new AcDbPoint(AcGePoint3d(9, 9, 0)));
    AcDbPoint* open2 = nullptr;
    ASSERT_EQ(acdbOpenObject(open2, marked, AcDb::kForWrite), Acad::eOk);
    ASSERT_EQ(open2->createExtensionDictionary(), Acad::eOk);
    AcDbDictionary* xd = nullptr;
    ASSERT_EQ(acdbOpenObject(xd, open2->extensionDictionary(), AcDb::kForWrite), Acad::eOk);
    open2->close();
    auto* xrec = new AcDbXrecord;
    resbuf* data = acutBuildList(1, L"station 4", 40, 2.5, 10, std::vector<double>{1, 2, 3}.data(), 70, 4, 90,
                                 70000, 0);
    ASSERT_NE(data, nullptr);
    ASSERT_EQ(xrec->setFromRbChain(*data), Acad::eOk);
    acutRelRb(data);
    AcDbObjectId xid;
    ASSERT_EQ(xd->setAt(L"SURVEY", xrec, xid), Acad::eOk);
    xrec->close();
    xd->close();

    const std::string before = DescribeModel(Db());
    ASSERT_EQ(std::count(before.begin(), before.end(), '\n'), 17) << before;
    DxfError err;
    const std::string ours = UniqueTempPath("our_kinds.dxf");
    ASSERT_TRUE(host::dxf::WriteDxf(Db(), W(ours).c_str(), err)) << err.what();
    EXPECT_EQ(Dump(ours), before) << "as ezdxf reads what we wrote";
    const std::string theirs = UniqueTempPath("our_kinds_ezdxf.dxf");
    std::string errors;
    ASSERT_EQ(RunPython(InteropScript("ezdxf_entities.py") + " resave " + ours + " " + theirs, errors), 0) << errors;
    AcDbDatabase back(true, true);
    DxfReport report;
    ASSERT_TRUE(host::dxf::ReadDxf(W(theirs).c_str(), &back, err, &report)) << err.what();
    for (const char* kind : {"INSERT", "ATTDEF", "ATTRIB", "XRECORD"})
        EXPECT_EQ(report.kept.count(kind), 0u) << kind << " is modelled";
    EXPECT_EQ(DescribeModel(&back), before);
    std::remove(ours.c_str());
    std::remove(theirs.c_str());
}

// Regression: an entity the writer had no DXF form for (a hatch of the
// model, an attribute definition in a block) was written as a record with an
// empty type, which no reader accepts. It is left out now and named.
// An entity class of a client's own, as add-ons derive them.
class ClientMarker : public AcDbEntity {
public:
    ACRX_DECLARE_MEMBERS(ClientMarker)
};
ACRX_DEFINE_MEMBERS(ClientMarker, AcDbEntity)

TEST_F(DxfEntitiesInterop, EntityWithoutDxfFormIsLeftOutAndNamedNotWrittenWithoutType) {
    // A client's own entity class has no DXF form in the host.
    Add(new ClientMarker);
    Add(new AcDbPoint(AcGePoint3d(1, 1, 0)));
    std::string out;
    std::vector<std::string> dropped;
    host::dxf::DxfWriteOptions opts;
    opts.dropped = &dropped;
    DxfError err;
    ASSERT_TRUE(host::dxf::WriteDxfString(Db(), out, err, opts)) << err.what();
    EXPECT_EQ(out.find("\n  0\n\n"), std::string::npos) << "a record without a type";
    ASSERT_EQ(dropped.size(), 1u);
    EXPECT_EQ(dropped[0], "ClientMarker entities: 1");
    // What was written reads back: the point, modelled.
    AcDbDatabase back(true, true);
    DxfReport report;
    ASSERT_TRUE(host::dxf::ReadDxfBuffer(out.data(), out.size(), &back, err, &report)) << err.what();
    EXPECT_EQ(report.kept["POINT"], 0);
    EXPECT_EQ(DescribeModel(&back), "POINT layer=0 color=256 at (1,1,0) th 0 ang 0 n (0,0,1)\n");
}

// A reference to a block the file does not define cannot be modelled (the
// host's reference needs its block record): kept as read, with the cause.
TEST_F(DxfEntitiesInterop, InsertOfUndefinedBlockIsKeptAsReadWithAWarning) {
    const std::string dxf =
        "  0\nSECTION\n  2\nENTITIES\n  0\nINSERT\n  8\n0\n  2\nNOWHERE\n 10\n1.0\n 20\n2.0\n 30\n0.0\n"
        "  0\nPOINT\n  8\n0\n 10\n3.0\n 20\n4.0\n 30\n0.0\n  0\nENDSEC\n  0\nEOF\n";
    DxfError err;
    DxfReport report;
    ASSERT_TRUE(host::dxf::ReadDxfBuffer(dxf.data(), dxf.size(), Db(), err, &report)) << err.what();
    EXPECT_EQ(report.kept["INSERT"], 1);
    EXPECT_EQ(report.kept["POINT"], 0);
    bool warned = false;
    for (const auto& w : report.warnings) warned |= w.find("INSERT of undefined block 'NOWHERE'") != std::string::npos;
    EXPECT_TRUE(warned);
    std::string out;
    ASSERT_TRUE(host::dxf::WriteDxfString(Db(), out, err)) << err.what();
    EXPECT_NE(out.find("NOWHERE"), std::string::npos) << "the kept reference is written back";
}

}  // namespace
