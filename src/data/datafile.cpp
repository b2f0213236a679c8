// Data node files: reading, replacing and appending records, and text dumps.
#include "drovik/data/datafile.h"

#include <algorithm>
#include <climits>
#include <vector>

#include "data/replace_file.h"

namespace {
constexpr int kFileVersion = 1;
constexpr int kArchiveBufferSize = 4096;
constexpr ULONGLONG kHeaderBytes = 8;
// The shortest record: index, type and an empty narrow text (one length byte).
constexpr ULONGLONG kMinRecordBytes = 5;
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
bool ReadHeader(CArchive& ar, int& count) {
    int version = 0;
    ar >> version;
    if (version != kFileVersion) return false;
    ar >> count;
    count = std::max(count, 0);
    return true;
}

// Room for the records the file can hold at most: a corrupt count must not
// decide how much memory is reserved.
std::size_t PlausibleRecordCount(const CFile& file, int count) {
    const ULONGLONG length = file.GetLength();
    const ULONGLONG room = length > kHeaderBytes ? (length - kHeaderBytes) / kMinRecordBytes : 0;
    return static_cast<std::size_t>(std::min<ULONGLONG>(static_cast<ULONGLONG>(count), room));
}

// Position of the first of the first `count` nodes that carries each index,
// so every lookup by index is one step whatever the number of nodes.
class FirstByIndex {
public:
    template <class Nodes>
    FirstByIndex(const Nodes& nodes, std::size_t count) : m_slots(kIndexSlots, kNoPosition) {
        for (std::size_t i = count; i-- > 0;) m_slots[nodes[i].m_Index] = static_cast<int>(i);
    }
    int Find(unsigned short index) const { return m_slots[index]; }

private:
    std::vector<int> m_slots;
};

void StoreFile(CArchive& ar, const std::vector<CDataNode*>& records) {
    ar << kFileVersion << static_cast<int>(records.size());
    for (CDataNode* record : records) record->Serialize(ar);
}

// Replaces or appends each of the n nodes at `nodes` (see the header).
int WriteNodes(CDataNode* nodes, std::size_t n, const CString& strFile) {
    if (strFile.IsEmpty()) return 0;
    std::vector<CDataNode> fileRecords;
    {
        CFile file;
        switch (OpenForReading(file, strFile)) {
            case ReadOpen::refused: return 0;
            case ReadOpen::missing: {
                std::vector<CDataNode*> records;
                records.reserve(n);
                for (std::size_t i = 0; i < n; ++i) records.push_back(&nodes[i]);
                if (records.size() > static_cast<std::size_t>(INT_MAX)) return 0;
                return data_detail::ReplaceFile(strFile, [&](CArchive& ar) { StoreFile(ar, records); });
            }
            case ReadOpen::opened: break;
        }
        CArchive ar(&file, CArchive::load, kArchiveBufferSize);
        int count = 0;
        if (!ReadHeader(ar, count)) return 0;
        fileRecords.reserve(PlausibleRecordCount(file, count));
        for (int i = 0; i < count; ++i) {
            fileRecords.emplace_back();
            fileRecords.back().Serialize(ar);
        }
    }

    std::vector<CDataNode*> records;
    records.reserve(fileRecords.size() + n);
    for (CDataNode& record : fileRecords) records.push_back(&record);
    // Only records that came from the file are searched, never nodes
    // appended on the way.
    const FirstByIndex firstInFile(fileRecords, fileRecords.size());
    for (std::size_t i = 0; i < n; ++i) {
        const int at = firstInFile.Find(nodes[i].m_Index);
        if (at == kNoPosition)
            records.push_back(&nodes[i]);
        else
            records[static_cast<std::size_t>(at)] = &nodes[i];
    }
    if (records.size() > static_cast<std::size_t>(INT_MAX)) return 0;
    return data_detail::ReplaceFile(strFile, [&](CArchive& ar) { StoreFile(ar, records); });
}
}  // namespace

int SornWriteDataNode(CDataNode& node, CString strFile) { return WriteNodes(&node, 1, strFile); }

int SornWriteDataNode(CDataNodeArray& arrNodes, CString strFile) {
    return WriteNodes(arrNodes.GetData(), static_cast<std::size_t>(arrNodes.GetSize()), strFile);
}

int SornReadDataNode(CDataNode& node, CString strFile) {
    if (strFile.IsEmpty()) return 0;
    CFile file;
    if (!file.Open(strFile, CFile::modeRead)) return 0;
    CArchive ar(&file, CArchive::load, kArchiveBufferSize);
    int count = 0;
    if (!ReadHeader(ar, count)) return 0;
    for (int i = 0; i < count; ++i) {
        CDataNode record;
        record.Serialize(ar);
        if (record.m_Index == node.m_Index) {
            node = record;
            return 1;
        }
    }
    return 0;
}

int SornReadDataNode(CDataNodeArray& arrNodes, CString strFile) {
    if (strFile.IsEmpty()) return 0;
    CFile file;
    if (!file.Open(strFile, CFile::modeRead)) return 0;
    CArchive ar(&file, CArchive::load, kArchiveBufferSize);
    int count = 0;
    if (!ReadHeader(ar, count)) return 0;
    const auto n = static_cast<std::size_t>(arrNodes.GetSize());
    const FirstByIndex firstElement(arrNodes, n);
    long long matches = 0;
    for (int i = 0; i < count; ++i) {
        CDataNode record;
        record.Serialize(ar);
        const int at = firstElement.Find(record.m_Index);
        if (at != kNoPosition) {
            arrNodes[at] = record;
            ++matches;
        }
    }
    return matches == static_cast<long long>(n) ? 1 : 0;
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
