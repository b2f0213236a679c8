// The host's blocks, block references and attributes: tables, transforms,
// boxes, explode, undo and selection.
#include <cmath>

#include "drovik/drawing/edits.h"
#include "editor/editor_fixture.h"
#include "headless/entity_support.h"

using entity_test::DeleteAll;
using entity_test::ExtentsOf;
using entity_test::MakeBlock;
using entity_test::Reader;

namespace {
constexpr double kPi = 3.141592653589793;

// A block reference in model space; null id when refused.
AcDbObjectId Insert(AcDbObjectId block, const AcGePoint3d& at, const AcGeScale3d& scale = AcGeScale3d(),
                    double rotation = 0.0) {
    auto* ref = new AcDbBlockReference(at, block);
    ref->setScaleFactors(scale);
    ref->setRotation(rotation);
    return HostTest::Add(ref);
}

// Gives the reference an attribute for each definition of its block.
void AddAttributes(AcDbObjectId refId, const wchar_t* value) {
    AcDbBlockReference* ref = nullptr;
    ASSERT_EQ(acdbOpenObject(ref, refId, AcDb::kForWrite), Acad::eOk);
    Reader<AcDbBlockTableRecord> block(ref->blockTableRecord());
    for (const auto& id : block->entityIds()) {
        Reader<AcDbAttributeDefinition> def(id);
        if (!def) continue;
        auto* attr = new AcDbAttribute;
        EXPECT_EQ(attr->setAttributeFromBlock(def.obj, ref->blockTransform()), Acad::eOk);
        attr->setTextString(value);
        AcDbObjectId attrId;
        EXPECT_EQ(ref->appendAttribute(attrId, attr), Acad::eOk);
        attr->close();
    }
    ref->close();
}

std::vector<AcDbObjectId> AttributeIds(AcDbObjectId refId) {
    Reader<AcDbBlockReference> ref(refId);
    std::vector<AcDbObjectId> ids;
    AcDbObjectIterator* it = ref->attributeIterator();
    for (; !it->done(); it->step()) ids.push_back(it->objectId());
    delete it;
    return ids;
}

AcDbAttributeDefinition* Definition(const AcGePoint3d& at, const wchar_t* tag, double height = 1.0) {
    auto* def = new AcDbAttributeDefinition(at, L"?", tag, L"Well number");
    def->setHeight(height);
    return def;
}
}  // namespace

using BlockTest = EditorTest;

TEST_F(BlockTest, TableAddsFindsIteratesAndNamesAnonymousBlocks) {
    const AcDbObjectId well = MakeBlock(L"WELL", {new AcDbCircle(P(0, 0), AcGeVector3d::kZAxis, 1)}, P(1, 2));
    const AcDbObjectId u1 = MakeBlock(L"*U", {});
    const AcDbObjectId u2 = MakeBlock(L"*u", {});
    ASSERT_FALSE(well.isNull());
    AcDbBlockTable* table = nullptr;
    ASSERT_EQ(Db()->getBlockTable(table, AcDb::kForRead), Acad::eOk);
    EXPECT_TRUE(table->has(L"well"));
    AcDbObjectId found;
    EXPECT_EQ(table->getAt(L"WELL", found), Acad::eOk);
    EXPECT_EQ(found, well);
    EXPECT_TRUE(table->has(L"*U1"));
    EXPECT_TRUE(table->has(L"*U2"));
    AcDbBlockTableIterator* it = nullptr;
    ASSERT_EQ(table->newIterator(it), Acad::eOk);
    std::vector<AcDbObjectId> order;
    for (; !it->done(); it->step()) {
        AcDbObjectId id;
        EXPECT_EQ(it->getRecordId(id), Acad::eOk);
        order.push_back(id);
    }
    delete it;
    table->close();
    EXPECT_EQ(order, (std::vector<AcDbObjectId>{Db()->modelSpaceId(), well, u1, u2}));

    Reader<AcDbBlockTableRecord> wellRec(well), u1Rec(u1), model(Db()->modelSpaceId());
    EXPECT_TRUE(PointNear(wellRec->origin(), P(1, 2)));
    EXPECT_FALSE(wellRec->isAnonymous());
    EXPECT_TRUE(u1Rec->isAnonymous());
    EXPECT_TRUE(model->isLayout());
    EXPECT_FALSE(model->isAnonymous());
    EXPECT_FALSE(wellRec->hasAttributeDefinitions());
}

