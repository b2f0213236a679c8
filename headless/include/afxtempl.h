#pragma once
// Headless host: MFC's CArray<TYPE, ARG_TYPE>, a growable array.
//
// As in MFC the array cannot be copied (use Copy); it can be moved. Indexing
// outside [0, GetSize()) throws std::out_of_range instead of MFC's debug
// assertion, so a fault surfaces where it happens.
#include <stdexcept>
#include <utility>
#include <vector>

#include "windef.h"

namespace host_detail {
[[noreturn]] void ThrowArrayIndex(INT_PTR index, INT_PTR size);
}

template <class TYPE, class ARG_TYPE = const TYPE&>
class CArray {
public:
    CArray() = default;
    CArray(const CArray&) = delete;
    CArray& operator=(const CArray&) = delete;
    CArray(CArray&&) noexcept = default;
    CArray& operator=(CArray&&) noexcept = default;
    virtual ~CArray() = default;

    INT_PTR GetSize() const { return static_cast<INT_PTR>(m_items.size()); }
    INT_PTR GetCount() const { return GetSize(); }
    bool IsEmpty() const { return m_items.empty(); }
    INT_PTR GetUpperBound() const { return GetSize() - 1; }
    void SetSize(INT_PTR newSize, INT_PTR growBy = -1) {
        (void)growBy;
        m_items.resize(newSize < 0 ? 0 : static_cast<std::size_t>(newSize));
    }
    void FreeExtra() { m_items.shrink_to_fit(); }
    void RemoveAll() { m_items.clear(); }

    const TYPE& GetAt(INT_PTR i) const { return m_items[checked(i)]; }
    TYPE& GetAt(INT_PTR i) { return m_items[checked(i)]; }
    void SetAt(INT_PTR i, ARG_TYPE item) { m_items[checked(i)] = item; }
    TYPE& ElementAt(INT_PTR i) { return m_items[checked(i)]; }
    const TYPE& ElementAt(INT_PTR i) const { return m_items[checked(i)]; }
    const TYPE& operator[](INT_PTR i) const { return m_items[checked(i)]; }
    TYPE& operator[](INT_PTR i) { return m_items[checked(i)]; }
    const TYPE* GetData() const { return m_items.data(); }
    TYPE* GetData() { return m_items.data(); }

    void SetAtGrow(INT_PTR i, ARG_TYPE item) {
        if (i < 0) host_detail::ThrowArrayIndex(i, GetSize());
        if (i >= GetSize()) m_items.resize(static_cast<std::size_t>(i) + 1);
        m_items[static_cast<std::size_t>(i)] = item;
    }
    INT_PTR Add(ARG_TYPE item) {
        m_items.push_back(item);
        return GetSize() - 1;
    }
    INT_PTR Append(const CArray& src) {
        const INT_PTR start = GetSize();
        if (&src == this) {
            std::vector<TYPE> copy(m_items);
            m_items.insert(m_items.end(), copy.begin(), copy.end());
        } else {
            m_items.insert(m_items.end(), src.m_items.begin(), src.m_items.end());
        }
        return start;
    }
    void Copy(const CArray& src) {
        if (&src != this) m_items = src.m_items;
    }
    void InsertAt(INT_PTR i, ARG_TYPE item, INT_PTR count = 1) {
        if (i < 0 || count < 0) host_detail::ThrowArrayIndex(i, GetSize());
        if (i > GetSize()) m_items.resize(static_cast<std::size_t>(i));
        TYPE copy(item);  // item may refer into this array
        m_items.insert(m_items.begin() + i, static_cast<std::size_t>(count), copy);
    }
    void InsertAt(INT_PTR start, const CArray* src) {
        if (start < 0 || start > GetSize()) host_detail::ThrowArrayIndex(start, GetSize());
        std::vector<TYPE> copy(src->m_items);
        m_items.insert(m_items.begin() + start, copy.begin(), copy.end());
    }
    void RemoveAt(INT_PTR i, INT_PTR count = 1) {
        if (i < 0 || count < 0 || i + count > GetSize()) host_detail::ThrowArrayIndex(i + count - 1, GetSize());
        m_items.erase(m_items.begin() + i, m_items.begin() + i + count);
    }

    // Not MFC: lets range-for and standard algorithms walk the array.
    typename std::vector<TYPE>::iterator begin() { return m_items.begin(); }
    typename std::vector<TYPE>::iterator end() { return m_items.end(); }
    typename std::vector<TYPE>::const_iterator begin() const { return m_items.begin(); }
    typename std::vector<TYPE>::const_iterator end() const { return m_items.end(); }
    void Reserve(INT_PTR capacity) { m_items.reserve(static_cast<std::size_t>(capacity)); }

private:
    std::size_t checked(INT_PTR i) const {
        if (i < 0 || i >= GetSize()) host_detail::ThrowArrayIndex(i, GetSize());
        return static_cast<std::size_t>(i);
    }
    std::vector<TYPE> m_items;
};
