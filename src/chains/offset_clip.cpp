// Clipping raw offsets: split at crossings, drop slices too near the input,
// stitch the rest. Splitting more often than needed is harmless (the
// stitching joins the parts again); missing a crossing is not, so every
// crossing test errs on the side of a split.
#include "chains/offset_clip.h"

#include <algorithm>
#include <limits>

#include "geometry/box_index.h"
#include "geometry/constants.h"

namespace drovik::offset {
namespace {

// Slice ends that are this close are one point: a crossing snapped to a
// piece's end on one side and kept exact on the other differ by at most two
// join tolerances.
constexpr double kStitchTol = 4.0 * kOffsetJoinTol;

// A piece of a raw path, numbered across all paths.
struct PieceRef {
    int path = 0;
    int index = 0;  // within its path
};

struct Split {
    int piece = 0;  // global number
    double t = 0.0;
    Vec2 pt;
};

// A part of one raw piece kept in a slice: the piece's stretch from t0
// (at start) to t1 (at end). Its segment is made when needed (SegmentOf):
// parts come by the ten thousand, and most are soon dropped.
struct Part {
    int piece = 0;  // global number
    double t0 = 0.0, t1 = 1.0;
    Vec2 start, end;
};

// A run of parts held in the clipper's store: slices come by the ten
// thousand, and one store beats a vector each.
struct PartRun {
    const Part* first = nullptr;
    std::size_t count = 0;
    const Part* begin() const { return first; }
    const Part* end() const { return first + count; }
    const Part& front() const { return first[0]; }
    const Part& back() const { return first[count - 1]; }
    const Part& operator[](std::size_t i) const { return first[i]; }
    std::size_t size() const { return count; }
    bool empty() const { return count == 0; }
};

struct Slice {
    PartRun parts;       // set once all paths are sliced
    std::size_t at = 0;  // where its parts start in the store
    int path = 0;
    double startPos = 0.0, endPos = 0.0;  // piece index plus place along it, within the path
    bool loop = false;                    // a whole closed path that nothing cut
};

std::vector<PlaneBox> PatchBoxes(const std::vector<JoinPatch>& patches) {
    std::vector<PlaneBox> boxes;
    boxes.reserve(patches.size());
    for (const JoinPatch& p : patches) boxes.push_back(p.Box());
    return boxes;
}

class Clipper {
public:
    Clipper(const std::vector<RawPath>& raws, const SegmentRefs& input, const BoxIndex& inputIndex,
            const std::vector<PlaneSegment>& guards, const std::vector<JoinPatch>& patches, double distance,
            double tolerance, const InputLayout* layout, const BoxIndex* pieceIndex = nullptr)
        : m_raws(raws),
          m_input(input),
          m_guards(guards),
          m_patches(patches),
          // Crossings are exact to far better than the stated tolerance: a
          // slice that dips in by more than rounding is on the wrong side.
          m_slack(std::min(10.0 * kOffsetJoinTol, tolerance)),
          m_minDistance(distance - m_slack),
          m_spurLength(tolerance),
          m_layout(layout),
          m_inputIndex(inputIndex),
          m_pieceIndex(pieceIndex),
          m_patchIndex(PatchBoxes(patches)) {
        std::size_t total = 0;
        for (const RawPath& raw : raws) total += raw.pieces.size();
        m_pieces.reserve(total);
        m_refs.reserve(total);
        m_sources.reserve(total);
        for (int p = 0; p < static_cast<int>(raws.size()); ++p) {
            m_pathFirst.push_back(static_cast<int>(m_pieces.size()));
            const bool sourced = raws[p].sources.size() == raws[p].pieces.size();
            for (int i = 0; i < static_cast<int>(raws[p].pieces.size()); ++i) {
                m_pieces.push_back(&raws[p].pieces[i]);
                m_refs.push_back({p, i});
                m_sources.push_back(sourced ? raws[p].sources[i] : -1);
            }
        }
    }

    bool AnyCrossing() {
        FindSelfCrossings(true);
        return !m_splits.empty();
    }