TEST_F(BlockTest, BlockTransformPlacesTheBaseScalesAndTurns) {
    const AcDbObjectId block = MakeBlock(L"B", {new AcDbLine(P(1, 1), P(3, 1))}, P(1, 1));
    auto* ref = new AcDbBlockReference(P(10, 20), block);
    ASSERT_EQ(ref->setScaleFactors(AcGeScale3d(2, 3, 1)), Acad::eOk);
    ASSERT_EQ(ref->setRotation(kPi / 2), Acad::eOk);
    EXPECT_EQ(ref->setScaleFactors(AcGeScale3d(0, 1, 1)), Acad::eInvalidInput);
    const AcDbObjectId id = Add(ref);
    Reader<AcDbBlockReference> r(id, AcDb::kForWrite);
    const AcGeMatrix3d m = r->blockTransform();
    // Base (1,1) to the position; (2,1) is 1 along X: scaled by 2, turned up.
    EXPECT_TRUE(PointNear(m * P(1, 1), P(10, 20)));
    EXPECT_TRUE(PointNear(m * P(2, 1), P(10, 22)));
    EXPECT_TRUE(PointNear(m * P(1, 2), P(7, 20)));
    // A mirrored matrix comes back as a negative scale and the same drawing.
    const AcGeMatrix3d mirrored = AcGeMatrix3d::mirroring(P(0, 0)) * m;
    ASSERT_EQ(r->setBlockTransform(mirrored), Acad::eOk);
    for (const AcGePoint3d& p : {P(0, 0), P(3, -1), P(-2, 5)})
        EXPECT_TRUE(PointNear(r->blockTransform() * p, mirrored * p, 1e-9));
    EXPECT_LT(r->scaleFactors().sx * r->scaleFactors().sy * r->scaleFactors().sz, 0.0);
}

TEST_F(BlockTest, AttributesTakeTheirDefinitionThroughTheTransform) {
    const AcDbObjectId block = MakeBlock(
        L"WELL", {new AcDbCircle(P(0, 0), AcGeVector3d::kZAxis, 1), Definition(P(0, -2), L"NO"), Definition(P(0, 2), L"DEPTH")});
    {
        Reader<AcDbBlockTableRecord> rec(block);
        EXPECT_TRUE(rec->hasAttributeDefinitions());
    }
    const AcDbObjectId ref = Insert(block, P(100, 0), AcGeScale3d(2));
    AddAttributes(ref, L"W-7");
    const auto attrs = AttributeIds(ref);
    ASSERT_EQ(attrs.size(), 2u);
    Reader<AcDbAttribute> no(attrs[0]);
    EXPECT_STREQ(no->tagConst(), L"NO");
    EXPECT_EQ(no->textString(), CString(L"W-7"));
    EXPECT_TRUE(PointNear(no->position(), P(100, -4)));
    EXPECT_DOUBLE_EQ(no->height(), 2.0);
    EXPECT_EQ(no->ownerId(), ref);
    wchar_t* tag = no->tag();
    EXPECT_STREQ(tag, L"NO");
    acutDelString(tag);
    Reader<AcDbBlockTableRecord> rec(block);
    AcDbObjectIdArray refs;
    ASSERT_EQ(rec->getBlockReferenceIds(refs), Acad::eOk);
    EXPECT_EQ(refs.length(), 1);
    EXPECT_EQ(refs[0], ref);
}

TEST_F(BlockTest, TransformMovesTheReferenceWithItsAttributes) {
    const AcDbObjectId block = MakeBlock(L"WELL", {Definition(P(1, 0), L"NO")});
    const AcDbObjectId ref = Insert(block, P(0, 0));
    AddAttributes(ref, L"1");
    {
        Reader<AcDbBlockReference> r(ref, AcDb::kForWrite);
        ASSERT_EQ(r->transformBy(AcGeMatrix3d::rotation(kPi / 2, AcGeVector3d::kZAxis, P(0, 0)) *
                                 AcGeMatrix3d::translation(AcGeVector3d(5, 0, 0))),
                  Acad::eOk);
        EXPECT_TRUE(PointNear(r->position(), P(0, 5)));
        EXPECT_NEAR(r->rotation(), kPi / 2, 1e-12);
    }
    Reader<AcDbAttribute> attr(AttributeIds(ref)[0]);
    EXPECT_TRUE(PointNear(attr->position(), P(0, 6)));
    EXPECT_NEAR(attr->rotation(), kPi / 2, 1e-12);
}

