#pragma once
// Headless host: the host's dynamic array AcArray<T>.
//
// Copyable, as the host's is. Indexing outside [0, length()) throws
// std::out_of_range instead of the host's assertion.
#include <algorithm>
#include <stdexcept>
#include <utility>
#include <vector>

namespace host_detail {
[[noreturn]] void ThrowAcArrayIndex(int index, int length);
}

template <class T>
class AcArray {
public:
    explicit AcArray(int physicalLength = 0, int growLength = 8) : m_growLength(growLength) {
        if (physicalLength > 0) m_items.reserve(static_cast<std::size_t>(physicalLength));
    }

    bool operator==(const AcArray& other) const { return m_items == other.m_items; }
    T& operator[](int i) { return m_items[checked(i)]; }
    const T& operator[](int i) const { return m_items[checked(i)]; }
    T& at(int i) { return m_items[checked(i)]; }
    const T& at(int i) const { return m_items[checked(i)]; }
    AcArray& setAt(int i, const T& value) {
        m_items[checked(i)] = value;
        return *this;
    }
    AcArray& setAll(const T& value) {
        std::fill(m_items.begin(), m_items.end(), value);
        return *this;
    }
    T& first() { return at(0); }
    const T& first() const { return at(0); }
    T& last() { return at(length() - 1); }
    const T& last() const { return at(length() - 1); }

    // Index of the new element.
    int append(const T& value) {
        m_items.push_back(value);
        return length() - 1;
    }
    AcArray& append(const AcArray& other) {
        if (&other == this) {
            std::vector<T> copy(m_items);
            m_items.insert(m_items.end(), copy.begin(), copy.end());
        } else {
            m_items.insert(m_items.end(), other.m_items.begin(), other.m_items.end());
        }
        return *this;
    }
    AcArray& insertAt(int i, const T& value) {
        if (i < 0 || i > length()) host_detail::ThrowAcArrayIndex(i, length());
        T copy(value);
        m_items.insert(m_items.begin() + i, std::move(copy));
        return *this;
    }
    AcArray& removeAt(int i) {
        m_items.erase(m_items.begin() + static_cast<std::ptrdiff_t>(checked(i)));
        return *this;
    }
    bool remove(const T& value, int start = 0) {
        int index = 0;
        if (!find(value, index, start)) return false;
        removeAt(index);
        return true;
    }
    AcArray& removeFirst() { return removeAt(0); }
    AcArray& removeLast() { return removeAt(length() - 1); }
    AcArray& removeAll() {
        m_items.clear();
        return *this;
    }
    AcArray& removeSubArray(int startIndex, int endIndex) {
        checked(startIndex);
        checked(endIndex);
        if (endIndex >= startIndex) m_items.erase(m_items.begin() + startIndex, m_items.begin() + endIndex + 1);
        return *this;
    }
    bool contains(const T& value, int start = 0) const { return findFrom(value, start) >= 0; }
    bool find(const T& value, int& foundAt, int start = 0) const {
        const int i = findFrom(value, start);
        if (i < 0) return false;
        foundAt = i;
        return true;
    }
    int findFrom(const T& value, int start = 0) const {
        for (int i = std::max(start, 0); i < length(); ++i)
            if (m_items[static_cast<std::size_t>(i)] == value) return i;
        return -1;
    }

    int length() const { return static_cast<int>(m_items.size()); }
    int logicalLength() const { return length(); }
    bool isEmpty() const { return m_items.empty(); }
    AcArray& setLogicalLength(int n) {
        m_items.resize(n < 0 ? 0 : static_cast<std::size_t>(n));
        return *this;
    }
    int physicalLength() const { return static_cast<int>(m_items.capacity()); }
    AcArray& setPhysicalLength(int n) {
        if (n < length()) m_items.resize(n < 0 ? 0 : static_cast<std::size_t>(n));
        m_items.reserve(static_cast<std::size_t>(std::max(n, 0)));
        return *this;
    }
    int growLength() const { return m_growLength; }
    AcArray& setGrowLength(int n) {
        m_growLength = n;
        return *this;
    }
    AcArray& reverse() {
        std::reverse(m_items.begin(), m_items.end());
        return *this;
    }
    AcArray& swap(int i, int j) {
        std::swap(m_items[checked(i)], m_items[checked(j)]);
        return *this;
    }
    T* asArrayPtr() { return m_items.data(); }
    const T* asArrayPtr() const { return m_items.data(); }

    // Not in the host: lets range-for walk the array.
    typename std::vector<T>::iterator begin() { return m_items.begin(); }
    typename std::vector<T>::iterator end() { return m_items.end(); }
    typename std::vector<T>::const_iterator begin() const { return m_items.begin(); }
    typename std::vector<T>::const_iterator end() const { return m_items.end(); }

private:
    std::size_t checked(int i) const {
        if (i < 0 || i >= length()) host_detail::ThrowAcArrayIndex(i, length());
        return static_cast<std::size_t>(i);
    }
    std::vector<T> m_items;
    int m_growLength = 8;
};
