#pragma once
// Headless host: object ids.
//
// An id is a value: the serial number of its database and the object's
// handle. Databases register under their serial while they are open, so an id
// whose drawing was closed is detectably invalid (isValid false, every open
// refused) and never leads to freed memory. Ids of erased objects stay valid.
#include <cstddef>
#include <functional>

#include "acarray.h"
#include "adesk.h"

class AcDbDatabase;

class AcDbObjectId {
public:
    static const AcDbObjectId kNull;

    AcDbObjectId() = default;

    bool isNull() const { return m_serial == 0; }
    void setNull() { m_serial = 0; m_handle = 0; }
    // Not null, its database is open and holds an object under the handle.
    bool isValid() const;
    // Valid and the object is erased.
    bool isErased() const;
    // The database of the id while it is open; null otherwise.
    AcDbDatabase* database() const;
    Adesk::UInt64 handle() const { return m_handle; }
    Adesk::IntPtr asOldId() const {
        return static_cast<Adesk::IntPtr>((static_cast<Adesk::UInt64>(m_serial) << 40) ^ m_handle);
    }

    bool operator==(const AcDbObjectId& o) const { return m_serial == o.m_serial && m_handle == o.m_handle; }
    bool operator!=(const AcDbObjectId& o) const { return !(*this == o); }
    bool operator<(const AcDbObjectId& o) const {
        return m_serial != o.m_serial ? m_serial < o.m_serial : m_handle < o.m_handle;
    }
    bool operator>(const AcDbObjectId& o) const { return o < *this; }
    bool operator<=(const AcDbObjectId& o) const { return !(o < *this); }
    bool operator>=(const AcDbObjectId& o) const { return !(*this < o); }

    // Not in the host: the raw parts, for the host's own use and for ads_name.
    Adesk::UInt32 databaseSerial() const { return m_serial; }
    static AcDbObjectId fromParts(Adesk::UInt32 serial, Adesk::UInt32 handle) {
        AcDbObjectId id;
        id.m_serial = serial;
        id.m_handle = serial ? handle : 0;
        return id;
    }

private:
    Adesk::UInt32 m_serial = 0;
    Adesk::UInt32 m_handle = 0;
};

using AcDbObjectIdArray = AcArray<AcDbObjectId>;

namespace std {
template <>
struct hash<AcDbObjectId> {
    std::size_t operator()(const AcDbObjectId& id) const noexcept {
        return std::hash<Adesk::UInt64>()((static_cast<Adesk::UInt64>(id.databaseSerial()) << 32) | id.handle());
    }
};
}  // namespace std
