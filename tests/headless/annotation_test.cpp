// The host's multi-line texts, hatches and dimensions.
#include <cmath>

#include "../../headless/src/db/dimension_block.h"
#include "headless/entity_support.h"

using entity_test::DeleteAll;
using entity_test::ExtentsOf;
using entity_test::Reader;

namespace {
constexpr double kPi = 3.141592653589793;
using AnnotationTest = HostTest;

AcGePoint2dArray Points2d(std::initializer_list<AcGePoint2d> pts) {
    AcGePoint2dArray a;
    for (const auto& p : pts) a.append(p);
    return a;
}
AcGeDoubleArray Doubles(std::initializer_list<double> values) {
    AcGeDoubleArray a;
    for (double v : values) a.append(v);
    return a;
}

std::wstring TextOf(const AcDbMText& m) {
    wchar_t* text = m.text();
    std::wstring out = text ? text : L"";
    acutDelString(text);
    return out;
}
}  // namespace

TEST_F(AnnotationTest, MTextStripsFormatCodes) {
    const struct {
        const wchar_t* contents;
        const wchar_t* text;
    } cases[] = {
        {L"plain", L"plain"},
        {L"one\\Ptwo", L"one\r\ntwo"},
        {L"{\\fSimSun|b0|i0;井}\\H2.5x;号", L"井号"},
        {L"a\\~b \\\\ \\{c\\}", L"a b \\ {c}"},
        {L"\\LUnder\\l and \\Oover\\o", L"Under and over"},
        {L"H\\S2^3;O \\S1/2; \\S3#4;", L"H2^3O 1/2 3/4"},
        {L"\\C1;red \\pxi3;para", L"red para"},
    };
    AcDbMText m;
    for (const auto& c : cases) {
        m.setContents(c.contents);
        EXPECT_EQ(TextOf(m), c.text) << Show(c.contents);
        wchar_t* raw = m.contents();
        EXPECT_STREQ(raw, c.contents);
        acutDelString(raw);
    }
}

TEST_F(AnnotationTest, MTextBoxFollowsAttachmentRotationAndWrapping) {
    AcDbMText m;
    m.setLocation(P(100, 50));
    m.setTextHeight(2.0);
    m.setContents(L"ABCDE\\PAB");  // 5 characters wide, two lines
    const double w = 5 * 0.6 * 2.0, h = 2.0 * (1.0 + 5.0 / 3.0);
    EXPECT_NEAR(m.actualWidth(), w, 1e-12);
    EXPECT_NEAR(m.actualHeight(), h, 1e-12);
    const struct {
        AcDbMText::AttachmentPoint at;
        double x0, y0;  // lower left, from the location
    } cases[] = {
        {AcDbMText::kTopLeft, 0, -h}, {AcDbMText::kMiddleCenter, -w / 2, -h / 2}, {AcDbMText::kBottomRight, -w, 0},
    };
    AcDbExtents ext;
    for (const auto& c : cases) {
        m.setAttachment(c.at);
        ASSERT_EQ(m.getGeomExtents(ext), Acad::eOk);
        EXPECT_TRUE(PointNear(ext.minPoint(), P(100 + c.x0, 50 + c.y0), 1e-9)) << c.at;
        EXPECT_TRUE(PointNear(ext.maxPoint(), P(100 + c.x0 + w, 50 + c.y0 + h), 1e-9)) << c.at;
    }
    m.setAttachment(AcDbMText::kTopLeft);
    ASSERT_EQ(m.setRotation(kPi / 2), Acad::eOk);
    EXPECT_TRUE(m.direction().isEqualTo(AcGeVector3d::kYAxis));
    ASSERT_EQ(m.getGeomExtents(ext), Acad::eOk);
    EXPECT_TRUE(PointNear(ext.minPoint(), P(100, 50), 1e-9));
    EXPECT_TRUE(PointNear(ext.maxPoint(), P(100 + h, 50 + w), 1e-9));
    // Wrapping at a width: words move down, full-width characters break anywhere.
    m.setContents(L"aa bb cc");
    m.setWidth(2 * 0.6 * 2.0 + 0.1);
    EXPECT_NEAR(m.actualHeight(), 2.0 * (1.0 + 2 * 5.0 / 3.0), 1e-12);
    m.setContents(L"井井井井");
    m.setWidth(2 * 2.0 + 0.1);
    EXPECT_NEAR(m.actualWidth(), 4.0, 1e-12);
    EXPECT_EQ(m.setTextHeight(0.0), Acad::eInvalidInput);
    EXPECT_EQ(m.setAttachment(static_cast<AcDbMText::AttachmentPoint>(10)), Acad::eInvalidInput);
}

