// Hatches and dimensions through ezdxf and back, every property compared:
// ours -> ezdxf -> ours and ezdxf -> ours -> ezdxf. The properties are
// listed one line per entity in the form tests/interop/ezdxf_hatchdim.py
// prints, so that one list serves both sides.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>

#include "dbdim.h"
#include "dbhatch.h"
#include "dxf_support.h"
#include "host_fixture.h"

namespace {

using namespace dxftest;
using host::dxf::DxfError;
using host::dxf::DxfReport;

constexpr double kDeg = 57.295779513082320876798;
constexpr double kHalfPi = 1.57079632679489661923;

std::string G(double v) {
    if (std::fabs(v) < 1e-9) v = 0.0;
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.9g", v);
    return buf;
}
// Degrees in [0, 360), as the script prints them.
std::string D(double degrees) {
    double v = std::fmod(degrees, 360.0);
    if (v < 0) v += 360.0;
    if (std::fabs(v) < 1e-7 || std::fabs(v - 360.0) < 1e-7) v = 0.0;
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.6f", v);
    return buf;
}
std::string V(double x, double y) { return "(" + G(x) + "," + G(y) + ")"; }
std::string V(const AcGePoint2d& p) { return V(p.x, p.y); }
std::string V(const AcGeVector2d& p) { return V(p.x, p.y); }
std::string V(const AcGePoint3d& p) { return "(" + G(p.x) + "," + G(p.y) + "," + G(p.z) + ")"; }
std::string V(const AcGeVector3d& p) { return V(AcGePoint3d(p.x, p.y, p.z)); }

std::string Edge(const AcDbHatch::Edge& e) {
    switch (e.type) {
    case AcDbHatch::kLine: return "L " + V(e.start) + " " + V(e.end);
    case AcDbHatch::kCirArc:
    case AcDbHatch::kEllArc: {
        // ezdxf keeps arcs counter-clockwise: a clockwise one from its end.
        const double a = (e.isCounterClockwise ? e.startAngle : e.endAngle) * kDeg;
        const double b = (e.isCounterClockwise ? e.endAngle : e.startAngle) * kDeg;
        const std::string tail = " " + D(a) + ".." + D(b) + " ccw " + (e.isCounterClockwise ? "1" : "0");
        if (e.type == AcDbHatch::kCirArc) return "A " + V(e.center) + " r " + G(e.radius) + tail;
        return "E " + V(e.center) + " major " + V(e.majorAxis) + " ratio " + G(e.minorRatio) + tail;
    }
    case AcDbHatch::kSpline: {
        std::string s = "S deg " + std::to_string(e.degree) + " rational " + (e.weights.isEmpty() ? "0" : "1") +
                        " periodic " + (e.periodic ? "1" : "0") + " knots";
        for (double k : e.knots) s += " " + G(k);
        s += " ctl";
        for (const auto& p : e.controlPoints) s += " " + V(p);
        s += " weights";
        for (double w : e.weights) s += " " + G(w);
        s += " fit";
        for (const auto& p : e.fitPoints) s += " " + V(p);
        return s;
    }
    }
    return "?";
}

std::string DescribeHatch(const AcDbHatch* h) {
    std::string s = "HATCH layer=" + Name(h->layerId()) + " color=" + std::to_string(h->colorIndex()) + " pattern " +
                    U8(h->patternName()) + " type " + std::to_string(h->patternType()) + " solid " +
                    (h->isSolidFill() ? "1" : "0") + " angle " + D(h->patternAngle() * kDeg) + " scale " +
                    G(h->patternType() == AcDbHatch::kUserDefined ? h->patternSpace() : h->patternScale()) +
                    " double " + (h->patternDouble() ? "1" : "0") + " style " + std::to_string(h->hatchStyle()) +
                    " assoc " + (h->associative() ? "1" : "0") + " elev " + G(h->elevation()) + " n " +
                    V(h->normal()) + " lines[";
    for (int k = 0; k < h->numPatternDefinitions(); ++k) {
        double a = 0, bx = 0, by = 0, ox = 0, oy = 0;
        AcGeDoubleArray dashes;
        h->getPatternDefinitionAt(k, a, bx, by, ox, oy, dashes);
        s += std::string(k ? " " : "") + D(a * kDeg) + "/" + V(bx, by) + "/" + V(ox, oy) + "/";
        for (int d = 0; d < dashes.length(); ++d) s += (d ? "," : "") + G(dashes[d]);
    }
    s += "] seeds[";
    for (int k = 0; k < h->numSeedPoints(); ++k) {
        AcGePoint2d p;
        h->getSeedPointAt(static_cast<unsigned int>(k), p);
        s += (k ? " " : "") + V(p);
    }
    s += "] loops[";
    for (int k = 0; k < h->numLoops(); ++k) {
        Adesk::Int32 type = 0;
        AcGePoint2dArray pts;
        AcGeDoubleArray bulges;
        std::vector<AcDbHatch::Edge> edges;
        AcDbObjectIdArray sources;
        h->getAssocObjIdsAt(k, sources);
        s += k ? " | " : "";
        if (h->getLoopAt(k, type, pts, bulges) == Acad::eOk) {
            s += "P " + std::to_string(type) + " closed 1 [";
            for (int v = 0; v < pts.length(); ++v) s += (v ? " " : "") + G(pts[v].x) + "," + G(pts[v].y) + "," + G(bulges[v]);
        } else {
            EXPECT_EQ(h->getLoopAt(k, type, edges), Acad::eOk);
            s += "E " + std::to_string(type) + " [";
            for (std::size_t v = 0; v < edges.size(); ++v) s += (v ? "; " : "") + Edge(edges[v]);
        }
        s += "] src " + std::to_string(sources.length());
    }
    return s + "]";
}

std::string DescribeDimension(AcDbDimension* d, bool withMeasure) {
    int parts = -1;
    AcDbBlockTableRecord* block = nullptr;
    if (!d->dimBlockId().isNull() && acdbOpenObject(block, d->dimBlockId(), AcDb::kForRead) == Acad::eOk) {
        parts = static_cast<int>(block->entityIds(false).size());
        block->close();
    }
    auto* rot = AcDbRotatedDimension::cast(d);
    auto* al = AcDbAlignedDimension::cast(d);
    auto* rad = AcDbRadialDimension::cast(d);
    auto* dia = AcDbDiametricDimension::cast(d);
    const int type = rot ? 0 : al ? 1 : rad ? 4 : 3;
    std::string s = "DIMENSION layer=" + Name(d->layerId()) + " color=" + std::to_string(d->colorIndex()) + " type " +
                    std::to_string(type) + " parts " + std::to_string(parts) + " def ";
    if (rot) s += V(rot->dimLinePoint()) + " x1 " + V(rot->xLine1Point()) + " x2 " + V(rot->xLine2Point()) + " rot " +
                  D(rot->rotation() * kDeg) + " oblique " + D(rot->oblique() * kDeg);
    if (al) s += V(al->dimLinePoint()) + " x1 " + V(al->xLine1Point()) + " x2 " + V(al->xLine2Point()) +
                 " oblique " + D(al->oblique() * kDeg);
    if (rad) s += V(rad->center()) + " chord " + V(rad->chordPoint()) + " leader " + G(rad->leaderLength());
    if (dia) s += V(dia->farChordPoint()) + " chord " + V(dia->chordPoint()) + " leader " + G(dia->leaderLength());
    ACHAR* text = d->dimensionText();
    s += " text <" + U8(text) + "> style " + Name(d->dimensionStyle()) + " textrot " + D(d->textRotation() * kDeg) +
         " hdir " + D(d->horizontalRotation() * kDeg) + " att " + std::to_string(d->textAttachment()) + " spacing " +
         std::to_string(d->textLineSpacingStyle()) + "/" + G(d->textLineSpacingFactor()) + " n " + V(d->normal()) +
         " userpos " + (d->isUsingDefaultTextPosition() ? "-" : V(d->textPosition()));
    acutDelString(text);
    double value = 0;
    if (withMeasure && d->measurement(value) == Acad::eOk) {
        char buf[40];
        std::snprintf(buf, sizeof buf, " measure %.6g", value);
        s += buf;
    }
    return s;
}

// Model space's hatches and dimensions, one line each.
std::string DescribeModel(AcDbDatabase* db, bool withMeasure) {
    std::string out;
    AcDbBlockTable* table = nullptr;
    if (db->getBlockTable(table, AcDb::kForRead) != Acad::eOk) return out;
    AcDbBlockTableRecord* model = nullptr;
    table->getAt(ACDB_MODEL_SPACE, model, AcDb::kForRead);
    table->close();
    if (!model) return out;
    for (const AcDbObjectId& id : model->entityIds(false)) {
        AcDbEntity* e = nullptr;
        if (acdbOpenObject(e, id, AcDb::kForRead) != Acad::eOk) continue;
        if (const auto* h = AcDbHatch::cast(e)) out += DescribeHatch(h) + "\n";
        if (auto* d = AcDbDimension::cast(e)) out += DescribeDimension(d, withMeasure) + "\n";
        e->close();
    }
    model->close();
    return out;
}

// The script's lines without what the host does not model (gradients).
std::string WithoutGradients(const std::string& dump) {
    std::string out;
    std::istringstream lines(dump);
    for (std::string line; std::getline(lines, line);) out += line.substr(0, line.find(" gradient ")) + "\n";
    return out;
}

class DxfHatchDimInterop : public HostTest {
protected:
    std::string Script(const char* verb, const std::string& file) {
        const std::string out = UniqueTempPath("hatchdim.txt");
        std::string errors;
        EXPECT_EQ(RunPython(InteropScript("ezdxf_hatchdim.py") + " " + verb + " " + file + " >" + out, errors), 0)
            << errors;
        const std::string text = FileText(out);
        std::remove(out.c_str());
        return text;
    }
    static AcDbObjectId DimStyle(const wchar_t* name, double textHeight) {
        auto* rec = new AcDbDimStyleTableRecord;
        rec->setDimtxt(textHeight);
        rec->setDimdec(1);
        return AddRecord(Db()->dimStyleTableId(), rec, name);
    }
};

TEST_F(DxfHatchDimInterop, EzdxfDrawingThroughOursKeepsEveryProperty) {
    if (!HaveEzdxf()) GTEST_SKIP() << "/usr/bin/python3 has no ezdxf (install python3-ezdxf)";
    const std::string theirs = UniqueTempPath("ezdxf_hatchdim.dxf");
    std::string errors;
    ASSERT_EQ(RunPython(InteropScript("ezdxf_hatchdim.py") + " make " + theirs, errors), 0) << errors;
    DxfReport report;
    DxfError err;
    ASSERT_TRUE(host::dxf::ReadDxf(W(theirs).c_str(), Db(), err, &report)) << err.what();
    EXPECT_EQ(report.kept["HATCH"], 0);
    EXPECT_EQ(report.kept["DIMENSION"], 0);
    const std::string expected = Script("dump", theirs);
    ASSERT_EQ(std::count(expected.begin(), expected.end(), '\n'), 11) << expected;
    EXPECT_EQ(DescribeModel(Db(), false), WithoutGradients(expected));
    // The associative hatch's loop refers to the polyline it was made from.
    AcDbBlockTableRecord* model = nullptr;
    ASSERT_EQ(acdbOpenObject(model, Db()->currentSpaceId(), AcDb::kForRead), Acad::eOk);
    AcDbObjectId outline, assoc;
    for (const auto& id : model->entityIds(false)) {
        AcDbEntity* e = nullptr;
        ASSERT_EQ(acdbOpenObject(e, id, AcDb::kForRead), Acad::eOk);
        if (AcDbPolyline::cast(e)) outline = id;
        if (AcDbHatch::cast(e) && AcDbHatch::cast(e)->associative()) assoc = id;
        e->close();
    }
    model->close();
    AcDbHatch* h = nullptr;
    ASSERT_EQ(acdbOpenObject(h, assoc, AcDb::kForRead), Acad::eOk);
    AcDbObjectIdArray sources;
    h->getAssocObjIdsAt(0, sources);
    h->close();
    ASSERT_EQ(sources.length(), 1);
    EXPECT_EQ(sources[0], outline);
    // Written from the model (binary: nothing is copied as read) and read by
    // ezdxf: the same properties, gradients too, and a clean audit.
    host::dxf::DxfWriteOptions binary;
    binary.format = host::dxf::DxfWriteOptions::Format::Binary;
    const std::string ours = UniqueTempPath("ezdxf_hatchdim_ours.dxf");
    ASSERT_TRUE(host::dxf::WriteDxf(Db(), W(ours).c_str(), err, binary)) << err.what();
    EXPECT_EQ(Script("dump", ours), expected);
    std::remove(theirs.c_str());
    std::remove(ours.c_str());
}

// The areas of the hatches, with arcs from bulges and edges, as shapely
// finds them in what ezdxf reads.
TEST_F(DxfHatchDimInterop, HatchAreasAgreeWithShapely) {
    if (!HaveEzdxf()) GTEST_SKIP() << "/usr/bin/python3 has no ezdxf (install python3-ezdxf)";
    const std::string theirs = UniqueTempPath("ezdxf_hatch_areas.dxf");
    std::string errors;
    ASSERT_EQ(RunPython(InteropScript("ezdxf_hatchdim.py") + " make " + theirs, errors), 0) << errors;
    DxfError err;
    ASSERT_TRUE(host::dxf::ReadDxf(W(theirs).c_str(), Db(), err)) << err.what();
    std::istringstream areas(Script("areas", theirs));
    AcDbBlockTableRecord* model = nullptr;
    ASSERT_EQ(acdbOpenObject(model, Db()->currentSpaceId(), AcDb::kForRead), Acad::eOk);
    int hatches = 0;
    for (const auto& id : model->entityIds(false)) {
        AcDbHatch* h = nullptr;
        if (acdbOpenObject(h, id, AcDb::kForRead) != Acad::eOk) continue;
        double theirsArea = 0, ours = 0;
        ASSERT_TRUE(areas >> theirsArea);
        EXPECT_EQ(h->getArea(ours), Acad::eOk);
        // ezdxf draws arcs as cubic Bezier curves (radial error 2.7e-4); our
        // elliptic arcs and splines go through 256 points each.
        EXPECT_NEAR(ours, theirsArea, 5e-4 * theirsArea) << "hatch " << hatches;
        if (hatches == 0) {
            // The rectangle 10 x 6 with an arc outward on its right side
            // (bulge 0.5), one inward on its left (-0.25), less the island.
            auto segment = [](double chord, double bulge) {
                const double t = 4 * std::atan(bulge), r = chord / (2 * std::sin(t / 2));
                return r * r * (t - std::sin(t)) / 2;
            };
            EXPECT_NEAR(ours, 60 + segment(6, 0.5) - segment(6, 0.25) - 4, 1e-9);
        }
        if (hatches == 2) {
            EXPECT_NEAR(ours, 4.5 * kHalfPi * 2 + 2 * kHalfPi, 1e-9) << "half disk r 3 and circle r 1";
        }
        h->close();
        ++hatches;
    }
    model->close();
    EXPECT_EQ(hatches, 5);
    std::remove(theirs.c_str());
}

TEST_F(DxfHatchDimInterop, OurDrawingThroughEzdxfKeepsEveryProperty) {
    if (!HaveEzdxf()) GTEST_SKIP() << "/usr/bin/python3 has no ezdxf (install python3-ezdxf)";
    // A solid hatch: a polyline loop with bulges around an island.
    auto* solid = new AcDbHatch;
    solid->setPattern(AcDbHatch::kPreDefined, L"SOLID");
    solid->setColorIndex(3);
    AcGePoint2dArray outer, island;
    AcGeDoubleArray outerBulges, none;
    for (const auto& v : {std::make_pair(AcGePoint2d(0, 0), 0.5), std::make_pair(AcGePoint2d(10, 0), 0.0),
                          std::make_pair(AcGePoint2d(10, 6), -0.25), std::make_pair(AcGePoint2d(0, 6), 0.0)}) {
        outer.append(v.first);
        outerBulges.append(v.second);
    }
    for (const auto& p : {AcGePoint2d(2, 2), AcGePoint2d(4, 2), AcGePoint2d(4, 4)}) island.append(p);
    ASSERT_EQ(solid->appendLoop(AcDbHatch::kExternal, outer, outerBulges), Acad::eOk);
    ASSERT_EQ(solid->appendLoop(AcDbHatch::kOutermost, island, none), Acad::eOk);
    solid->appendSeedPoint(AcGePoint2d(1, 1));
    Add(solid);
    // A pattern on an edge loop of every kind, raised and turned.
    auto* pattern = new AcDbHatch;
    pattern->setPattern(AcDbHatch::kPreDefined, L"ANSI31");
    pattern->setPatternAngle(0.5);
    pattern->setPatternScale(0.5);
    pattern->setElevation(2.5);
    std::vector<AcDbHatch::Edge> edges(5);
    edges[0].start = AcGePoint2d(0, 0);
    edges[0].end = AcGePoint2d(10, 0);
    edges[1].type = AcDbHatch::kCirArc;
    edges[1].center = AcGePoint2d(10, 5);
    edges[1].radius = 5;
    edges[1].startAngle = -kHalfPi;
    edges[1].endAngle = kHalfPi;
    edges[2].start = AcGePoint2d(10, 10);
    edges[2].end = AcGePoint2d(5, 10);
    edges[3].type = AcDbHatch::kEllArc;
    edges[3].center = AcGePoint2d(2.5, 10);
    edges[3].majorAxis = AcGeVector2d(2.5, 0);
    edges[3].minorRatio = 0.5;
    edges[3].startAngle = 0;
    edges[3].endAngle = 2 * kHalfPi;
    edges[4].type = AcDbHatch::kSpline;
    edges[4].degree = 3;
    edges[4].rational = true;
    for (const auto& p : {AcGePoint2d(0, 10), AcGePoint2d(-1, 6), AcGePoint2d(1, 3), AcGePoint2d(0, 0)})
        edges[4].controlPoints.append(p);
    for (double k : {0.0, 0.0, 0.0, 0.0, 1.0, 1.0, 1.0, 1.0}) edges[4].knots.append(k);
    for (double w : {1.0, 0.5, 2.0, 1.0}) edges[4].weights.append(w);
    ASSERT_EQ(pattern->appendLoop(AcDbHatch::kExternal, edges), Acad::eOk);
    Add(pattern);
    // A user-defined double pattern seen from below, on clockwise arcs.
    auto* user = new AcDbHatch;
    user->setPattern(AcDbHatch::kUserDefined, L"_USER");
    user->setPatternSpace(1.5);
    user->setPatternDouble(true);
    user->setNormal(AcGeVector3d(0, 0, -1));
    std::vector<AcDbHatch::Edge> half(2), circle(1);
    half[0].type = AcDbHatch::kCirArc;
    half[0].center = AcGePoint2d(20, 0);
    half[0].radius = 3;
    half[0].startAngle = 2 * kHalfPi;
    half[0].endAngle = 0;
    half[0].isCounterClockwise = false;
    half[1].start = AcGePoint2d(23, 0);
    half[1].end = AcGePoint2d(17, 0);
    circle[0] = half[0];
    circle[0].center = AcGePoint2d(20, -1);
    circle[0].radius = 1;
    circle[0].startAngle = 4 * kHalfPi;
    circle[0].endAngle = 0;
    ASSERT_EQ(user->appendLoop(AcDbHatch::kExternal, half), Acad::eOk);
    ASSERT_EQ(user->appendLoop(AcDbHatch::kOutermost, circle), Acad::eOk);
    Add(user);
    // An associative hatch of a closed polyline.
    auto* outline = new AcDbPolyline(4);
    for (unsigned i = 0; i < 4; ++i) outline->addVertexAt(i, AcGePoint2d(40 + 4 * ((i + 1) / 2 % 2), 4.0 * (i / 2)));
    outline->setClosed(true);
    const AcDbObjectId outlineId = Add(outline);
    auto* assoc = new AcDbHatch;
    assoc->setAssociative(true);
    AcDbObjectIdArray ids;
    ids.append(outlineId);
    ASSERT_EQ(assoc->appendLoop(AcDbHatch::kExternal, ids), Acad::eOk);
    Add(assoc);
    // The four dimension kinds, one in a style of its own.
    const AcDbObjectId narrow = DimStyle(L"Narrow", 5.0);
    Add(new AcDbRotatedDimension(0.5, AcGePoint3d(0, 0, 0), AcGePoint3d(10, 6, 0), AcGePoint3d(3, -6, 0), L"L=<>"));
    auto* aligned = new AcDbAlignedDimension(AcGePoint3d(20, 0, 0), AcGePoint3d(26, 8, 0), AcGePoint3d(18.4, 1.2, 0));
    aligned->setOblique(0.25);
    aligned->setTextPosition(AcGePoint3d(21, 6, 0));
    Add(aligned);
    auto* radial = new AcDbRadialDimension(AcGePoint3d(50, 0, 0), AcGePoint3d(52, 2, 0), 1.5, nullptr, narrow);
    radial->setTextRotation(0.3);
    radial->setTextAttachment(AcDbMText::kTopLeft);
    Add(radial);
    auto* diametric = new AcDbDiametricDimension(AcGePoint3d(62, -2, 0), AcGePoint3d(58, 2, 0), 0, L"D <>");
    diametric->setTextLineSpacingStyle(AcDb::kExactly);
    diametric->setTextLineSpacingFactor(1.5);
    diametric->setHorizontalRotation(0.2);
    Add(diametric);

    DxfError err;
    const std::string ours = UniqueTempPath("our_hatchdim.dxf");
    ASSERT_TRUE(host::dxf::WriteDxf(Db(), W(ours).c_str(), err)) << err.what();
    const std::string before = DescribeModel(Db(), true);
    ASSERT_EQ(std::count(before.begin(), before.end(), '\n'), 8) << before;
    EXPECT_EQ(Script("dump", ours), before) << "as ezdxf reads what we wrote";
    const std::string theirs = UniqueTempPath("our_hatchdim_ezdxf.dxf");
    std::string errors;
    ASSERT_EQ(RunPython(InteropScript("ezdxf_hatchdim.py") + " resave " + ours + " " + theirs, errors), 0) << errors;
    AcDbDatabase back(true, true);
    DxfReport report;
    ASSERT_TRUE(host::dxf::ReadDxf(W(theirs).c_str(), &back, err, &report)) << err.what();
    EXPECT_EQ(report.kept["HATCH"], 0);
    EXPECT_EQ(report.kept["DIMENSION"], 0);
    EXPECT_EQ(DescribeModel(&back, true), before);
    // The style made in code came back as a dimension style with its sizes.
    AcDbDimStyleTable* styles = nullptr;
    ASSERT_EQ(back.getDimStyleTable(styles, AcDb::kForRead), Acad::eOk);
    AcDbObjectId backNarrow;
    EXPECT_EQ(styles->getAt(L"Narrow", backNarrow), Acad::eOk);
    styles->close();
    AcDbDimStyleTableRecord* rec = nullptr;
    ASSERT_EQ(acdbOpenObject(rec, backNarrow, AcDb::kForRead), Acad::eOk);
    EXPECT_EQ(rec->dimtxt(), 5.0);
    EXPECT_EQ(rec->dimdec(), 1);
    rec->close();
    std::remove(ours.c_str());
    std::remove(theirs.c_str());
}

// A dimension made in code has no block until the drawing is saved; what is
// saved must carry one (lines, arrowheads, the measured text), or readers
// that only draw blocks show nothing.
TEST_F(DxfHatchDimInterop, DimensionMadeInCodeIsSavedWithItsBlock) {
    if (!HaveEzdxf()) GTEST_SKIP() << "/usr/bin/python3 has no ezdxf (install python3-ezdxf)";
    Add(new AcDbRotatedDimension(0, AcGePoint3d(0, 0, 0), AcGePoint3d(10, 0, 0), AcGePoint3d(5, -4, 0)));
    Add(new AcDbRadialDimension(AcGePoint3d(20, 0, 0), AcGePoint3d(23, 4, 0), 2));
    DxfError err;
    const std::string ours = UniqueTempPath("dim_block.dxf");
    ASSERT_TRUE(host::dxf::WriteDxf(Db(), W(ours).c_str(), err)) << err.what();
    // One dimension style, "Standard": the drawing's, not a second one of
    // the new drawing's template.
    const std::string text = FileText(ours);
    std::size_t styles = 0;
    for (std::size_t at = text.find("\nDIMSTYLE\n"); at != std::string::npos; at = text.find("\nDIMSTYLE\n", at + 1))
        ++styles;
    EXPECT_EQ(styles, 2u) << "the table and its one record";
    std::istringstream lines(Script("blocks", ours));
    std::string line;
    // Two extension lines and the dimension line, two arrowheads; 10 with
    // the two decimals of the Standard style.
    ASSERT_TRUE(std::getline(lines, line));
    EXPECT_NE(line.find(" LINE=3 "), std::string::npos) << line;
    EXPECT_NE(line.find(" SOLID=2"), std::string::npos) << line;
    EXPECT_NE(line.find("texts 10.00"), std::string::npos) << line;
    // A radius of 5: one line from the centre and an arrowhead.
    ASSERT_TRUE(std::getline(lines, line));
    EXPECT_NE(line.find("LINE="), std::string::npos) << line;
    EXPECT_NE(line.find(" SOLID=1"), std::string::npos) << line;
    EXPECT_NE(line.find("texts R5.00"), std::string::npos) << line;
    std::remove(ours.c_str());
}

}  // namespace