TEST_F(BlockTest, ExtentsGoThroughTheBlockContents) {
    const AcDbObjectId block =
        MakeBlock(L"B", {new AcDbLine(P(0, 0), P(1, 0)), new AcDbCircle(P(0, 0), AcGeVector3d::kZAxis, 0.5)});
    const AcDbObjectId ref = Insert(block, P(10, 10), AcGeScale3d(2));
    const AcDbExtents ext = ExtentsOf(ref);
    EXPECT_TRUE(PointNear(ext.minPoint(), P(9, 9)));
    EXPECT_TRUE(PointNear(ext.maxPoint(), P(12, 11)));
    // Non-constant definitions do not show in a reference; constant ones do.
    auto* constant = Definition(P(50, 0), L"C");
    constant->setConstant(true);
    const AcDbObjectId withDefs = MakeBlock(L"D", {Definition(P(-50, 0), L"X"), constant});
    const AcDbExtents defs = ExtentsOf(Insert(withDefs, P(0, 0)));
    EXPECT_GT(defs.minPoint().x, 0.0);
    AcDbExtents none;
    Reader<AcDbBlockReference> empty(Insert(MakeBlock(L"EMPTY", {}), P(0, 0)));
    EXPECT_EQ(empty->getGeomExtents(none), Acad::eInvalidExtents);
}

// Explode copies the block's entities through the transform; a nested
// reference comes out as a reference carrying copies of its attributes.
TEST_F(BlockTest, ExplodeOfANestedInsertWithAttributes) {
    const AcDbObjectId inner = MakeBlock(L"INNER", {new AcDbCircle(P(0, 0), AcGeVector3d::kZAxis, 1), Definition(P(0, -2), L"NO")});
    auto* nested = new AcDbBlockReference(P(5, 0), inner);
    const AcDbObjectId outer = MakeBlock(L"OUTER", {new AcDbLine(P(0, 0), P(5, 0)), nested});
    AddAttributes(nested->objectId(), L"N1");
    const AcDbObjectId top = Insert(outer, P(100, 0), AcGeScale3d(2), kPi / 2);

    AcDbVoidPtrArray parts;
    AcGeMatrix3d outerXform, nestedXform;
    {
        Reader<AcDbBlockReference> ref(top);
        outerXform = ref->blockTransform();
        ASSERT_EQ(ref->explode(parts), Acad::eOk);
        Reader<AcDbBlockReference> n(nested->objectId());
        nestedXform = n->blockTransform();
    }
    ASSERT_EQ(parts.length(), 2);
    auto* line = AcDbLine::cast(static_cast<AcDbEntity*>(parts[0]));
    auto* ref = AcDbBlockReference::cast(static_cast<AcDbEntity*>(parts[1]));
    ASSERT_TRUE(line && ref);
    EXPECT_TRUE(line->isNewObject());
    EXPECT_TRUE(PointNear(line->endPoint(), P(100, 10)));
    EXPECT_EQ(ref->blockTableRecord(), inner);
    for (const AcGePoint3d& p : {P(0, 0), P(1, 0), P(0, 1)})
        EXPECT_TRUE(PointNear(ref->blockTransform() * p, outerXform * (nestedXform * p), 1e-9));
    // The attribute copy travels with the reference and joins the drawing with it.
    AcDbObjectIterator* it = ref->attributeIterator();
    ASSERT_FALSE(it->done());
    const auto* attr = AcDbAttribute::cast(it->entity());
    ASSERT_NE(attr, nullptr);
    EXPECT_EQ(attr->textString(), CString(L"N1"));
    EXPECT_TRUE(PointNear(attr->position(), outerXform * (nestedXform * P(0, -2)), 1e-9));
    delete it;
    delete line;
    parts.removeAll();
    const AcDbObjectId added = Add(ref);
    ASSERT_FALSE(added.isNull());
    const auto attrs = AttributeIds(added);
    ASSERT_EQ(attrs.size(), 1u);
    EXPECT_TRUE(attrs[0].isValid());
}

