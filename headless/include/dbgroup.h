#pragma once
// Headless host: groups, named sets of entities filed in the group
// dictionary. A group takes members once it is in the database and open for
// write; each member must be a valid entity of the same database, not erased
// and not yet in the group. An array append takes all or none.
#include "dbmain.h"

class AcDbGroup : public AcDbObject {
public:
    ACDB_DECLARE_COPYABLE(AcDbGroup)
    explicit AcDbGroup(const wchar_t* description = nullptr, bool selectable = true);
    Acad::ErrorStatus append(AcDbObjectId id);
    Acad::ErrorStatus append(const AcDbObjectIdArray& ids);
    Acad::ErrorStatus remove(AcDbObjectId id);
    bool has(const AcDbEntity* pEntity) const;
    bool has(AcDbObjectId id) const;
    // Members that are not erased.
    Adesk::UInt32 numEntries() const;
    Adesk::UInt32 allEntityIds(AcDbObjectIdArray& ids) const;
    // The name the group dictionary filed it under (empty before).
    const wchar_t* name() const { return m_name.GetString(); }
    bool isAnonymous() const { return m_name.GetLength() > 0 && m_name[0] == L'*'; }
    const wchar_t* description() const { return m_description.GetString(); }
    bool isSelectable() const { return m_selectable; }

private:
    friend class AcDbDictionary;
    Acad::ErrorStatus checkMember(AcDbObjectId id) const;
    CString m_name;
    CString m_description;
    bool m_selectable = true;
    std::vector<AcDbObjectId> m_members;
};