TEST_F(AnnotationTest, HatchLoopsWithBulgesGiveExactAreas) {
    AcDbHatch hatch;
    ASSERT_EQ(hatch.setPattern(AcDbHatch::kPreDefined, L"SOLID"), Acad::eOk);
    EXPECT_TRUE(hatch.isSolidFill());
    // A circle of radius 5 as two half-circle bulges, around a 2x2 island.
    ASSERT_EQ(hatch.appendLoop(AcDbHatch::kExternal, Points2d({{5, 0}, {-5, 0}}), Doubles({1, 1})), Acad::eOk);
    ASSERT_EQ(hatch.appendLoop(AcDbHatch::kDefault, Points2d({{-1, -1}, {1, -1}, {1, 1}, {-1, 1}}), AcGeDoubleArray()),
              Acad::eOk);
    EXPECT_EQ(hatch.appendLoop(0, Points2d({{0, 0}}), AcGeDoubleArray()), Acad::eInvalidInput);
    EXPECT_EQ(hatch.appendLoop(0, Points2d({{0, 0}, {1, 0}}), Doubles({1})), Acad::eInvalidInput);
    EXPECT_EQ(hatch.numLoops(), 2);
    double area = 0.0;
    ASSERT_EQ(hatch.getArea(area), Acad::eOk);
    EXPECT_NEAR(area, kPi * 25 - 4, 1e-9);
    Adesk::Int32 type = 0;
    AcGePoint2dArray pts;
    AcGeDoubleArray bulges;
    ASSERT_EQ(hatch.getLoopAt(0, type, pts, bulges), Acad::eOk);
    EXPECT_EQ(type, AcDbHatch::kExternal | AcDbHatch::kPolyline);
    EXPECT_EQ(bulges, Doubles({1, 1}));
    EXPECT_EQ(hatch.getLoopAt(5, type, pts, bulges), Acad::eInvalidIndex);
    AcDbExtents ext;
    ASSERT_EQ(hatch.getGeomExtents(ext), Acad::eOk);
    EXPECT_TRUE(PointNear(ext.minPoint(), P(-5, -5), 1e-9));
    EXPECT_TRUE(PointNear(ext.maxPoint(), P(5, 5), 1e-9));
    // Scaled by 2 about the origin: four times the area.
    ASSERT_EQ(hatch.transformBy(AcGeMatrix3d::scaling(2.0)), Acad::eOk);
    ASSERT_EQ(hatch.getArea(area), Acad::eOk);
    EXPECT_NEAR(area, 4 * (kPi * 25 - 4), 1e-8);
    // Mirrored: bulges change sign, the area stays.
    ASSERT_EQ(hatch.transformBy(AcGeMatrix3d::mirroring(P(0, 0)) * AcGeMatrix3d::rotation(kPi / 2, AcGeVector3d::kXAxis) *
                                AcGeMatrix3d::rotation(kPi / 2, AcGeVector3d::kXAxis)),
              Acad::eOk);
    ASSERT_EQ(hatch.getArea(area), Acad::eOk);
    EXPECT_NEAR(area, 4 * (kPi * 25 - 4), 1e-8);
}

