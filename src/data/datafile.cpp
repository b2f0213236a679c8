// Data node files: reading, replacing and appending records, and text dumps.
//
// Each call streams through the file once (record_codec.h) with buffers of
// at most 512 KB; lookups by index go through a table of the 65,536 possible
// indices, so a call is linear in the file size plus the number of nodes and
// its memory does not grow with the file. Writers copy the bytes of records
// they keep unchanged and encode only the nodes they were given.
#include "drovik/data/datafile.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <vector>

#include "data/record_codec.h"
#include "data/replace_file.h"

namespace {
using data_detail::RecordSink;
using data_detail::RecordStream;
using data_detail::RecordView;

constexpr int kFileVersion = 1;
constexpr std::size_t kCountOffset = 4;
constexpr ULONGLONG kHeaderSize = 8;
constexpr ULONGLONG kSmallestRecord = 8;
constexpr std::size_t kIndexSlots = 0x10000;
constexpr int kNoPosition = -1;
const wchar_t kDumpRule[] = L"====================================";

enum class ReadOpen { opened, missing, refused };

ReadOpen OpenForReading(CFile& file, const CString& strFile) {
    CFileException error;
    if (file.Open(strFile, CFile::modeRead, &error)) return ReadOpen::opened;
    return error.m_cause == CFileException::fileNotFound ? ReadOpen::missing : ReadOpen::refused;
}

// Reads version and count; false when the version is not ours. A negative
// count counts as no records.
bool ReadHeader(RecordStream& stream, int& count) {
    if (static_cast<int>(stream.Dword()) != kFileVersion) return false;
    count = std::max(static_cast<int>(stream.Dword()), 0);
    return true;
}

// A position per 16-bit index, for the nodes of one call. One table is kept
// for the process and cleared entry by entry after each use, so a call
// touches only the entries of its own nodes rather than all 65,536; a call
// made while another holds it gets a table of its own. (Not thread_local: a
// thread-local object with a destructor would keep the library from ever
// unloading.)
class IndexTable {
public:
    IndexTable() : m_slots(&Shared()) {
        if (SharedInUse().exchange(true, std::memory_order_acquire)) {
            m_own.assign(kIndexSlots, kNoPosition);
            m_slots = &m_own;
            return;
        }
        try {
            if (m_slots->empty()) m_slots->assign(kIndexSlots, kNoPosition);
        } catch (...) {
            SharedInUse().store(false, std::memory_order_release);
            throw;
        }
    }
    ~IndexTable() {
        if (m_slots != &Shared()) return;
        for (unsigned short index : m_used) (*m_slots)[index] = kNoPosition;
        SharedInUse().store(false, std::memory_order_release);
    }
    IndexTable(const IndexTable&) = delete;
    IndexTable& operator=(const IndexTable&) = delete;

