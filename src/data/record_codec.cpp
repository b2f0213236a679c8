// Data node records streamed from and to files.
#include "data/record_codec.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace data_detail {
namespace {
constexpr BYTE kLengthEscape = 0xFF;
constexpr WORD kUnicodeMarker = 0xFFFE;
constexpr WORD kLength32 = 0xFFFF;
constexpr DWORD kLength64 = 0xFFFFFFFF;
constexpr std::size_t kRecordHead = 4;  // index and type
constexpr std::size_t kIntBytes = 4;
constexpr std::size_t kDoubleBytes = 8;

using host::IsHighSurrogate;
using host::IsLowSurrogate;
unsigned WordAt(const BYTE* p) { return p[0] | (p[1] << 8); }
DWORD DwordAt(const BYTE* p) {
    return static_cast<DWORD>(p[0]) | (static_cast<DWORD>(p[1]) << 8) | (static_cast<DWORD>(p[2]) << 16) |
           (static_cast<DWORD>(p[3]) << 24);
}
ULONGLONG QwordAt(const BYTE* p) { return DwordAt(p) | (static_cast<ULONGLONG>(DwordAt(p + 4)) << 32); }

// True when the units hold no unpaired surrogate.
bool IsWellFormedUtf16(const BYTE* p, std::size_t units) {
    for (std::size_t i = 0; i < units; ++i) {
        const unsigned u = WordAt(p + 2 * i);
        if (u < 0xD800 || u > 0xDFFF) continue;
        if (IsLowSurrogate(u) || i + 1 >= units || !IsLowSurrogate(WordAt(p + 2 * i + 2))) return false;
        ++i;
    }
    return true;
}

// What the bytes before a record's value say about it.
struct RecordHead {
    bool complete = false;  // all of the head was at hand
    std::size_t headSize = 0;
    std::size_t valueSize = 0;
    int charSize = 0;
    bool shortest = false;     // the length form the writer would choose
    ULONGLONG unholdable = 0;  // a 64-bit text length beyond any string, else 0
};

// Reads the head from the `available` bytes at p. A text length follows
// MFC's encoding: one byte below FF; else FF and 16 bits, where FFFE marks
// the wide form (then the length again, one byte or FF and 16 bits); 16 bits
// FFFF lead to 32 bits, and 32 bits FFFFFFFF to 64 bits.
RecordHead ReadHead(const BYTE* p, std::size_t available) {
    RecordHead head;
    std::size_t at = kRecordHead;
    auto have = [&](std::size_t n) { return available - at >= n; };
    if (available < kRecordHead) return head;
    const unsigned type = WordAt(p + 2);
    if (type == CDataNode::typeInt || type == CDataNode::typeDouble) {
        head.complete = true;
        head.headSize = kRecordHead;
        head.valueSize = type == CDataNode::typeInt ? kIntBytes : kDoubleBytes;
        return head;
    }
    head.charSize = 1;
    if (!have(1)) return head;
    std::size_t length = p[at++];
    if (length == kLengthEscape) {
        if (!have(2)) return head;
        length = WordAt(p + at);
        at += 2;
        if (length == kUnicodeMarker) {
            head.charSize = 2;
            if (!have(1)) return head;
            length = p[at++];
            if (length < kLengthEscape) {
                head.shortest = true;
            } else {
                if (!have(2)) return head;
                length = WordAt(p + at);
                at += 2;
                head.shortest = length >= kLengthEscape && length < kUnicodeMarker;
            }
        }
        if (length == kLength32) {
            if (!have(4)) return head;
            length = DwordAt(p + at);
            at += 4;
            head.shortest = head.charSize == 2 && length >= kUnicodeMarker && length < kLength64;
            if (length == kLength64) {
                if (!have(8)) return head;
                const ULONGLONG qw = QwordAt(p + at);
                at += 8;
                head.shortest = false;
                if (qw > static_cast<ULONGLONG>(INT_MAX)) {
                    head.unholdable = qw;
                    length = 0;
                } else {
                    length = static_cast<std::size_t>(qw);
                }
            }
        }
    }
    head.complete = true;
    head.headSize = at;
    // A 32-bit length times two fits; 64-bit ones are at most INT_MAX here.
    head.valueSize = length * static_cast<std::size_t>(head.charSize);
    return head;
}

BYTE* PutWord(BYTE* p, unsigned w) {
    p[0] = static_cast<BYTE>(w);
    p[1] = static_cast<BYTE>(w >> 8);
    return p + 2;
}

BYTE* PutDword(BYTE* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<BYTE>(v >> (8 * i));
    return p + 4;
}

bool IsText(unsigned short type) { return type != CDataNode::typeInt && type != CDataNode::typeDouble; }

// A buffer for about `expected` bytes, within the limits.
std::size_t BufferSizeFor(ULONGLONG expected) {
    constexpr std::size_t kSmallest = 2 * RecordStream::kLookahead;
    return static_cast<std::size_t>(std::clamp<ULONGLONG>(expected, kSmallest, RecordStream::kBufferSize));
}

std::size_t LengthBytes(std::size_t units) { return units < kLengthEscape ? 1 : units < kUnicodeMarker ? 3 : 7; }

// Wide text from UTF-16 units, unpaired surrogates as U+FFFD. Never more
// wide characters than units, whatever the size of wchar_t.
void DecodeWide(const BYTE* p, std::size_t units, CString& out) {
    wchar_t* const begin = out.GetBufferSetLength(static_cast<int>(units));
    wchar_t* dst = begin;
    for (std::size_t i = 0; i < units; ++i) {
        const unsigned u = WordAt(p + 2 * i);
        if (IsHighSurrogate(u) && i + 1 < units && IsLowSurrogate(WordAt(p + 2 * i + 2))) {
            dst = host::PutChar(dst, 0x10000 + ((u - 0xD800) << 10) + (WordAt(p + 2 * i + 2) - 0xDC00));
            ++i;
        } else {
            *dst++ = static_cast<wchar_t>(host::IsSurrogate(u) ? host::kReplacementChar : u);
        }
    }
    out.ReleaseBuffer(static_cast<int>(dst - begin));
}
}  // namespace