TEST_F(AnnotationTest, HatchPatternLinesStayInsideTheArea) {
    AcDbHatch hatch;
    ASSERT_EQ(hatch.setPattern(AcDbHatch::kUserDefined, L"_USER"), Acad::eOk);
    ASSERT_EQ(hatch.setPatternSpace(1.0), Acad::eOk);
    ASSERT_EQ(hatch.appendLoop(0, Points2d({{0.5, 0.5}, {10.5, 0.5}, {10.5, 10.5}, {0.5, 10.5}}), AcGeDoubleArray()),
              Acad::eOk);
    ASSERT_EQ(hatch.evaluateHatch(), Acad::eOk);
    EXPECT_EQ(hatch.numHatchLines(), 10) << "horizontal lines y = 1..10";
    for (int i = 0; i < hatch.numHatchLines(); ++i) {
        AcGePoint2d a, b;
        ASSERT_EQ(hatch.getHatchLineDataAt(i, a, b), Acad::eOk);
        EXPECT_NEAR(a.x, 0.5, 1e-9);
        EXPECT_NEAR(b.x, 10.5, 1e-9);
        EXPECT_NEAR(a.y, std::round(a.y), 1e-9);
    }
    ASSERT_EQ(hatch.setPatternDouble(true), Acad::eOk);
    ASSERT_EQ(hatch.evaluateHatch(), Acad::eOk);
    EXPECT_EQ(hatch.numHatchLines(), 20);
    // A predefined pattern carries its definition lines, scaled and turned.
    ASSERT_EQ(hatch.setPattern(AcDbHatch::kPreDefined, L"ANSI31"), Acad::eOk);
    ASSERT_EQ(hatch.setPatternScale(2.0), Acad::eOk);
    ASSERT_EQ(hatch.numPatternDefinitions(), 1);
    double angle, bx, by, ox, oy;
    AcGeDoubleArray dashes;
    ASSERT_EQ(hatch.getPatternDefinitionAt(0, angle, bx, by, ox, oy, dashes), Acad::eOk);
    EXPECT_NEAR(angle, kPi / 4, 1e-12);
    EXPECT_NEAR(std::hypot(ox, oy), 2 * 3.175, 1e-12);
    ASSERT_EQ(hatch.setPatternScale(1e-9), Acad::eOk);
    EXPECT_EQ(hatch.evaluateHatch(), Acad::eHatchTooDense);
    ASSERT_EQ(hatch.setPattern(AcDbHatch::kPreDefined, L"SOLID"), Acad::eOk);
    ASSERT_EQ(hatch.evaluateHatch(), Acad::eOk);
    EXPECT_EQ(hatch.numHatchLines(), 0);
}

TEST_F(AnnotationTest, HatchLoopFromDrawingCurves) {
    const AcDbObjectId circle = Add(new AcDbCircle(P(3, 4), AcGeVector3d::kZAxis, 2));
    auto* pline = new AcDbPolyline;
    pline->addVertexAt(0, AcGePoint2d(0, 0));
    pline->addVertexAt(1, AcGePoint2d(4, 0), 1.0);
    pline->addVertexAt(2, AcGePoint2d(4, 4));
    pline->setClosed(true);
    const AcDbObjectId plineId = Add(pline);
    AcDbHatch hatch;
    AcDbObjectIdArray ids;
    ids.append(circle);
    ASSERT_EQ(hatch.appendLoop(AcDbHatch::kExternal, ids), Acad::eOk);
    double area = 0;
    ASSERT_EQ(hatch.getArea(area), Acad::eOk);
    EXPECT_NEAR(area, kPi * 4, 1e-9);
    AcDbObjectIdArray back;
    ASSERT_EQ(hatch.getAssocObjIdsAt(0, back), Acad::eOk);
    EXPECT_EQ(back, ids);
    AcDbHatch fromPline;
    AcDbObjectIdArray plineIds;
    plineIds.append(plineId);
    ASSERT_EQ(fromPline.appendLoop(AcDbHatch::kExternal, plineIds), Acad::eOk);
    // The triangle (0,0) (4,0) (4,4) and a half circle of radius 2 bulging
    // out of its second side.
    ASSERT_EQ(fromPline.getArea(area), Acad::eOk);
    EXPECT_NEAR(area, 8.0 + 2 * kPi, 1e-9);
    AcDbObjectIdArray notCurve;
    notCurve.append(Db()->modelSpaceId());
    EXPECT_EQ(hatch.appendLoop(0, notCurve), Acad::eInvalidInput);
}