    std::vector<ClippedChain> Run() {
        FindSelfCrossings();
        FindGuardCrossings();
        SortSplits();
        std::vector<Slice> slices;
        // Every split adds at most one part; closed paths may repeat a few.
        m_store.reserve(m_pieces.size() + m_splits.size() + 16);
        for (int p = 0; p < static_cast<int>(m_raws.size()); ++p) SlicePath(p, slices);
        for (Slice& slice : slices) slice.parts.first = m_store.data() + slice.at;
        slices.erase(std::remove_if(slices.begin(), slices.end(), [&](const Slice& s) { return !IsValid(s); }),
                     slices.end());
        if (m_overlaps)
            DropRepeats(slices);
        else
            DropSlivers(slices);
        return Stitch(slices);
    }

private:
    // Pieces next to each other on a path share a joint, which is no crossing.
    bool SharesJoint(int a, int b, const SegmentHit& hit) const {
        const PieceRef ra = m_refs[a], rb = m_refs[b];
        if (ra.path != rb.path) return false;
        const int count = static_cast<int>(m_raws[ra.path].pieces.size());
        const bool closed = m_raws[ra.path].closed;
        const PlaneSegment& sa = *m_pieces[a];
        const PlaneSegment& sb = *m_pieces[b];
        if (rb.index == ra.index + 1 && Distance(hit.pt, sa.end) <= kStitchTol) return true;
        if (ra.index == rb.index + 1 && Distance(hit.pt, sa.start) <= kStitchTol) return true;
        if (closed && ra.index == 0 && rb.index == count - 1 && Distance(hit.pt, sa.start) <= kStitchTol) return true;
        if (closed && rb.index == 0 && ra.index == count - 1 && Distance(hit.pt, sb.start) <= kStitchTol) return true;
        return false;
    }

    bool Adjacent(int a, int b) const {
        const PieceRef ra = m_refs[a], rb = m_refs[b];
        if (ra.path != rb.path) return false;
        const int count = static_cast<int>(m_raws[ra.path].pieces.size());
        const int gap = std::abs(ra.index - rb.index);
        return gap == 1 || (m_raws[ra.path].closed && gap == count - 1);
    }

    // For adjacent pieces: whether they share a single joint, and where.
    bool OnlyJoint(int a, int b, Vec2& joint) const {
        const PieceRef ra = m_refs[a], rb = m_refs[b];
        const int count = static_cast<int>(m_raws[ra.path].pieces.size());
        if (count <= 2) return false;  // a closed pair meets at both ends
        const bool aFirst = rb.index == ra.index + 1 || (ra.index == count - 1 && rb.index == 0);
        joint = aFirst ? m_pieces[a]->end : m_pieces[a]->start;
        return true;
    }

    // The distance to the input passes |dist| only where a piece meets the
    // offset of another segment at a point no third segment is nearer: a
    // crossing clearly within reach of the input bounds no slice that could
    // stay, and needs no split.
    class BoundaryCrossing final : public PointFilter {
    public:
        BoundaryCrossing(const Clipper& clipper, int a, int b) : m_clipper(clipper), m_a(a), m_b(b) {}
        bool Accept(Vec2 pt) const override { return !m_clipper.NearSources(pt, m_a, m_b); }

    private:
        const Clipper& m_clipper;
        int m_a, m_b;
    };

    // Splits where raw pieces cross; with firstOnly, stops at the first.
    void FindSelfCrossings(bool firstOnly = false) {
        // Pieces known to lie inside need no splits: every slice through
        // one is dropped, and splitting others where they cross it changes
        // no slice's verdict. They stay out of the index (a caller's index
        // is of pieces that are not inside).
        std::vector<int> outside;  // piece of each item, in increasing order
        std::vector<PlaneBox> boxes;
        if (!m_pieceIndex) {
            for (int i = 0; i < static_cast<int>(m_pieces.size()); ++i) {
                if (m_pieces[i]->inside) continue;
                outside.push_back(i);
                boxes.push_back(m_pieces[i]->Box());
            }
        }
        const BoxIndex built(boxes);
        const BoxIndex& index = m_pieceIndex ? *m_pieceIndex : built;
        SegmentHit hits[4];
        index.Pairs(kOffsetJoinTol, [&](int i, int j) {
            const int a = m_pieceIndex ? i : outside[i];
            const int b = m_pieceIndex ? j : outside[j];
            // Straight neighbours meet only at their joint, and most others too.
            if (Adjacent(a, b)) {
                if (!m_pieces[a]->isArc && !m_pieces[b]->isArc) return true;
                Vec2 joint;
                if (OnlyJoint(a, b, joint) && !MayMeetBeyondJoint(*m_pieces[a], *m_pieces[b], joint)) return true;
            }
            const BoundaryCrossing onBoundary(*this, a, b);
            const int count = IntersectSegments(*m_pieces[a], *m_pieces[b], kOffsetJoinTol, hits,
                                                firstOnly ? nullptr : &onBoundary);
            for (int h = 0; h < count; ++h) {
                if (SharesJoint(a, b, hits[h])) continue;
                if (hits[h].overlap) m_overlaps = true;
                m_splits.push_back({a, hits[h].t1, hits[h].pt});
                m_splits.push_back({b, hits[h].t2, hits[h].pt});
            }
            return !(firstOnly && !m_splits.empty());
        });
    }

