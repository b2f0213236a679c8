#pragma once
// Headless host: MFC's CObject and its run-time classes.
//
// A class declared with DECLARE_SERIAL and defined with IMPLEMENT_SERIAL gets
// a CRuntimeClass object holding its name, size, schema number and a
// factory. IMPLEMENT_SERIAL registers that class object in the host's class
// list while the module's static objects are built, as MFC does through
// AFX_CLASSINIT; a module may also call AfxClassInit itself (registering a
// class twice is harmless). CRuntimeClass::FromName finds a registered class
// by its name, and CreateObject builds a new default object of it.
//
// Host choices:
// - The class list is an intrusive list through m_pNextClass, as in MFC, so
//   it needs no construction and works during static initialisation.
// - Unlike MFC, the registration object unregisters its class again when it
//   is destroyed (AfxClassTerm), so unloading a module with dlclose never
//   leaves a dangling class in the list.
// - CArchive::WriteObject / ReadObject (and operator<< / operator>> of object
//   pointers) write and read objects with MFC's class tags; reading creates
//   the object through the registered class of the name found in the
//   archive, which must carry the same schema number.
#include "windef.h"

class CArchive;
class CDumpContext;
class CObject;

struct CRuntimeClass {
    const char* m_lpszClassName;
    int m_nObjectSize;
    UINT m_wSchema;                    // 0xFFFF for classes that are not serialisable
    CObject* (*m_pfnCreateObject)();  // null for classes that cannot be created by class
    CRuntimeClass* m_pBaseClass;
    CRuntimeClass* m_pNextClass;       // class list link, owned by the host

    // A new default object on the heap (the caller deletes it); null when the
    // class has no factory or the allocation fails.
    CObject* CreateObject();
    BOOL IsDerivedFrom(const CRuntimeClass* pBaseClass) const;

    // The registered class of that name, or null.
    static CRuntimeClass* FromName(const char* lpszClassName);
    static CRuntimeClass* FromName(const wchar_t* lpszClassName);
    // A new default object of the registered class of that name, or null.
    static CObject* CreateObject(const char* lpszClassName);
    static CObject* CreateObject(const wchar_t* lpszClassName);

    // The class in an archive: schema number (16 bits), name length (16
    // bits) and the name's bytes. Load answers the registered class of that
    // name (null when there is none or the name is too long) and its schema.
    void Store(CArchive& ar) const;
    static CRuntimeClass* Load(CArchive& ar, UINT* pwSchemaNum);
};

// Adds a class to the host's class list (no effect when it is already there).
void AfxClassInit(CRuntimeClass* pNewClass);
// Not MFC: removes a class from the list (no effect when it is not there).
void AfxClassTerm(CRuntimeClass* pClass);
// CArchive::ReadObject, reachable where CArchive is not yet complete.
CObject* HostReadObject(CArchive& ar, const CRuntimeClass* pClassRefRequested);

struct AFX_CLASSINIT {
    explicit AFX_CLASSINIT(CRuntimeClass* pNewClass) : m_pClass(pNewClass) { AfxClassInit(pNewClass); }
    ~AFX_CLASSINIT() { AfxClassTerm(m_pClass); }
    AFX_CLASSINIT(const AFX_CLASSINIT&) = delete;
    AFX_CLASSINIT& operator=(const AFX_CLASSINIT&) = delete;

private:
    CRuntimeClass* m_pClass;
};

class CObject {
public:
    virtual CRuntimeClass* GetRuntimeClass() const;
    virtual ~CObject() = default;
    virtual void Serialize(CArchive& ar);
    virtual void AssertValid() const;
    virtual void Dump(CDumpContext& dc) const;

    BOOL IsKindOf(const CRuntimeClass* pClass) const;
    BOOL IsSerializable() const;

    static CRuntimeClass classCObject;
    static CRuntimeClass* GetThisClass();

protected:
    CObject() = default;

private:
    // As in MFC, CObject itself is not copyable; a derived class that wants
    // copies writes its own copy constructor and assignment.
    CObject(const CObject&) = delete;
    CObject& operator=(const CObject&) = delete;
};

#define RUNTIME_CLASS(class_name) (class_name::GetThisClass())

#define DECLARE_DYNAMIC(class_name)                  \
public:                                              \
    static CRuntimeClass class##class_name;          \
    static CRuntimeClass* GetThisClass();            \
    CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name) \
    DECLARE_DYNAMIC(class_name)       \
    static CObject* CreateObject();

// Also gives `ar >> pObject` for pointers to the class (MFC defines it with
// IMPLEMENT_SERIAL; here it is inline so exported classes need no export of it).
#define DECLARE_SERIAL(class_name)                                                            \
    DECLARE_DYNCREATE(class_name)                                                             \
    friend CArchive& operator>>(CArchive& ar, class_name*& pOb) {                             \
        pOb = static_cast<class_name*>(HostReadObject(ar, RUNTIME_CLASS(class_name)));        \
        return ar;                                                                            \
    }

#define HOST_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, wSchema, pfnNew)                         \
    CRuntimeClass class_name::class##class_name = {#class_name, static_cast<int>(sizeof(class_name)),   \
                                                   wSchema, pfnNew,                                      \
                                                   &base_class_name::class##base_class_name, nullptr};   \
    CRuntimeClass* class_name::GetThisClass() { return &class_name::class##class_name; }                 \
    CRuntimeClass* class_name::GetRuntimeClass() const { return &class_name::class##class_name; }

#define IMPLEMENT_DYNAMIC(class_name, base_class_name) \
    HOST_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_class_name)   \
    CObject* class_name::CreateObject() { return new class_name; } \
    HOST_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF, class_name::CreateObject)

#define IMPLEMENT_SERIAL(class_name, base_class_name, wSchema)                                  \
    CObject* class_name::CreateObject() { return new class_name; }                              \
    HOST_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, wSchema, class_name::CreateObject) \
    static const AFX_CLASSINIT _init_##class_name(&class_name::class##class_name);