// ---------------------------------------------------------------------------
// RecordStream

RecordStream::RecordStream(CFile& file, const CString& fileName)
    : m_file(file), m_fileName(fileName), m_buffer(BufferSizeFor(file.GetLength() - file.GetPosition())) {}

void RecordStream::Refill(std::size_t n) {
    if (n > m_buffer.size()) {
        // Only as far as the file can fill it: a length the file merely
        // claims reserves nothing.
        const auto fillable = static_cast<std::size_t>(std::min<ULONGLONG>(n, BytesLeft()));
        if (fillable > m_buffer.size()) m_buffer.resize(fillable);
    }
    if (m_pos > 0) {
        std::memmove(m_buffer.data(), m_buffer.data() + m_pos, m_end - m_pos);
        m_end -= m_pos;
        m_pos = 0;
    }
    while (m_end < n && !m_atEnd) {
        const UINT got = m_file.Read(m_buffer.data() + m_end, static_cast<UINT>(m_buffer.size() - m_end));
        if (got == 0) m_atEnd = true;
        m_end += got;
    }
}

void RecordStream::Ensure(std::size_t n) {
    Refill(n);
    if (m_end - m_pos < n) ThrowEndOfFile();
}

DWORD RecordStream::Dword() { return DwordAt(Take(4)); }

ULONGLONG RecordStream::BytesLeft() const {
    const ULONGLONG length = m_file.GetLength();
    const ULONGLONG position = m_file.GetPosition();
    return (length > position ? length - position : 0) + (m_end - m_pos);
}

void RecordStream::ThrowEndOfFile() const { AfxThrowArchiveException(CArchiveException::endOfFile, m_fileName); }
void RecordStream::ThrowGeneric() const { AfxThrowArchiveException(CArchiveException::genericException, m_fileName); }

RecordView NextRecordOfAnyKind(RecordStream& stream, std::vector<BYTE>& side) {
    std::size_t available = 0;
    const BYTE* p = stream.Window(available);
    // The window holds the longest head unless the file ends first.
    const RecordHead head = ReadHead(p, available);
    if (!head.complete) stream.ThrowEndOfFile();
    if (head.unholdable) {
        // No string holds it; a file too short for it simply ended early.
        const ULONGLONG after = stream.BytesLeft() - head.headSize;
        if (head.unholdable > after / static_cast<ULONGLONG>(head.charSize)) stream.ThrowEndOfFile();
        stream.ThrowGeneric();
    }
    RecordView record;
    record.index = static_cast<unsigned short>(WordAt(p));
    record.type = static_cast<unsigned short>(WordAt(p + 2));
    record.charSize = head.charSize;
    record.valueSize = head.valueSize;
    record.size = head.headSize + head.valueSize;
    if (record.size <= available) {
        record.begin = p;
        stream.Skip(record.size);
    } else if (record.size <= RecordStream::kBufferSize) {
        record.begin = stream.Take(record.size);
    } else {
        // A long text: gathered piece by piece as its bytes arrive.
        side.clear();
        while (side.size() < record.size) {
            const std::size_t piece = std::min(record.size - side.size(), RecordStream::kBufferSize);
            const BYTE* bytes = stream.Take(piece);
            side.insert(side.end(), bytes, bytes + piece);
        }
        record.begin = side.data();
    }
    record.value = record.begin + head.headSize;
    record.shortestForm = !IsText(record.type) || head.shortest;
    return record;
}

bool IsCanonical(const RecordView& record) {
    if (!IsText(record.type)) return true;
    return record.shortestForm && IsWellFormedUtf16(record.value, record.valueSize / 2);
}