    void FindGuardCrossings() {
        if (m_guards.empty()) return;
        const BoxIndex index(BoxesOf(m_guards));
        SegmentHit hits[4];
        for (int a = 0; a < static_cast<int>(m_pieces.size()); ++a) {
            if (m_pieces[a]->inside) continue;
            index.Query(m_pieces[a]->Box().Grown(kOffsetJoinTol), [&](int g) {
                const int count = IntersectSegments(*m_pieces[a], m_guards[g], kOffsetJoinTol, hits);
                for (int h = 0; h < count; ++h) m_splits.push_back({a, hits[h].t1, hits[h].pt});
                return true;
            });
        }
    }

    // Orders the splits by piece and along each piece: grouped by piece by
    // counting, then sorted within each group (most pieces have a few).
    void SortSplits() {
        std::vector<std::size_t> next(m_pieces.size() + 1, 0);
        for (const Split& split : m_splits) ++next[static_cast<std::size_t>(split.piece) + 1];
        for (std::size_t k = 1; k < next.size(); ++k) next[k] += next[k - 1];
        const std::vector<std::size_t> groups = next;
        std::vector<Split> sorted(m_splits.size());
        for (const Split& split : m_splits) sorted[next[static_cast<std::size_t>(split.piece)]++] = split;
        const auto alongPiece = [](const Split& a, const Split& b) { return a.t < b.t; };
        for (std::size_t k = 0; k + 1 < groups.size(); ++k)
            if (groups[k + 1] - groups[k] > 1)
                std::sort(sorted.begin() + static_cast<std::ptrdiff_t>(groups[k]),
                          sorted.begin() + static_cast<std::ptrdiff_t>(groups[k + 1]), alongPiece);
        m_splits.swap(sorted);
    }

    // Cuts path p into slices at its splits.
    void SlicePath(int p, std::vector<Slice>& slices) {
        const RawPath& raw = m_raws[p];
        const int count = static_cast<int>(raw.pieces.size());
        if (count == 0) return;
        const int first = m_pathFirst[p];
        const auto splitsBegin = std::lower_bound(m_splits.begin(), m_splits.end(), first,
                                                  [](const Split& s, int piece) { return s.piece < piece; });
        const auto splitsEnd = std::lower_bound(splitsBegin, m_splits.end(), first + count,
                                                [](const Split& s, int piece) { return s.piece < piece; });
        // First pass: snap splits at piece ends to cuts between pieces.
        std::vector<char> cutAtPiece(static_cast<std::size_t>(count) + 1, 0);
        for (auto split = splitsBegin; split != splitsEnd; ++split) {
            const int k = split->piece - first;
            const SnapAt at = SnapOf(*split, raw.pieces[k]);
            if (at != SnapAt::kNone) cutAtPiece[at == SnapAt::kStart ? k : k + 1] = 1;
        }
        if (raw.closed && cutAtPiece[count]) cutAtPiece[0] = 1;
        if (!raw.closed) cutAtPiece[0] = 1;
        // Parts in path order, straight into the store, each marked when a
        // cut comes before it; parts too short to keep pass their cut on.
        const std::size_t base = m_store.size();
        m_cutBefore.clear();
        bool pendingCut = false;
        const auto add = [&](const Part& part, bool cut) {
            if (LengthOf(part) <= kOffsetJoinTol) {
                pendingCut = pendingCut || cut;
                return;
            }
            m_store.push_back(part);
            m_cutBefore.push_back(cut || pendingCut);
            pendingCut = false;
        };
        auto split = splitsBegin;
        for (int k = 0; k < count; ++k) {
            const PlaneSegment& seg = raw.pieces[k];
            double t = 0.0;
            Vec2 pt = seg.start;
            bool cut = cutAtPiece[k] != 0;
            for (; split != splitsEnd && split->piece == first + k; ++split) {
                if (SnapOf(*split, seg) != SnapAt::kNone) continue;
                if (Distance(split->pt, pt) <= kOffsetJoinTol) continue;  // the same crossing again
                add({first + k, t, split->t, pt, split->pt}, cut);
                t = split->t;
                pt = split->pt;
                cut = true;
            }
            add({first + k, t, 1.0, pt, seg.end}, cut);
        }
        const std::size_t n = m_cutBefore.size();
        if (n == 0) return;
        std::size_t begin = 0;
        if (raw.closed) {
            if (pendingCut) m_cutBefore[0] = 1;  // a cut at the very end falls where the loop starts again
            while (begin < n && !m_cutBefore[begin]) ++begin;
            if (begin == n) {  // nothing cut the loop
                Slice whole;
                whole.at = base;
                whole.parts.count = n;
                whole.path = p;
                whole.loop = true;
                slices.push_back(whole);
                return;
            }
            // The last slice runs on through the parts before the first
            // cut: a copy of those after the end keeps it in one run.
            for (std::size_t i = 0; i < begin; ++i) m_store.push_back(m_store[base + i]);
        }
        Slice current;
        current.at = base + begin;
        for (std::size_t i = begin; i < begin + n; ++i) {
            if (i < n && m_cutBefore[i] && current.parts.count > 0) {
                Finish(current, p, slices);
                current = Slice();
                current.at = base + i;
            }
            ++current.parts.count;
        }
        Finish(current, p, slices);
    }

