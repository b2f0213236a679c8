#pragma once
// Headless host: run-time class information.
//
// Every class of the host's object model has one AcRxClass that knows its
// parent, so the kind-of test isA()->isDerivedFrom(X::desc()) walks a short
// chain of pointers. X::cast(p) answers p as an X*, or null when p is not of
// kind X.
class AcRxClass {
public:
    AcRxClass(const wchar_t* name, AcRxClass* parent) : m_name(name), m_parent(parent) {}
    AcRxClass(const AcRxClass&) = delete;
    AcRxClass& operator=(const AcRxClass&) = delete;
    const wchar_t* name() const { return m_name; }
    AcRxClass* myParent() const { return m_parent; }
    bool isDerivedFrom(const AcRxClass* other) const {
        for (const AcRxClass* c = this; c; c = c->m_parent)
            if (c == other) return true;
        return false;
    }

private:
    const wchar_t* m_name;
    AcRxClass* m_parent;
};

class AcRxObject {
public:
    virtual ~AcRxObject() = default;
    static AcRxClass* desc();
    virtual AcRxClass* isA() const;
    bool isKindOf(const AcRxClass* cls) const { return isA()->isDerivedFrom(cls); }
    static AcRxObject* cast(const AcRxObject* p) { return const_cast<AcRxObject*>(p); }
    // A new object of the same class holding a copy of this one's data, not
    // in any database; null for classes that cannot be copied.
    virtual AcRxObject* clone() const { return nullptr; }
};

#define ACRX_DECLARE_MEMBERS(CLASS)                                                          \
    static AcRxClass* desc();                                                                \
    AcRxClass* isA() const override;                                                         \
    static CLASS* cast(const AcRxObject* p) {                                                \
        return p && p->isKindOf(CLASS::desc()) ? static_cast<CLASS*>(const_cast<AcRxObject*>(p)) \
                                               : nullptr;                                    \
    }

#define ACRX_DEFINE_MEMBERS(CLASS, PARENT)             \
    AcRxClass* CLASS::desc() {                         \
        static AcRxClass cls(L## #CLASS, PARENT::desc()); \
        return &cls;                                   \
    }                                                  \
    AcRxClass* CLASS::isA() const { return CLASS::desc(); }