    int Find(unsigned short index) const { return (*m_slots)[index]; }
    // The indices that have a position, each once.
    const std::vector<unsigned short>& Indices() const { return m_used; }
    void Set(unsigned short index, int position) {
        int& slot = (*m_slots)[index];
        if (slot == kNoPosition) m_used.push_back(index);
        slot = position;
    }

private:
    static std::vector<int>& Shared() {
        static std::vector<int> slots;
        return slots;
    }
    static std::atomic<bool>& SharedInUse() {
        static std::atomic<bool> inUse{false};
        return inUse;
    }
    std::vector<int>* m_slots;
    std::vector<int> m_own;
    std::vector<unsigned short> m_used;
};

// Replaces or appends each of the n nodes at `nodes` (see the header).
int WriteNodes(const CDataNode* nodes, std::size_t n, const CString& strFile) {
    if (strFile.IsEmpty()) return 0;
    if (n > static_cast<std::size_t>(INT_MAX)) return 0;
    CFile old;
    const ReadOpen opened = OpenForReading(old, strFile);
    if (opened == ReadOpen::refused) return 0;

    if (opened == ReadOpen::missing) {
        return data_detail::ReplaceFile(strFile, [&](CFile& file) {
            RecordSink sink(file, kHeaderSize + n * kSmallestRecord);
            sink.PutDword(kFileVersion);
            sink.PutDword(static_cast<DWORD>(n));
            for (std::size_t i = 0; i < n; ++i) sink.PutNode(nodes[i]);
            sink.Flush();
        });
    }

    RecordStream stream(old, strFile);
    int count = 0;
    if (!ReadHeader(stream, count)) return 0;

    // The last node given for each index: it is the one that ends up in the
    // first record with that index (earlier ones are overwritten by it).
    IndexTable lastNode;
    for (std::size_t i = 0; i < n; ++i) lastNode.Set(nodes[i].m_Index, static_cast<int>(i));
    // Indices met in the file so far: only a first occurrence is replaced.
    std::vector<bool> inFile(kIndexSlots, false);

    // The old file is read while the new one is written: should it turn out
    // short, the exception removes the new one and the old stays as it was.
    const int replaced = data_detail::ReplaceFile(strFile, [&](CFile& file) {
        RecordSink sink(file, old.GetLength());
        sink.PutDword(kFileVersion);
        sink.PutDword(0);  // the count, set once the appended nodes are known
        std::vector<BYTE> side;
        CDataNode decoded;
        for (int i = 0; i < count; ++i) {
            const RecordView record = data_detail::NextRecord(stream, side);
            const bool first = !inFile[record.index];
            inFile[record.index] = true;
            const int replacement = first ? lastNode.Find(record.index) : kNoPosition;
            if (replacement != kNoPosition) {
                sink.PutNode(nodes[replacement]);
            } else if (data_detail::IsCanonical(record)) {
                sink.PutRecord(record);
            } else {  // narrow or unusual text from an old file: written anew in the wide form
                data_detail::DecodeRecord(record, decoded);
                sink.PutNode(decoded);
            }
        }
        // Nodes whose index the file did not hold are appended in array
        // order, every one of them (only records of the file are searched).
        std::size_t total = static_cast<std::size_t>(count);
        const auto& given = lastNode.Indices();
        const bool anyNew = std::any_of(given.begin(), given.end(), [&](unsigned short index) { return !inFile[index]; });
        for (std::size_t i = 0; anyNew && i < n; ++i) {
            if (inFile[nodes[i].m_Index]) continue;
            sink.PutNode(nodes[i]);
            ++total;
        }
        if (total > static_cast<std::size_t>(INT_MAX)) AfxThrowArchiveException(CArchiveException::bufferFull, strFile);
        // Every record is read: the old file is closed before it is replaced
        // (Windows renames over no open file).
        old.Close();
        sink.Flush();
        file.Seek(static_cast<LONGLONG>(kCountOffset), CFile::begin);
        sink.PutDword(static_cast<DWORD>(total));
        sink.Flush();
    });
    return replaced;
}

// Opens strFile for reading and reads its header, then hands the stream and
// the record count to readBody; 0 for an empty name, a file that cannot be
// opened or a version other than ours. Archive exceptions pass through.
template <class ReadBody>
int ReadRecords(const CString& strFile, ReadBody readBody) {
    if (strFile.IsEmpty()) return 0;
    CFile file;
    if (!file.Open(strFile, CFile::modeRead)) return 0;
    RecordStream stream(file, strFile);
    int count = 0;
    if (!ReadHeader(stream, count)) return 0;
    return readBody(stream, count);
}
}  // namespace

int SornWriteDataNode(CDataNode& node, CString strFile) { return WriteNodes(&node, 1, strFile); }

int SornWriteDataNode(CDataNodeArray& arrNodes, CString strFile) {
    return WriteNodes(arrNodes.GetData(), static_cast<std::size_t>(arrNodes.GetSize()), strFile);
}

int SornReadDataNode(CDataNode& node, CString strFile) {
    return ReadRecords(strFile, [&](RecordStream& stream, int count) {
        std::vector<BYTE> side;
        for (int i = 0; i < count; ++i) {
            const RecordView record = data_detail::NextRecord(stream, side);
            if (record.index == node.m_Index) {
                data_detail::DecodeRecord(record, node);
                return 1;
            }
        }
        return 0;
    });
}

int SornReadDataNode(CDataNodeArray& arrNodes, CString strFile) {
    return ReadRecords(strFile, [&](RecordStream& stream, int count) {
        const INT_PTR n = arrNodes.GetSize();
        // The first element with each index receives the records with it.
        IndexTable firstElement;
        for (INT_PTR i = n; i-- > 0;) firstElement.Set(arrNodes[i].m_Index, static_cast<int>(i));
        long long matches = 0;
        std::vector<BYTE> side;
        for (int i = 0; i < count; ++i) {
            const RecordView record = data_detail::NextRecord(stream, side);
            const int at = firstElement.Find(record.index);
            if (at != kNoPosition) {
                data_detail::DecodeRecord(record, arrNodes[at]);
                ++matches;
            }
        }
        return matches == static_cast<long long>(n) ? 1 : 0;
    });
}

void PrintDataNode(CDataNodeArray& arrNodes, CString strFile) {
    if (strFile.IsEmpty()) return;
    CStdioFile file;
    if (!file.Open(strFile, CFile::modeWrite)) return;  // never creates the file
    file.SeekToEnd();
    file.WriteString(L"\n");
    file.WriteString(kDumpRule);
    file.WriteString(L"\n");
    for (const CDataNode& node : arrNodes) {
        file.WriteString(node.DebugFormat());
        file.WriteString(L"\n");
    }
    file.Close();
}