    PlaneSegment SegmentOf(const Part& part) const {
        return m_pieces[part.piece]->Part(part.t0, part.start, part.t1, part.end);
    }
    double LengthOf(const Part& part) const {
        const PlaneSegment& piece = *m_pieces[part.piece];
        if (!piece.isArc) return Distance(part.start, part.end);
        return piece.radius * std::fabs(piece.sweep * (part.t1 - part.t0));
    }
    Vec2 MiddleOf(const Part& part) const { return SegmentOf(part).PointAt(0.5); }

    enum class SnapAt { kNone, kStart, kEnd };
    // A split this close to an end of its piece cuts between pieces.
    static SnapAt SnapOf(const Split& split, const PlaneSegment& seg) {
        if (Distance(split.pt, seg.start) <= kOffsetJoinTol) return SnapAt::kStart;
        if (Distance(split.pt, seg.end) <= kOffsetJoinTol) return SnapAt::kEnd;
        return SnapAt::kNone;
    }

    void Finish(Slice& slice, int p, std::vector<Slice>& slices) const {
        if (slice.parts.count == 0) return;
        slice.path = p;
        const int first = m_pathFirst[p];
        const Part& front = m_store[slice.at];
        const Part& back = m_store[slice.at + slice.parts.count - 1];
        slice.startPos = (front.piece - first) + front.t0;
        slice.endPos = (back.piece - first) + back.t1;
        slices.push_back(slice);
    }

    // Whether pt lies inside a join patch, by more than rounding.
    bool InPatch(Vec2 pt) const {
        if (m_patches.empty()) return false;
        const double margin = 10.0 * kOffsetJoinTol;
        return !m_patchIndex.Query(PlaneBox{pt.x, pt.y, pt.x, pt.y},
                                   [&](int i) { return !m_patches[i].Contains(pt, margin); });
    }

    // Whether pt lies closer than the minimum distance to an input segment.
    bool NearInput(Vec2 pt) const {
        const double reach = m_minDistance > 0.0 ? m_minDistance : 0.0;
        return !m_inputIndex.QueryNear(pt.x, pt.y, reach,
                                       [&](int i) { return m_input[i]->DistanceTo(pt) >= m_minDistance; });
    }

