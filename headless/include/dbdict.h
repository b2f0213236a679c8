#pragma once
// Headless host: dictionaries, objects filed under names.
//
// Keys are compared without regard to case. The key "*" files the object
// under a fresh anonymous name "*A<n>". Erased entries are skipped by getAt,
// has, numEntries and the iterator. Reading needs the dictionary open for
// read, changing it open for write.
#include <map>
#include <string>

#include "dbmain.h"

class AcDbDictionaryIterator;

class AcDbDictionary : public AcDbObject {
public:
    ACRX_DECLARE_MEMBERS(AcDbDictionary)
    Acad::ErrorStatus getAt(const wchar_t* key, AcDbObjectId& id) const;
    Acad::ErrorStatus getAt(const wchar_t* key, AcDbObject*& obj, AcDb::OpenMode mode) const;
    bool has(const wchar_t* key) const;
    bool has(AcDbObjectId id) const;
    // Names the key of an entry (a heap copy; release with acutDelString).
    Acad::ErrorStatus nameAt(AcDbObjectId id, wchar_t*& name) const;
    Adesk::UInt32 numEntries() const;
    // Files a new object (it joins the database, open for write) or an object
    // of this database under the key; an entry of that key is replaced and
    // its object erased.
    Acad::ErrorStatus setAt(const wchar_t* key, AcDbObject* newValue, AcDbObjectId& retObjId);
    Acad::ErrorStatus remove(const wchar_t* key);
    Acad::ErrorStatus remove(const wchar_t* key, AcDbObjectId& returnId);
    // The caller deletes the iterator.
    AcDbDictionaryIterator* newIterator() const;

private:
    friend class AcDbDictionaryIterator;
    struct Entry {
        std::wstring name;
        AcDbObjectId id;
    };
    static std::wstring key(const wchar_t* name);
    std::map<std::wstring, Entry> m_entries;  // by folded key
    unsigned int m_anonymous = 0;
};

class AcDbDictionaryIterator {
public:
    bool done() const { return m_pos >= m_items.size(); }
    bool next();
    const wchar_t* name() const;
    AcDbObjectId objectId() const;
    Acad::ErrorStatus getObject(AcDbObject*& obj, AcDb::OpenMode mode) const;

private:
    friend class AcDbDictionary;
    std::vector<std::pair<std::wstring, AcDbObjectId>> m_items;
    std::size_t m_pos = 0;
};
