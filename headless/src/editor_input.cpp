// Headless host: user input from the scripted queue - points, entity picks,
// keywords and strings - with the object snap "nearest".
#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <sstream>

#include "dbinternal.h"
#include "editor_internal.h"

namespace host_detail {

namespace {

struct InitGet {
    int flags = 0;
    std::vector<std::wstring> keywords;
    bool set = false;
};

InitGet& Pending() {
    static InitGet pending;
    return pending;
}

std::wstring& LastKeyword() {
    static std::wstring keyword;
    return keyword;
}

// Takes the initget settings for one input request.
InitGet TakeInitGet() {
    InitGet g = Pending();
    Pending() = InitGet();
    return g;
}

// The shortest accepted form of a keyword: its capitals, else all of it.
std::wstring Abbreviation(const std::wstring& word) {
    std::wstring caps;
    for (wchar_t c : word)
        if (std::iswupper(static_cast<wint_t>(c)) || std::iswdigit(static_cast<wint_t>(c))) caps += c;
    return caps.empty() ? word : caps;
}

bool MatchKeyword(const InitGet& g, const std::wstring& typed, std::wstring& keyword) {
    if (typed.empty()) return false;
    const std::wstring t = FoldName(typed.c_str());
    for (const auto& word : g.keywords) {
        const std::wstring full = FoldName(word.c_str());
        const std::wstring abbr = FoldName(Abbreviation(word).c_str());
        if (t == full || t == abbr || (t.size() >= abbr.size() && full.compare(0, t.size(), t) == 0)) {
            keyword = word;
            return true;
        }
    }
    return false;
}

void Snap(AcGePoint3d& pt) {
    const int osmode = SessionShort(L"OSMODE");
    if (!(osmode & 512) || (osmode & 16384)) return;
    DocEditor* ed = CurrentEditor();
    if (!ed) return;
    AcGePoint3d snapped;
    if (NearestCurvePoint(*ed, pt, SessionShort(L"APERTURE") * PixelSize(*ed), snapped)) pt = snapped;
}

enum class Got { kPoint, kKeyword, kNone, kCancel };

// One answer to a point-like request: a point, a keyword or Enter.
Got ReadPointInput(const InitGet& g, AcGePoint3d& pt) {
    for (;;) {
        InputItem in;
        if (!NextInput(in) || in.kind == InputItem::kCancel) return Got::kCancel;
        if (in.kind == InputItem::kPoint) {
            pt = in.pt;
            return Got::kPoint;
        }
        if (in.kind == InputItem::kEnter || in.text.empty()) {
            if (!(g.flags & 1)) return Got::kNone;
            Print(L"\nPoint or option keyword required.");
            continue;
        }
        std::wstring keyword;
        if (MatchKeyword(g, in.text, keyword)) {
            LastKeyword() = keyword;
            return Got::kKeyword;
        }
        if (ParsePoint(in.text, pt)) return Got::kPoint;
        Print(g.keywords.empty() ? L"\nInvalid point." : L"\nPoint or option keyword required.");
    }
}

void Prompt(const wchar_t* text) {
    if (text) Print(text);
}

}  // namespace

bool ParsePoint(const std::wstring& text, AcGePoint3d& pt) {
    double v[3] = {0.0, 0.0, 0.0};
    int n = 0;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(L',', start);
        const std::wstring part = text.substr(start, comma == std::wstring::npos ? std::wstring::npos : comma - start);
        if (part.empty() || n == 3) return false;
        wchar_t* end = nullptr;
        v[n++] = std::wcstod(part.c_str(), &end);
        if (!end || *end != L'\0') return false;
        if (comma == std::wstring::npos) break;
        start = comma + 1;
    }
    if (n < 2) return false;
    pt.set(v[0], v[1], v[2]);
    return true;
}

}  // namespace host_detail

using namespace host_detail;

int acedInitGet(int val, const wchar_t* kwl) {
    InitGet g;
    g.flags = val;
    g.set = true;
    std::wistringstream words(kwl ? kwl : L"");
    std::wstring word;
    while (words >> word) g.keywords.push_back(word);
    Pending() = g;
    return RTNORM;
}

int acedGetPoint(const ads_point pt, const wchar_t* prompt, ads_point result) {
    (void)pt;
    const InitGet g = TakeInitGet();
    if (!result) return RTERROR;
    Prompt(prompt);
    AcGePoint3d p;
    switch (ReadPointInput(g, p)) {
    case Got::kPoint:
        Snap(p);
        result[X] = p.x;
        result[Y] = p.y;
        result[Z] = p.z;
        return RTNORM;
    case Got::kKeyword:
        return RTKWORD;
    case Got::kNone:
        return RTNONE;
    case Got::kCancel:
        break;
    }
    return RTCAN;
}

int acedEntSel(const wchar_t* str, ads_name entres, ads_point ptres) {
    const InitGet g = TakeInitGet();
    if (!entres || !ptres) return RTERROR;
    Prompt(str ? str : L"\nSelect object: ");
    AcGePoint3d p;
    switch (ReadPointInput(g, p)) {
    case Got::kPoint: {
        DocEditor* ed = CurrentEditor();
        const AcDbObjectId id = ed ? PickAt(*ed, p, nullptr) : AcDbObjectId::kNull;
        ads_name name;
        if (id.isNull() || acdbGetAdsName(name, id) != Acad::eOk) return RTERROR;
        entres[0] = name[0];
        entres[1] = name[1];
        ptres[X] = p.x;
        ptres[Y] = p.y;
        ptres[Z] = p.z;
        return RTNORM;
    }
    case Got::kKeyword:
        return RTKWORD;
    case Got::kNone:
        return RTERROR;
    case Got::kCancel:
        break;
    }
    return RTCAN;
}

int acedGetInput(wchar_t* str) {
    if (!str) return RTERROR;
    const std::wstring& k = LastKeyword();
    const std::size_t n = std::min<std::size_t>(k.size(), 511);
    std::wmemcpy(str, k.c_str(), n);
    str[n] = L'\0';
    return RTNORM;
}

int acedGetString(int cronly, const wchar_t* prompt, wchar_t* result) {
    (void)cronly;
    TakeInitGet();
    if (!result) return RTERROR;
    Prompt(prompt);
    InputItem in;
    if (!NextInput(in) || in.kind == InputItem::kCancel) return RTCAN;
    std::wstring text = in.kind == InputItem::kText ? in.text : L"";
    if (in.kind == InputItem::kPoint) {
        std::wostringstream s;
        s << in.pt.x << L',' << in.pt.y << L',' << in.pt.z;
        text = s.str();
    }
    const std::size_t n = std::min<std::size_t>(text.size(), 131);
    std::wmemcpy(result, text.c_str(), n);
    result[n] = L'\0';
    return RTNORM;
}