    // Whether pt, where pieces a and b cross, is found closer than the
    // minimum distance to one of the input segments between or around
    // their sources: where offsets fold over each other, one of those is
    // nearly always nearer. Answers false when it found none (pt may still
    // be near another).
    bool NearSources(Vec2 pt, int a, int b) const {
        constexpr int kSpan = 16;  // sources this close: every segment between
        constexpr int kAround = 3;
        int lo = std::min(m_sources[a], m_sources[b]);
        int hi = std::max(m_sources[a], m_sources[b]);
        if (lo < 0) return false;
        // From the middle out: the nearest segment is most often halfway.
        const auto near = [&](int from, int to) {
            from = std::max(from, 0);
            to = std::min(to, static_cast<int>(m_input.size()) - 1);
            const int mid = from + (to - from) / 2;
            for (int step = 0; step <= to - from; ++step) {
                const int i = mid + (step % 2 ? (step + 1) / 2 : -(step / 2));
                if (i < from || i > to) continue;
                if (m_input[i]->DistanceTo(pt) < m_minDistance) return true;
            }
            return false;
        };
        if (hi - lo <= kSpan) return near(lo - kAround, hi + kAround);
        return near(lo - kAround, lo + kAround) || near(hi - kAround, hi + kAround);
    }


    bool CrossesInput(const PlaneSegment& seg) const {
        SegmentHit hits[4];
        return !m_inputIndex.Query(seg.Box(),
                                   [&](int i) { return IntersectSegments(seg, *m_input[i], 0.0, hits) == 0; });
    }

    // Splits cut the raw offset wherever the distance to the input passes
    // |dist|, so each slice lies wholly on one side and one point of it
    // tells: the middle of its middle part, checked against every input
    // segment. Crossings that are not on that boundary (two pieces meeting
    // inside a third one's reach) may split too; a short part beyond one
    // dips in from one end, by twice as much there as at its middle, so with
    // rounding as the only slack the middle is enough. The middles of up to
    // kChecks parts spread along the slice are also checked against the
    // segments around their own sources and the join patches, which drops
    // most slices that go cheaply. Where chains cross themselves (open ones
    // may) a split can be missing and a slice straddle the boundary: the
    // middles of its first and last parts, and of two between, are then
    // checked against every segment too. A part longer than the distance could pass the input
    // between the points checked, so it is tested for crossing the input.
    bool IsValid(const Slice& slice) const {
        constexpr std::size_t kChecks = 16;
        constexpr std::size_t kFullChecks = 4;
        const double reach = m_minDistance > 0.0 ? m_minDistance : 0.0;
        const std::size_t n = slice.parts.size();
        if (n == 0) return false;
        const std::size_t stride = (n + kChecks - 1) / kChecks;
        for (std::size_t i = 0; i < n; ++i) {
            const Part& part = slice.parts[i];
            if (m_pieces[part.piece]->inside) return false;
            if (i % stride == 0) {
                const Vec2 mid = MiddleOf(part);
                if (NearSources(mid, part.piece, part.piece) || InPatch(mid)) return false;
            }
            if (LengthOf(part) > reach && CrossesInput(SegmentOf(part))) return false;
        }
        const bool mayMissSplits = !m_raws[slice.path].closed || !m_layout || m_layout->closedChainsCross;
        for (std::size_t k = 0; mayMissSplits && k < kFullChecks && k < n; ++k) {
            const std::size_t i = n == 1 ? 0 : (n - 1) * k / (kFullChecks - 1);
            if (NearInput(MiddleOf(slice.parts[i]))) return false;
        }
        const Part& middle = slice.parts[n / 2];
        const Vec2 mid = MiddleOf(middle);
        return !NearInput(mid) && (!m_raws[slice.path].closed || OnOffsetSide(mid, m_sources[middle.piece]));
    }

    // For the offset of a closed chain: whether pt, which keeps the
    // distance, lies on the offset's side of the closed chains. A piece's
    // points are built on its own source's offset side, at the distance
    // from it; a point farther than that from its own segments belongs to
    // a join reaching past the distance (a mitre's or a bevel's), which may
    // have gone round the chain to its far side, where the distance alone
    // cannot tell. Such a point must lie on the offset side of the segment
    // nearest it. (Open chains have their far side's offset as a guard,
    // and may cross themselves, so that sides do not hold there.)
    bool OnOffsetSide(Vec2 pt, int source) const {
        if (!m_layout || m_layout->side == 0 || source < 0) return true;
        // A join's source is the segment after its corner: the one before
        // counts as its own too.
        int nearest = source;
        double best = m_input[source]->DistanceTo(pt);
        const int before = Neighbour(source, -1);
        const double beforeDistance = before >= 0 ? m_input[before]->DistanceTo(pt) : best;
        if (beforeDistance < best) {
            nearest = before;
            best = beforeDistance;
        }
        if (best <= m_minDistance + 3.0 * m_slack) return true;  // at the distance: built on its side
        // Ties are rounding: the own segments win them.
        double beat = best - 2.0 * m_slack;
        m_inputIndex.QueryNear(pt.x, pt.y, beat, [&](int i) {
            const double dist = m_input[i]->DistanceTo(pt);
            if (dist < beat) {
                beat = dist;
                nearest = i;
            }
            return true;
        });
        return !m_layout->chainClosed[ChainOf(nearest)] || SideOf(nearest, pt) * m_layout->side >= 0;
    }