void DecodeRecord(const RecordView& record, CDataNode& node) {
    node.m_Index = record.index;
    node.m_Type = record.type;
    node.m_nValue = 0;
    node.m_dValue = 0.0;
    if (record.type == CDataNode::typeInt) {
        node.m_nValue = static_cast<int>(DwordAt(record.value));
        node.m_strValue.Empty();
    } else if (record.type == CDataNode::typeDouble) {
        const ULONGLONG bits = QwordAt(record.value);
        std::memcpy(&node.m_dValue, &bits, sizeof bits);
        node.m_strValue.Empty();
    } else if (record.charSize == 2) {
        DecodeWide(record.value, record.valueSize / 2, node.m_strValue);
    } else {
        const std::string bytes(reinterpret_cast<const char*>(record.value), record.valueSize);
        node.m_strValue = CString(host::NarrowArchiveTextToWide(bytes));
    }
}

// ---------------------------------------------------------------------------
// Encoding

std::size_t EncodedSize(const CDataNode& node) {
    if (node.m_Type == CDataNode::typeInt) return kRecordHead + kIntBytes;
    if (node.m_Type == CDataNode::typeDouble) return kRecordHead + kDoubleBytes;
    const std::size_t units = host::Utf16Length(node.m_strValue.str());
    return kRecordHead + 3 + LengthBytes(units) + 2 * units;
}

BYTE* EncodeTo(const CDataNode& node, BYTE* p) {
    p = PutWord(p, node.m_Index);
    p = PutWord(p, node.m_Type);
    if (node.m_Type == CDataNode::typeInt) return PutDword(p, static_cast<std::uint32_t>(node.m_nValue));
    if (node.m_Type == CDataNode::typeDouble) {
        std::uint64_t bits;
        std::memcpy(&bits, &node.m_dValue, sizeof bits);
        return PutDword(PutDword(p, static_cast<std::uint32_t>(bits)), static_cast<std::uint32_t>(bits >> 32));
    }
    // The text as the archive writes it: wide marker, shortest length form,
    // UTF-16 little-endian (characters beyond the basic plane as surrogate
    // pairs, anything that is not a character as U+FFFD).
    const std::wstring& text = node.m_strValue.str();
    *p++ = kLengthEscape;
    p = PutWord(p, kUnicodeMarker);
    BYTE* length = p;
    // Up to 127 wide characters make at most 254 units: a one-byte length, filled
    // in after the characters, so short texts are walked once.
    const bool shortText = text.size() <= (kLengthEscape - 1) / 2;
    std::size_t units = 0;
    if (shortText) {
        ++p;
    } else {
        units = host::Utf16Length(text);
        if (units < kLengthEscape) {
            *p++ = static_cast<BYTE>(units);
        } else if (units < kUnicodeMarker) {
            *p++ = kLengthEscape;
            p = PutWord(p, static_cast<unsigned>(units));
        } else {
            *p++ = kLengthEscape;
            p = PutWord(p, kLength32);
            p = PutDword(p, static_cast<std::uint32_t>(units));
        }
    }
    BYTE* const chars = p;
    const wchar_t* const data = text.data();
    for (std::size_t i = 0; i < text.size();) {
        char32_t c = host::NextChar(data, text.size(), i);
        if (c >= 0x10000) {
            c -= 0x10000;
            p = PutWord(p, 0xD800 + (c >> 10));
            p = PutWord(p, 0xDC00 + (c & 0x3FF));
            continue;
        }
        p = PutWord(p, c);
    }
    if (shortText) *length = static_cast<BYTE>((p - chars) / 2);
    return p;
}

// ---------------------------------------------------------------------------
// RecordSink

RecordSink::RecordSink(CFile& file, ULONGLONG expectedSize) : m_file(file), m_buffer(BufferSizeFor(expectedSize)) {}

void RecordSink::PutLarge(const BYTE* p, std::size_t n) {
    Flush();
    if (n > m_buffer.size()) {
        m_file.Write(p, static_cast<UINT>(n));
        return;
    }
    std::memcpy(m_buffer.data() + m_used, p, n);
    m_used += n;
}

void RecordSink::PutDword(DWORD v) {
    BYTE bytes[4];
    data_detail::PutDword(bytes, v);
    Put(bytes, 4);
}

void RecordSink::PutNode(const CDataNode& node) {
    // Worst case for a short text: head, marker, length and two units a character.
    const std::size_t capacity = m_buffer.size();
    const std::size_t bound = kRecordHead + 3 + 7 + 4 * node.m_strValue.str().size();
    if (bound <= capacity) {
        if (bound > capacity - m_used) Flush();
        m_used = static_cast<std::size_t>(EncodeTo(node, m_buffer.data() + m_used) - m_buffer.data());
        return;
    }
    const std::size_t size = EncodedSize(node);
    if (size > capacity - m_used) Flush();
    if (size > capacity) {
        std::vector<BYTE> big(size);
        EncodeTo(node, big.data());
        m_file.Write(big.data(), static_cast<UINT>(size));
        return;
    }
    EncodeTo(node, m_buffer.data() + m_used);
    m_used += size;
}

void RecordSink::Flush() {
    if (m_used == 0) return;
    const std::size_t used = m_used;
    m_used = 0;  // should the file throw, nothing is written twice
    m_file.Write(m_buffer.data(), static_cast<UINT>(used));
}

}  // namespace data_detail
