#pragma once
// Headless host: extended records, lists of result buffers filed in
// dictionaries (an object's extension dictionary, say).
#include "dbmain.h"

namespace AcDb {
enum DuplicateRecordCloning {
    kDrcNotApplicable = 0, kDrcIgnore = 1, kDrcReplace = 2, kDrcXrefMangleName = 3, kDrcMangleName = 4,
    kDrcUnmangleName = 5
};
}  // namespace AcDb

class AcDbXrecord : public AcDbObject {
public:
    ACDB_DECLARE_COPYABLE(AcDbXrecord)
    AcDbXrecord() = default;
    AcDbXrecord(const AcDbXrecord& other);
    AcDbXrecord& operator=(const AcDbXrecord& other);
    ~AcDbXrecord() override;
    // A copy of the list (null when empty) the caller releases with acutRelRb.
    Acad::ErrorStatus rbChain(resbuf** ppRb, AcDbDatabase* auxDb = nullptr) const;
    // Replaces the list with a copy of the one starting at newChain. The
    // codes a record cannot hold (0 type, 5 and 105 handles, -1..-5 names)
    // are refused (eInvalidInput).
    Acad::ErrorStatus setFromRbChain(const resbuf& newChain, AcDbDatabase* auxDb = nullptr);
    bool isXlateReferences() const { return m_xlate; }
    void setXlateReferences(bool translate);
    AcDb::DuplicateRecordCloning mergeStyle() const { return m_mergeStyle; }
    void setMergeStyle(AcDb::DuplicateRecordCloning style);
    // Not in the host: the list without a copy (null when empty).
    const resbuf* data() const { return m_data; }

private:
    resbuf* m_data = nullptr;
    bool m_xlate = false;
    AcDb::DuplicateRecordCloning m_mergeStyle = AcDb::kDrcIgnore;
};