    // +1 when pt lies left of input segment i where that is nearest pt, -1
    // right, 0 when it cannot be told (beyond a full reversal).
    int SideOf(int i, Vec2 pt) const {
        const PlaneSegment& seg = *m_input[i];
        bool atStart = false;
        if (seg.isArc) {
            // Left of a counter-clockwise arc is towards its centre.
            if (seg.InWedge(pt)) return (seg.sweep > 0.0) == (Length(pt - seg.center) < seg.radius) ? 1 : -1;
            atStart = Distance(pt, seg.start) <= Distance(pt, seg.end);
        } else {
            const Vec2 along = seg.end - seg.start;
            const double t = Dot(pt - seg.start, along) / Dot(along, along);
            if (t > 0.0 && t < 1.0) return Cross(along, pt - seg.start) > 0.0 ? 1 : -1;
            atStart = t <= 0.0;
        }
        // Nearest a vertex: pt lies in the wedge of points nearest it, on
        // the outer side of the turn there, which the two tangents' sum
        // tells; a chain's end has one tangent.
        const int other = atStart ? Neighbour(i, -1) : Neighbour(i, +1);
        const Vec2 vertex = atStart ? seg.start : seg.end;
        const Vec2 own = atStart ? seg.StartTangent() : seg.EndTangent();
        const Vec2 next = other < 0 ? own : (atStart ? m_input[other]->EndTangent() : m_input[other]->StartTangent());
        const double side = Cross(own + next, pt - vertex);
        if (std::fabs(side) <= 1e-9 * Distance(pt, vertex)) return 0;
        return side > 0.0 ? 1 : -1;
    }

    // The chain of input segment i.
    int ChainOf(int i) const {
        const std::vector<int>& first = m_layout->chainFirst;
        return static_cast<int>(std::upper_bound(first.begin(), first.end(), i) - first.begin()) - 1;
    }

    // The input segment before (step -1) or after (+1) segment i in its
    // chain, round a closed chain's start; -1 at an open chain's end.
    int Neighbour(int i, int step) const {
        const int chain = ChainOf(i);
        const std::vector<int>& first = m_layout->chainFirst;
        const int begin = first[chain], end = first[chain + 1];
        const int j = i + step;
        if (j >= begin && j < end) return j;
        if (!m_layout->chainClosed[chain]) return -1;
        return j < begin ? end - 1 : begin;
    }

    // Slices whose ends lie within stitching reach of each other: crossings
    // found twice a rounding apart leave them, and the stitching joins their
    // neighbours without them.
    void DropSlivers(std::vector<Slice>& slices) const {
        slices.erase(std::remove_if(slices.begin(), slices.end(),
                                    [&](const Slice& s) {
                                        double length = 0.0;
                                        for (const Part& part : s.parts) length += LengthOf(part);
                                        return length <= kStitchTol;
                                    }),
                     slices.end());
    }