TEST_F(AnnotationTest, DimensionsMeasureTheirPoints) {
    AcDbAlignedDimension aligned(P(0, 0), P(3, 4), P(-4, 3));
    AcDbRotatedDimension rotated(0.0, P(0, 0), P(3, 4), P(0, 10));
    AcDbRadialDimension radial(P(1, 1), P(4, 5), 2.0);
    AcDbDiametricDimension diametric(P(-2, 0), P(2, 0), 1.0);
    const struct {
        AcDbDimension* dim;
        double value;
        const wchar_t* text;
    } cases[] = {{&aligned, 5.0, L"5.00"}, {&rotated, 3.0, L"3.00"}, {&radial, 5.0, L"R5.00"}, {&diametric, 4.0, L"%%c4.00"}};
    for (const auto& c : cases) {
        double v = 0.0;
        ASSERT_EQ(c.dim->measurement(v), Acad::eOk);
        EXPECT_DOUBLE_EQ(v, c.value);
        EXPECT_EQ(c.dim->formattedText(), CString(c.text));
    }
    ASSERT_EQ(aligned.setDimensionText(L"<> m"), Acad::eOk);
    EXPECT_EQ(aligned.formattedText(), CString(L"5.00 m"));
    // The dimension line of the aligned one runs through its point: offset 5.
    AcDbExtents ext;
    ASSERT_EQ(aligned.getGeomExtents(ext), Acad::eOk);
    EXPECT_LE(ext.minPoint().x, -4.0 + 1e-9);
}

TEST_F(AnnotationTest, DimensionBlockIsMadeForDimensionsWithoutOne) {
    const AcDbObjectId dim = Add(new AcDbRotatedDimension(0.0, P(0, 0), P(10, 0), P(5, 5)));
    {
        Reader<AcDbDimension> d(dim);
        EXPECT_TRUE(d->dimBlockId().isNull());
        EXPECT_EQ(d->dimensionStyle(), Db()->dimstyle());
    }
    EXPECT_EQ(host_detail::EnsureDimensionBlocks(Db()), 1);
    EXPECT_EQ(host_detail::EnsureDimensionBlocks(Db()), 0) << "current blocks are kept";
    Reader<AcDbDimension> d(dim);
    Reader<AcDbBlockTableRecord> block(d->dimBlockId());
    ASSERT_TRUE(block);
    EXPECT_TRUE(block->isAnonymous());
    const wchar_t* name = nullptr;
    block->getName(name);
    EXPECT_EQ(std::wstring(name).substr(0, 2), L"*D");
    int lines = 0, arrows = 0, texts = 0;
    for (const auto& id : block->entityIds()) {
        Reader<AcDbEntity> e(id);
        lines += AcDbLine::cast(e.obj) ? 1 : 0;
        arrows += AcDbSolid::cast(e.obj) ? 1 : 0;
        if (const auto* t = AcDbMText::cast(e.obj)) {
            ++texts;
            EXPECT_STREQ(t->contentsConst(), L"10.00");
            EXPECT_TRUE(PointNear(t->location(), P(5, 5 + 0.625 + 1.25), 1e-9));
        }
    }
    EXPECT_EQ(lines, 3) << "two extension lines and the dimension line";
    EXPECT_EQ(arrows, 2);
    EXPECT_EQ(texts, 1);
    AcDbVoidPtrArray parts;
    ASSERT_EQ(d->explode(parts), Acad::eOk);
    EXPECT_EQ(parts.length(), 6);
    DeleteAll(parts);
    const AcDbExtents ext = ExtentsOf(dim);
    EXPECT_NEAR(ext.minPoint().x, 0.0, 1e-9) << "the first extension line";
    EXPECT_NEAR(ext.maxPoint().y, 5 + 0.625 + 2.5, 1e-9) << "the top of the text";
}
