// Result buffers: allocation, release, copies and list building.
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "acutads.h"

namespace host {

RbKind RbKindOf(int type) {
    switch (type) {
    case RTREAL: case RTANG: case RTORINT: return RbKind::Real;
    case RTPOINT: case RT3DPOINT: return RbKind::Point;
    case RTSHORT: return RbKind::Short;
    case RTLONG: return RbKind::Long;
    case RTSTR: case RTDXF0: return RbKind::String;
    case RTENAME: case RTPICKS: case -1: case -2: return RbKind::Name;
    case RTNONE: case RTLB: case RTLE: case RTDOTE: case RTNIL: case RTT: case RTVOID: case -3: case -4:
        return RbKind::None;
    default: break;
    }
    if (type >= 0 && type <= 9) return RbKind::String;
    if ((type >= 10 && type <= 39) || (type >= 110 && type <= 119) || (type >= 210 && type <= 239)) return RbKind::Point;
    if ((type >= 40 && type <= 59) || (type >= 140 && type <= 149) || (type >= 460 && type <= 469)) return RbKind::Real;
    if ((type >= 60 && type <= 79) || (type >= 170 && type <= 179) || (type >= 270 && type <= 299) ||
        (type >= 370 && type <= 389) || (type >= 400 && type <= 409))
        return RbKind::Short;
    if ((type >= 90 && type <= 99) || (type >= 420 && type <= 429) || (type >= 440 && type <= 459)) return RbKind::Long;
    if (type >= 160 && type <= 169) return RbKind::Int64;
    if ((type >= 100 && type <= 105) || (type >= 300 && type <= 309) || (type >= 320 && type <= 329) ||
        (type >= 410 && type <= 419) || (type >= 430 && type <= 439) || (type >= 470 && type <= 479) || type == 999)
        return RbKind::String;
    if (type >= 330 && type <= 369) return RbKind::Name;
    if (type >= 310 && type <= 319) return RbKind::Binary;
    if (type == 1004) return RbKind::Binary;
    if (type >= 1000 && type <= 1009) return RbKind::String;
    if (type >= 1010 && type <= 1013) return RbKind::Point;
    if (type >= 1040 && type <= 1042) return RbKind::Real;
    if (type == 1070) return RbKind::Short;
    if (type == 1071) return RbKind::Long;
    return RbKind::None;
}

resbuf* CopyRb(const resbuf* rb) {
    if (!rb) return nullptr;
    resbuf* copy = acutNewRb(rb->restype);
    if (!copy) return nullptr;
    const RbKind kind = RbKindOf(rb->restype);
    if (kind == RbKind::String) {
        copy->resval.rstring = acutNewString(rb->resval.rstring);
    } else if (kind == RbKind::Binary) {
        copy->resval.rbinary.clen = rb->resval.rbinary.clen;
        if (rb->resval.rbinary.buf && rb->resval.rbinary.clen > 0) {
            copy->resval.rbinary.buf = static_cast<char*>(std::malloc(static_cast<std::size_t>(rb->resval.rbinary.clen)));
            if (copy->resval.rbinary.buf)
                std::memcpy(copy->resval.rbinary.buf, rb->resval.rbinary.buf, static_cast<std::size_t>(rb->resval.rbinary.clen));
        }
    } else {
        copy->resval = rb->resval;
    }
    return copy;
}

resbuf* CopyRbList(const resbuf* list) {
    resbuf* head = nullptr;
    resbuf** tail = &head;
    for (const resbuf* rb = list; rb; rb = rb->rbnext) {
        *tail = CopyRb(rb);
        if (!*tail) {
            acutRelRb(head);
            return nullptr;
        }
        tail = &(*tail)->rbnext;
    }
    return head;
}

}  // namespace host

resbuf* acutNewRb(int type) {
    auto* rb = static_cast<resbuf*>(std::calloc(1, sizeof(resbuf)));
    if (rb) rb->restype = static_cast<short>(type);
    return rb;
}

int acutRelRb(resbuf* rb) {
    while (rb) {
        resbuf* next = rb->rbnext;
        const host::RbKind kind = host::RbKindOf(rb->restype);
        if (kind == host::RbKind::String) std::free(rb->resval.rstring);
        if (kind == host::RbKind::Binary) std::free(rb->resval.rbinary.buf);
        std::free(rb);
        rb = next;
    }
    return RTNORM;
}

wchar_t* acutNewString(const wchar_t* text) {
    if (!text) return nullptr;
    const std::size_t n = std::wcslen(text) + 1;
    auto* copy = static_cast<wchar_t*>(std::malloc(n * sizeof(wchar_t)));
    if (copy) std::wmemcpy(copy, text, n);
    return copy;
}

void acutDelString(wchar_t*& text) {
    std::free(text);
    text = nullptr;
}

resbuf* acutBuildList(int type, ...) {
    va_list args;
    va_start(args, type);
    resbuf* head = nullptr;
    resbuf** tail = &head;
    bool ok = true;
    while (type != 0) {
        resbuf* rb = acutNewRb(type);
        if (!rb) {
            ok = false;
            break;
        }
        *tail = rb;
        tail = &rb->rbnext;
        switch (host::RbKindOf(type)) {
        case host::RbKind::String: rb->resval.rstring = acutNewString(va_arg(args, const wchar_t*)); break;
        case host::RbKind::Real: rb->resval.rreal = va_arg(args, double); break;
        case host::RbKind::Point: {
            const double* pt = va_arg(args, const double*);
            if (pt) for (int i = 0; i < 3; ++i) rb->resval.rpoint[i] = pt[i];
            break;
        }
        case host::RbKind::Short: rb->resval.rint = static_cast<short>(va_arg(args, int)); break;
        case host::RbKind::Long: rb->resval.rlong = static_cast<std::int32_t>(va_arg(args, int)); break;
        case host::RbKind::Int64: rb->resval.mnInt64 = va_arg(args, std::int64_t); break;
        case host::RbKind::Name: {
            const long* name = va_arg(args, const long*);
            if (name) {
                rb->resval.rlname[0] = name[0];
                rb->resval.rlname[1] = name[1];
            }
            break;
        }
        case host::RbKind::Binary: {
            const ads_binary* bin = va_arg(args, const ads_binary*);
            resbuf src{};
            src.restype = static_cast<short>(type);
            if (bin) src.resval.rbinary = *bin;
            resbuf* copy = host::CopyRb(&src);
            if (copy) rb->resval.rbinary = copy->resval.rbinary;
            std::free(copy);
            break;
        }
        case host::RbKind::Handle:
        case host::RbKind::None: break;
        }
        type = va_arg(args, int);
    }
    va_end(args);
    if (!ok) {
        acutRelRb(head);
        return nullptr;
    }
    return head;
}