    // Raw pieces that run over each other (the bevels of a zig-zag's
    // corners on one line, say) leave the same stretch in two slices: the
    // later one goes.
    void DropRepeats(std::vector<Slice>& slices) const {
        std::vector<PlaneSegment> segs;
        std::vector<PlaneBox> boxes;
        std::vector<int> owner;
        for (int s = 0; s < static_cast<int>(slices.size()); ++s)
            for (const Part& part : slices[s].parts) {
                segs.push_back(SegmentOf(part));
                boxes.push_back(segs.back().Box().Grown(kStitchTol));
                owner.push_back(s);
            }
        const BoxIndex index(boxes);
        std::vector<char> repeated(slices.size(), 0);
        for (int s = 0; s < static_cast<int>(slices.size()); ++s) {
            bool all = true;
            for (const Part& part : slices[s].parts) {
                const Vec2 mid = MiddleOf(part);
                const bool covered = !index.Query(PlaneBox{mid.x, mid.y, mid.x, mid.y}, [&](int i) {
                    return !(owner[i] < s && !repeated[owner[i]] && segs[i].DistanceTo(mid) <= kStitchTol);
                });
                if (!covered) {
                    all = false;
                    break;
                }
            }
            repeated[s] = all;
        }
        std::size_t kept = 0;
        for (std::size_t s = 0; s < slices.size(); ++s)
            if (!repeated[s]) {
                if (kept != s) slices[kept] = std::move(slices[s]);
                ++kept;
            }
        slices.resize(kept);
    }

    // Joins the kept slices end to end: from a slice's end, on to the slice
    // starting there that comes next along the same raw path, or else any.
    // Loops are formed first, so that a short spur ending where a loop
    // passes (a sliver kept within the tolerance) cannot open the loop; what
    // is left forms open chains, each begun where no other slice leads in,
    // so that they come out as long as they can.
    std::vector<ClippedChain> Stitch(const std::vector<Slice>& slices) const {
        std::vector<ClippedChain> chains;
        std::vector<PlaneBox> starts;
        for (const Slice& s : slices) {
            const Vec2 a = s.parts.front().start;
            starts.push_back(PlaneBox{a.x, a.y, a.x, a.y}.Grown(kStitchTol));
        }
        const BoxIndex startIndex(starts);
        const std::size_t n = slices.size();
        std::vector<char> used(n, 0), open(n, 0);
        std::vector<int> walk;
        for (std::size_t s0 = 0; s0 < n; ++s0) {
            if (used[s0] || open[s0]) continue;
            walk.assign(1, static_cast<int>(s0));
            used[s0] = 1;
            bool closed = slices[s0].loop;
            const Vec2 head = slices[s0].parts.front().start;
            while (!closed) {
                const Slice& current = slices[walk.back()];
                const Vec2 end = current.parts.back().end;
                if (Distance(end, head) <= kStitchTol) {
                    closed = true;
                    break;
                }
                const int next = NextSlice(slices, used, startIndex, current, end);
                if (next < 0) break;
                used[next] = 1;
                walk.push_back(next);
            }
            if (closed) {
                chains.push_back(Joined(slices, walk, true));
                continue;
            }
            // Every slice of a walk that ran dead lies on an open chain.
            for (int w : walk) {
                used[w] = 0;
                open[w] = 1;
            }
        }
        std::vector<char> led(n, 0);
        for (std::size_t s = 0; s < n; ++s) {
            if (used[s]) continue;
            const Vec2 end = slices[s].parts.back().end;
            startIndex.Query(PlaneBox{end.x, end.y, end.x, end.y}, [&](int c) {
                if (static_cast<std::size_t>(c) != s && !used[c] &&
                    Distance(slices[c].parts.front().start, end) <= kStitchTol)
                    led[c] = 1;
                return true;
            });
        }
        for (const bool leadIn : {false, true}) {
            for (std::size_t s0 = 0; s0 < n; ++s0) {
                if (used[s0] || (led[s0] != 0) != leadIn) continue;
                walk.assign(1, static_cast<int>(s0));
                used[s0] = 1;
                for (;;) {
                    const Slice& current = slices[walk.back()];
                    const int next = NextSlice(slices, used, startIndex, current, current.parts.back().end);
                    if (next < 0) break;
                    used[next] = 1;
                    walk.push_back(next);
                }
                // Slivers kept within the tolerance can branch off a loop;
                // an open piece of closed paths is one unless it is long.
                ClippedChain chain = Joined(slices, walk, false);
                double length = 0.0;
                bool ofClosed = true;
                for (const PlaneSegment& seg : chain.segments) length += seg.Length();
                for (int w : walk) ofClosed = ofClosed && m_raws[slices[w].path].closed;
                if (length > (ofClosed ? 10.0 : 1.0) * m_spurLength) chains.push_back(std::move(chain));
            }
        }
        return chains;
    }

