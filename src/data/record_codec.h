#pragma once
// The data node record (see datanode.h) read from and written to files in
// bulk. The file functions use this instead of loading node by node through
// an archive: they can look at a record's index and then skip or copy its
// bytes without building a node, and they stream through small buffers, so
// large files stay fast and memory stays small. It produces and accepts
// exactly the bytes CDataNode::Serialize stores and loads; the tests and the
// fuzz target hold the two against each other.
#include <cstddef>
#include <cstring>
#include <vector>

#include "drovik/data/datanode.h"
#include "drovik/host/files.h"

namespace data_detail {

// Reading from a file through a buffer. Reading past the end throws
// CArchiveException::endOfFile, as the archive does for a short file.
// Memory follows the bytes that actually arrive, never a length the file
// merely claims.
class RecordStream {
public:
    // Large enough that system calls are few (they are dear on virtual
    // machines); a small file gets a buffer of its own size.
    static constexpr std::size_t kBufferSize = 512 * 1024;
    // Records up to this size are read in place, without copying.
    static constexpr std::size_t kLookahead = 4096;

    RecordStream(CFile& file, const CString& fileName);
    RecordStream(const RecordStream&) = delete;
    RecordStream& operator=(const RecordStream&) = delete;

    DWORD Dword();
    // The next n bytes (n at most kBufferSize), valid until the next read.
    const BYTE* Take(std::size_t n) {
        if (m_end - m_pos < n) Ensure(n);
        const BYTE* p = m_buffer.data() + m_pos;
        m_pos += n;
        return p;
    }
    // The unread bytes at hand: at least kLookahead of them unless the file
    // ends sooner. Skip consumes some of them.
    const BYTE* Window(std::size_t& available) {
        if (m_end - m_pos < kLookahead && !m_atEnd) Refill(kLookahead);
        available = m_end - m_pos;
        return m_buffer.data() + m_pos;
    }
    void Skip(std::size_t n) { m_pos += n; }
    // Bytes not yet read: what the buffer holds plus the rest of the file.
    ULONGLONG BytesLeft() const;
    [[noreturn]] void ThrowEndOfFile() const;
    [[noreturn]] void ThrowGeneric() const;

private:
    // Reads until n bytes (at most kBufferSize) are at hand or the file ends.
    void Refill(std::size_t n);
    // As Refill, but throws when the file ends first.
    void Ensure(std::size_t n);

    CFile& m_file;
    const CString& m_fileName;
    std::vector<BYTE> m_buffer;
    std::size_t m_pos = 0;
    std::size_t m_end = 0;
    bool m_atEnd = false;
};

// One record just read, its bytes in one piece (valid until the stream reads on).
struct RecordView {
    unsigned short index = 0;
    unsigned short type = 0;
    const BYTE* begin = nullptr;  // the whole record
    std::size_t size = 0;
    const BYTE* value = nullptr;  // 4 or 8 bytes, or the text's characters
    std::size_t valueSize = 0;
    int charSize = 0;  // texts: 1 narrow, 2 wide
    // Numbers, and wide texts whose length has the form the writer chooses.
    bool shortestForm = false;
};

// True when re-encoding the decoded record gives these very bytes, so they
// can be copied as they are: numbers always; texts in the shortest form with
// well-formed UTF-16. Asked only of records that are kept: the text check
// walks the characters.
bool IsCanonical(const RecordView& record);

// Reads the next record or throws endOfFile (genericException for a text
// length that no string can hold although the bytes are there). A record
// larger than the stream's lookahead is collected in `side`.
RecordView NextRecordOfAnyKind(RecordStream& stream, std::vector<BYTE>& side);

// As NextRecordOfAnyKind, with numbers (the common records) read inline.
inline RecordView NextRecord(RecordStream& stream, std::vector<BYTE>& side) {
    constexpr std::size_t kLongestNumber = 12;
    std::size_t available = 0;
    const BYTE* p = stream.Window(available);
    if (available >= kLongestNumber) {
        const unsigned type = p[2] | (p[3] << 8);
        if (type == CDataNode::typeInt || type == CDataNode::typeDouble) {
            RecordView record;
            record.index = static_cast<unsigned short>(p[0] | (p[1] << 8));
            record.type = static_cast<unsigned short>(type);
            record.begin = p;
            record.size = type == CDataNode::typeInt ? 8 : 12;
            record.value = p + 4;
            record.valueSize = record.size - 4;
            record.shortestForm = true;
            stream.Skip(record.size);
            return record;
        }
    }
    return NextRecordOfAnyKind(stream, side);
}

// Makes node what a fresh default node becomes when it loads the record:
// index, type and the value of the type; the other two values 0, 0.0 or empty.
void DecodeRecord(const RecordView& record, CDataNode& node);

// The bytes CDataNode::Serialize stores for node: their number, and the
// bytes written at p (which must have room for them); answers the end.
std::size_t EncodedSize(const CDataNode& node);
BYTE* EncodeTo(const CDataNode& node, BYTE* p);

// Collects output for a file and hands it over in large pieces.
class RecordSink {
public:
    // expectedSize: about how many bytes will come; the buffer is sized as
    // the stream's is (RecordStream::kBufferSize at most).
    RecordSink(CFile& file, ULONGLONG expectedSize);
    void Put(const BYTE* p, std::size_t n) {
        if (n <= m_buffer.size() - m_used) {
            std::memcpy(m_buffer.data() + m_used, p, n);
            m_used += n;
        } else {
            PutLarge(p, n);
        }
    }
    void PutDword(DWORD v);
    void PutRecord(const RecordView& record) { Put(record.begin, record.size); }
    void PutNode(const CDataNode& node);
    // Hands everything collected to the file.
    void Flush();

private:
    void PutLarge(const BYTE* p, std::size_t n);

    CFile& m_file;
    std::vector<BYTE> m_buffer;
    std::size_t m_used = 0;
};

}  // namespace data_detail
