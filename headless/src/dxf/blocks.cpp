// Block definitions and xrecords read from their tags (see blocks.h).
#include "blocks.h"

#include <charconv>
#include <cstdlib>
#include <cstring>

#include "acutads.h"

namespace host {
namespace dxf {
namespace detail {

namespace {

// Each tag before extended data with the subclass marker it stands under
// ("" before the first marker, and in R12 files, which have none).
template <class Fn>
void EachUnder(const std::vector<Tag>& tags, Fn fn) {
    std::string_view marker;
    for (std::size_t k = 0; k < tags.size(); ++k) {
        const Tag& t = tags[k];
        if (t.code == 1001) break;
        if (k == 0 && t.code == 0) continue;
        if (t.code == 100) {
            marker = Trim(t.value);
            continue;
        }
        fn(t, marker);
    }
}

}  // namespace

void ReadBlockRecordFields(const std::vector<Tag>& tags, AcDbBlockTableRecord& rec) {
    EachUnder(tags, [&](const Tag& t, std::string_view marker) {
        long long n = 0;
        if (marker != "AcDbBlockTableRecord" || !ParseInt(t.value, n)) return;
        if (t.code == 70) rec.setBlockInsertUnits(static_cast<int>(n));
        if (t.code == 280) rec.setExplodable(n != 0);
        if (t.code == 281) rec.setBlockScaling(n != 0 ? 1 : 0);
    });
}

void ReadBlockBegin(const std::vector<Tag>& tags, Codec& codec, AcDbBlockTableRecord& rec) {
    AcGePoint3d origin;
    EachUnder(tags, [&](const Tag& t, std::string_view marker) {
        if (!marker.empty() && marker != "AcDbBlockBegin") return;
        double d = 0;
        switch (t.code) {
        case 10: if (ParseDouble(t.value, d)) origin.x = d; break;
        case 20: if (ParseDouble(t.value, d)) origin.y = d; break;
        case 30: if (ParseDouble(t.value, d)) origin.z = d; break;
        case 1: rec.setPathName(codec.decode(t.value).c_str()); break;
        case 4: rec.setComments(codec.decode(t.value).c_str()); break;
        default: break;
        }
    });
    rec.setOrigin(origin);
}

long long BlockFlags(const AcDbBlockTableRecord& rec, long long read) {
    long long flags = read & ~7LL;
    if (rec.isAnonymous()) flags |= 1;
    if (rec.hasAttributeDefinitions()) flags |= 2;
    if (rec.isFromExternalReference()) flags |= (read & 12) ? (read & 4) : 4;
    return flags;
}

bool KeepSequence(FileImage& img, std::uint32_t head) {
    Record& h = img.records[head];
    bool any = false;
    for (std::uint32_t k = head + 1; k < img.records.size() && img.records[k].role == Role::Sub; ++k) {
        h.end = img.records[k].end;
        if (img.records[k].flags & kHasRefs) h.flags |= kHasRefs;
        any = true;
    }
    if (any) h.flags |= kSequence;
    return any;
}

bool ReadXrecordData(const std::vector<Tag>& tags, Codec& codec, const AcDbDatabase* db,
                     const std::function<std::uint32_t(std::uint64_t)>& slotOf, XrecordData& out) {
    resbuf* head = nullptr;
    resbuf** tail = &head;
    bool ok = true, data = false, first = true;
    auto add = [&](int code) {
        resbuf* rb = acutNewRb(code);
        *tail = rb;
        tail = &rb->rbnext;
        return rb;
    };
    for (std::size_t k = 0; k < tags.size() && ok; ++k) {
        const Tag& t = tags[k];
        if (t.code == 1001) break;
        if (!data) {
            data = t.code == 100 && Trim(t.value) == "AcDbXrecord";
            continue;
        }
        long long n = 0;
        double d = 0;
        if (first && t.code == 280) {
            first = false;
            ok = ParseInt(t.value, n) && n >= 0 && n <= 5;
            out.mergeStyle = static_cast<int>(n);
            out.hasMergeStyle = true;
            continue;
        }
        first = false;
        const int c = t.code;
        switch (RbKindOf(c)) {
        case RbKind::Point: {
            // x, then y and z under the codes 10 and 20 above it.
            if (c % 100 >= 20 && c < 1000) {
                ok = false;
                break;
            }
            double p[3] = {0, 0, 0};
            ok = ParseDouble(t.value, p[0]) && k + 2 < tags.size() && tags[k + 1].code == c + 10 &&
                 tags[k + 2].code == c + 20 && ParseDouble(tags[k + 1].value, p[1]) &&
                 ParseDouble(tags[k + 2].value, p[2]);
            if (!ok) break;
            k += 2;
            resbuf* rb = add(c);
            for (int i = 0; i < 3; ++i) rb->resval.rpoint[i] = p[i];
            break;
        }
        case RbKind::Real:
            ok = ParseDouble(t.value, d);
            if (ok) add(c)->resval.rreal = d;
            break;
        case RbKind::Short:
            ok = ParseInt(t.value, n) && n >= -32768 && n <= 32767;
            if (ok) add(c)->resval.rint = static_cast<short>(n);
            break;
        case RbKind::Long:
            ok = ParseInt(t.value, n) && n >= -2147483648LL && n <= 2147483647LL;
            if (ok) add(c)->resval.rlong = static_cast<std::int32_t>(n);
            break;
        case RbKind::Int64:
            ok = ParseInt(t.value, n);
            if (ok) add(c)->resval.mnInt64 = n;
            break;
        case RbKind::String:
            add(c)->resval.rstring = acutNewString(codec.decode(t.value).c_str());
            break;
        case RbKind::Name: {
            std::uint64_t h = 0;
            ok = ParseHex(t.value, h);
            const std::uint32_t slot = ok && h ? slotOf(h) : 0;
            ok = ok && (h == 0 || slot != 0);
            if (!ok) break;
            resbuf* rb = add(c);
            rb->resval.rlname[0] = static_cast<long>(db->serial());
            rb->resval.rlname[1] = static_cast<long>(slot);
            break;
        }
        case RbKind::Binary: {
            const std::string_view v = Trim(t.value);
            ok = v.size() % 2 == 0 && v.size() <= 2 * 32767;
            std::vector<char> bytes(v.size() / 2);
            for (std::size_t i = 0; ok && i < bytes.size(); ++i) {
                unsigned b = 0;
                const auto res = std::from_chars(v.data() + 2 * i, v.data() + 2 * i + 2, b, 16);
                ok = res.ec == std::errc() && res.ptr == v.data() + 2 * i + 2;
                bytes[i] = static_cast<char>(b);
            }
            if (!ok) break;
            resbuf* rb = add(c);
            rb->resval.rbinary.clen = static_cast<short>(bytes.size());
            rb->resval.rbinary.buf = nullptr;
            if (!bytes.empty()) {
                rb->resval.rbinary.buf = static_cast<char*>(std::malloc(bytes.size()));
                std::memcpy(rb->resval.rbinary.buf, bytes.data(), bytes.size());
            }
            break;
        }
        default: ok = false; break;
        }
        if (c == 5 || c == 105) ok = false;
    }
    if (!ok || !data) {
        acutRelRb(head);
        return false;
    }
    out.list = head;
    return true;
}

}  // namespace detail
}  // namespace dxf
}  // namespace host