TEST_F(BlockTest, ExplodeUnderUnevenScaleRefusesCirclesAndKeepsLinesExact) {
    const AcDbObjectId lines = MakeBlock(L"L", {new AcDbLine(P(0, 0), P(1, 1))});
    const AcDbObjectId round = MakeBlock(L"R", {new AcDbLine(P(0, 0), P(1, 1)), new AcDbCircle(P(0, 0), AcGeVector3d::kZAxis, 1)});
    AcDbVoidPtrArray parts;
    {
        Reader<AcDbBlockReference> ref(Insert(lines, P(0, 0), AcGeScale3d(2, 3, 1)));
        ASSERT_EQ(ref->explode(parts), Acad::eOk);
    }
    ASSERT_EQ(parts.length(), 1);
    EXPECT_TRUE(PointNear(static_cast<AcDbLine*>(parts[0])->endPoint(), P(2, 3)));
    DeleteAll(parts);
    Reader<AcDbBlockReference> ref(Insert(round, P(0, 0), AcGeScale3d(2, 3, 1)));
    EXPECT_EQ(ref->explode(parts), Acad::eCannotScaleNonUniformly);
    EXPECT_EQ(parts.length(), 0) << "nothing handed out on failure";
}

TEST_F(BlockTest, UndoRevertsCreationChangeAndErasure) {
    const AcDbObjectId block = MakeBlock(L"WELL", {Definition(P(0, -1), L"NO")});
    const AcDbObjectId kept = Insert(block, P(0, 0));
    AddAttributes(kept, L"old");
    ASSERT_EQ(acedCommand(RTSTR, L"._undo", RTSTR, L"begin", 0), RTNORM);
    const AcDbObjectId made = Insert(block, P(50, 0));
    {
        Reader<AcDbBlockReference> ref(kept, AcDb::kForWrite);
        ref->setPosition(P(7, 7));
    }
    {
        Reader<AcDbAttribute> attr(AttributeIds(kept)[0], AcDb::kForWrite);
        attr->setTextString(L"new");
    }
    ASSERT_EQ(acedCommand(RTSTR, L"._undo", RTSTR, L"end", 0), RTNORM);
    ASSERT_EQ(acedCommand(RTSTR, L"._u", 0), RTNORM);
    EXPECT_TRUE(made.isErased());
    Reader<AcDbBlockReference> ref(kept);
    EXPECT_TRUE(PointNear(ref->position(), P(0, 0)));
    Reader<AcDbAttribute> attr(AttributeIds(kept)[0]);
    EXPECT_EQ(attr->textString(), CString(L"old"));
}

TEST_F(BlockTest, SelectionFindsInsertsByTheirBoxAndFollowsBlockChanges) {
    host::harness::SetView(P(0, 0), 1000);
    const AcDbObjectId block = MakeBlock(L"WELL", {new AcDbCircle(P(0, 0), AcGeVector3d::kZAxis, 1)});
    const AcDbObjectId ref = Insert(block, P(10, 0));
    AddLine(P(9, -5), P(9, -4));
    resbuf* inserts = acutBuildList(RTDXF0, L"INSERT", 0);
    EXPECT_EQ(Crossing(9.5, -0.5, 10.5, 0.5, inserts), std::vector<AcDbObjectId>{ref});
    EXPECT_TRUE(Crossing(40, -1, 41, 1, inserts).empty());
    // The block grows: the reference's box grows with it.
    {
        Reader<AcDbBlockTableRecord> rec(block, AcDb::kForWrite);
        auto* far = new AcDbLine(P(30, 0), P(31, 0));
        ASSERT_EQ(rec->appendAcDbEntity(far), Acad::eOk);
        far->close();
    }
    EXPECT_EQ(Crossing(40, -1, 41, 1, inserts), std::vector<AcDbObjectId>{ref});
    acutRelRb(inserts);
}

TEST_F(BlockTest, ArrayOfReferencesCoversItsCells) {
    const AcDbObjectId block = MakeBlock(L"CELL", {new AcDbLine(P(0, 0), P(1, 1))});
    const AcDbObjectId id = Add(new AcDbMInsertBlock(P(0, 0), block, 3, 2, 10, 5));
    const AcDbExtents ext = ExtentsOf(id);
    EXPECT_TRUE(PointNear(ext.minPoint(), P(0, 0)));
    EXPECT_TRUE(PointNear(ext.maxPoint(), P(21, 6)));
    Reader<AcDbMInsertBlock> m(id);
    EXPECT_EQ(m->columns(), 3);
    EXPECT_EQ(m->rows(), 2);
}
