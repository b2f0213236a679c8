// The bulk record codec must agree byte for byte with CDataNode::Serialize.
#include <cstring>

#include "data/data_test_support.h"
#include "data/record_codec.h"
#include "drovik/drovik.h"

namespace {
using data_detail::RecordView;

Bytes SerializeBytes(CDataNode node) {
    TempDir dir;
    {
        CFile file(dir.name("n.bin"), CFile::modeCreate | CFile::modeWrite);
        CArchive ar(&file, CArchive::store);
        node.Serialize(ar);
    }
    return ReadBytes(dir.file("n.bin"));
}

// What the codec reads from the bytes: the decoded node, the record's size and
// whether it may be copied as it is; or the archive exception's cause.
struct CodecRead {
    int cause = -1;
    CDataNode node;
    std::size_t size = 0;
    bool canonical = false;
};

CodecRead ReadWithCodec(const Bytes& bytes) {
    TempDir dir;
    WriteBytes(dir.file("r.bin"), bytes);
    CodecRead out;
    CFile file(dir.name("r.bin"), CFile::modeRead);
    const CString name = dir.name("r.bin");
    data_detail::RecordStream stream(file, name);
    std::vector<BYTE> side;
    out.cause = ArchiveCause([&] {
        const RecordView record = data_detail::NextRecord(stream, side);
        data_detail::DecodeRecord(record, out.node);
        out.size = record.size;
        out.canonical = data_detail::IsCanonical(record);
    });
    return out;
}

CodecRead ReadWithArchive(const Bytes& bytes) {
    TempDir dir;
    WriteBytes(dir.file("r.bin"), bytes);
    CodecRead out;
    CFile file(dir.name("r.bin"), CFile::modeRead);
    CArchive ar(&file, CArchive::load);
    out.cause = ArchiveCause([&] { out.node.Serialize(ar); });
    return out;
}

void ExpectSameNode(const CDataNode& a, const CDataNode& b, const std::string& what) {
    EXPECT_EQ(a.MakeIndex(), b.MakeIndex()) << what;
    EXPECT_EQ(a.GetInt(), b.GetInt()) << what;
    EXPECT_EQ(std::memcmp(&a.m_dValue, &b.m_dValue, sizeof(double)), 0) << what;
    EXPECT_EQ(a.GetString(), b.GetString()) << what;
}

std::wstring Repeat(const std::wstring& piece, int n) {
    std::wstring text;
    for (int i = 0; i < n; ++i) text += piece;
    return text;
}

// Units that are no characters: a lone high and a lone low surrogate, and,
// where wchar_t has room for it, a value beyond U+10FFFF.
std::wstring NotCharacters() {
    std::wstring text = L"bad ";
    text += static_cast<wchar_t>(0xD800);
    text += L" and ";
    text += static_cast<wchar_t>(sizeof(wchar_t) == 4 ? 0x110000 : 0xDFFF);
    return text;
}

TEST(RecordCodec, EncodesWhatSerializeStores) {
    std::vector<CDataNode> nodes;
    for (unsigned short type : {0, 1, 2, 3, 4, 0xFFFF}) {
        for (const std::wstring& text : {std::wstring(), std::wstring(L"abc"), std::wstring(127, L'中'),
                                         std::wstring(128, L'中'), Repeat(L"\U0001F600", 127),
                                         std::wstring(300, L'x'), std::wstring(70000, L'y'),
                                         NotCharacters()}) {
            CDataNode node;
            node.m_Index = static_cast<unsigned short>(nodes.size() * 977);
            node.m_Type = type;
            node.SetValue(-7);
            node.SetValue(3.25);
            node.SetValue(CString(text));
            nodes.push_back(node);
        }
    }
    for (const CDataNode& node : nodes) {
        const Bytes expected = SerializeBytes(node);
        Bytes encoded(data_detail::EncodedSize(node));
        EXPECT_EQ(data_detail::EncodeTo(node, encoded.data()), encoded.data() + encoded.size());
        EXPECT_EQ(encoded, expected) << node.m_Type << " " << node.m_strValue.GetLength();
    }
}

static_assert(2 * 500000 > data_detail::RecordStream::kBufferSize, "the long text below must not fit the stream's buffer");

TEST(RecordCodec, ReadsWhatSerializeLoads) {
    const std::pair<const char*, Bytes> cases[] = {
        {"integer", {1, 0, 1, 0, 0xFE, 0xFF, 0xFF, 0xFF}},
        {"real", {2, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0xF0, 0xBF}},
        {"wide", {3, 0, 4, 0, 0xFF, 0xFE, 0xFF, 2, 0x2D, 0x4E, 'a', 0}},
        {"wide, 16-bit length where one byte would do", {3, 0, 4, 0, 0xFF, 0xFE, 0xFF, 0xFF, 1, 0, 'a', 0}},
        {"wide, 32-bit length", {3, 0, 4, 0, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0, 'a', 0}},
        {"wide, 64-bit length",
         {3, 0, 4, 0, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0, 0, 0, 0, 0, 'a', 0}},
        {"wide, 16-bit length 65534", Concat({{3, 0, 4, 0, 0xFF, 0xFE, 0xFF, 0xFF, 0xFE, 0xFF}, Bytes(2 * 65534, 'q')})},
        {"wide, lone surrogates", {3, 0, 4, 0, 0xFF, 0xFE, 0xFF, 3, 0x00, 0xDC, 0x00, 0xD8, 'a', 0}},
        {"wide, surrogate pair", {3, 0, 4, 0, 0xFF, 0xFE, 0xFF, 2, 0x3D, 0xD8, 0x00, 0xDE}},
        {"narrow", {3, 0, 0, 0, 3, 'a', 'b', 'c'}},
        {"narrow, 16-bit length", {3, 0, 7, 0, 0xFF, 2, 0, 0xD6, 0xD0}},
        {"narrow, code page 936", {3, 0, 4, 0, 4, 0xD6, 0xD0, 0xCE, 0xC4}},
        {"long wide text beyond the stream buffer", Concat({{9, 0, 4, 0, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x20, 0xA1, 0x07, 0},
                                                            Bytes(2 * 500000, 'z')})},
        {"short", {1, 0, 1, 0, 5}},
        {"short text", {1, 0, 4, 0, 0xFF, 0xFE, 0xFF, 9, 'a', 0}},
        {"unholdable 64-bit length",
         {3, 0, 4, 0, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0x80, 0, 0, 0, 0}},
    };
    for (const auto& [what, bytes] : cases) {
        const CodecRead codec = ReadWithCodec(bytes);
        const CodecRead archive = ReadWithArchive(bytes);
        ASSERT_EQ(codec.cause, archive.cause) << what;
        if (codec.cause != -1) continue;
        ExpectSameNode(codec.node, archive.node, what);
        EXPECT_EQ(codec.size, bytes.size()) << what;
        // A record may be copied as it is exactly when writing it anew gives the same bytes.
        EXPECT_EQ(codec.canonical, SerializeBytes(archive.node) == bytes) << what;
    }
}

TEST(RecordCodec, OldFormsAreWrittenAnewInTheWideForm) {
    TempDir dir;
    const Bytes narrow = {1, 0, 4, 0, 3, 'a', 'b', 'c'};
    const Bytes longForm = {2, 0, 4, 0, 0xFF, 0xFE, 0xFF, 0xFF, 1, 0, 'z', 0};
    WriteBytes(dir.file("a.dat"), Concat({{1, 0, 0, 0, 2, 0, 0, 0}, narrow, longForm}));
    CDataNode node(0x10003);
    ASSERT_EQ(SornWriteDataNode(node, dir.name("a.dat")), 1);
    EXPECT_EQ(ReadBytes(dir.file("a.dat")),
              Concat({{1, 0, 0, 0, 3, 0, 0, 0},
                      {1, 0, 4, 0, 0xFF, 0xFE, 0xFF, 3, 'a', 0, 'b', 0, 'c', 0},
                      {2, 0, 4, 0, 0xFF, 0xFE, 0xFF, 1, 'z', 0},
                      {3, 0, 1, 0, 0, 0, 0, 0}}));
}

}  // namespace