    int NextSlice(const std::vector<Slice>& slices, const std::vector<char>& used, const BoxIndex& startIndex,
                  const Slice& current, Vec2 end) const {
        int best = -1;
        double bestKey = std::numeric_limits<double>::infinity();
        const double pathLength = static_cast<double>(m_raws[current.path].pieces.size());
        startIndex.Query(PlaneBox{end.x, end.y, end.x, end.y}, [&](int c) {
            const Slice& cand = slices[c];
            if (used[c] || cand.loop || Distance(cand.parts.front().start, end) > kStitchTol) return true;
            double key = 2.0 * pathLength + c;  // another path: after any slice of this one
            if (cand.path == current.path) {
                key = cand.startPos - current.endPos;
                if (key < 0.0) key += pathLength;
            }
            if (key < bestKey) {
                bestKey = key;
                best = c;
            }
            return true;
        });
        return best;
    }

    // Adds a slice's parts, merging a part with the one before it when both
    // are stretches of one raw piece that a discarded branch had split.
    void Append(std::vector<Part>& chain, const Slice& slice) const {
        for (const Part& part : slice.parts) {
            if (!chain.empty()) {
                Part& last = chain.back();
                if (last.piece == part.piece && last.t1 == part.t0 && Distance(last.end, part.start) <= kStitchTol) {
                    last.end = part.end;
                    last.t1 = part.t1;
                    continue;
                }
            }
            chain.push_back(part);
        }
    }

    ClippedChain Joined(const std::vector<Slice>& slices, const std::vector<int>& walk, bool closed) const {
        std::vector<Part> parts;
        for (int w : walk) Append(parts, slices[w]);
        ClippedChain chain;
        chain.closed = closed;
        chain.segments.reserve(parts.size());
        for (const Part& part : parts) chain.segments.push_back(SegmentOf(part));
        return chain;
    }

    const std::vector<RawPath>& m_raws;
    const SegmentRefs& m_input;
    const std::vector<PlaneSegment>& m_guards;
    const std::vector<JoinPatch>& m_patches;
    double m_slack;  // how far rounding may put a kept point inside the distance
    double m_minDistance;
    double m_spurLength;  // open chains no longer than this are slivers, not results (ten times for closed paths)
    const InputLayout* m_layout;  // none for the crossing check
    const BoxIndex& m_inputIndex;
    const BoxIndex* m_pieceIndex;  // over m_pieces, when the caller has one
    BoxIndex m_patchIndex;
    std::vector<const PlaneSegment*> m_pieces;  // every path's pieces, numbered across paths
    std::vector<PieceRef> m_refs;
    std::vector<int> m_sources;  // input segment of each piece, -1 when unknown
    std::vector<int> m_pathFirst;
    std::vector<Split> m_splits;
    std::vector<Part> m_store;  // the parts of all slices, each slice's together
    std::vector<char> m_cutBefore;  // for the parts of the path being sliced: whether a cut comes before
    bool m_overlaps = false;  // some raw pieces share a stretch
};

}  // namespace

std::vector<PlaneBox> BoxesOf(const std::vector<PlaneSegment>& segs) {
    std::vector<PlaneBox> boxes;
    boxes.reserve(segs.size());
    for (const PlaneSegment& s : segs) boxes.push_back(s.Box());
    return boxes;
}

std::vector<PlaneBox> BoxesOf(const SegmentRefs& segs) {
    std::vector<PlaneBox> boxes;
    boxes.reserve(segs.size());
    for (const PlaneSegment* s : segs) boxes.push_back(s->Box());
    return boxes;
}

bool PathsCross(const std::vector<RawPath>& paths, const BoxIndex* pieceIndex) {
    const SegmentRefs noInput;
    const std::vector<PlaneSegment> none;
    const std::vector<JoinPatch> noPatches;
    const BoxIndex noIndex{std::vector<PlaneBox>()};
    return Clipper(paths, noInput, noIndex, none, noPatches, 0.0, 0.0, nullptr, pieceIndex).AnyCrossing();
}

std::vector<ClippedChain> ClipRawOffsets(const std::vector<RawPath>& raws, const SegmentRefs& input,
                                         const BoxIndex& inputIndex, const std::vector<PlaneSegment>& guards,
                                         const std::vector<JoinPatch>& patches, double distance, double tolerance,
                                         const InputLayout& layout) {
    return Clipper(raws, input, inputIndex, guards, patches, distance, tolerance, &layout).Run();
}

}  // namespace drovik::offset
