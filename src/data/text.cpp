// Text utilities: numbers, codes, words and road stakes.
#include "drovik/data/text.h"

#include <cwctype>

namespace {
bool IsDigit(wchar_t ch) { return std::iswdigit(static_cast<wint_t>(ch)) != 0; }

// A kilometre or metre part of a stake: its value when it is a number.
double NumberOrZero(const CString& part) { return StrIsNum(part) ? _wtof(part) : 0.0; }
}  // namespace

bool StrIsNum(CString strText) {
    strText.Trim();
    if (strText.IsEmpty()) return false;
    if (strText.Find(L'.') != strText.ReverseFind(L'.')) return false;
    const int minus = strText.Find(L'-');
    if (minus >= 0 && (minus != 0 || strText.ReverseFind(L'-') != 0)) return false;
    strText.Remove(L'.');
    strText.Remove(L'-');
    if (strText.IsEmpty()) return false;
    for (int i = 0; i < strText.GetLength(); ++i)
        if (!IsDigit(strText[i])) return false;
    return true;
}

int GetCodeFromStr(CString strText, CString& strPrefix) {
    strPrefix.Empty();
    for (int i = 0; i < strText.GetLength(); ++i) {
        if (!IsDigit(strText[i])) continue;
        strPrefix = strText.Left(i);
        return _wtoi(strText.Mid(i));
    }
    return 0;
}

int DecomposeString(CString strText, CStringArray& arrWords) {
    arrWords.RemoveAll();
    strText.Trim();
    while (!strText.IsEmpty()) {
        const int blank = strText.Find(L' ');
        if (blank <= 0) {
            arrWords.Add(strText);
            break;
        }
        arrWords.Add(strText.Left(blank));
        strText = strText.Mid(blank);
        strText.TrimLeft();
    }
    return static_cast<int>(arrWords.GetSize());
}

void GetSpeiString(CString strText, wchar_t chSep, CString& strLeft, CString& strRight) {
    strText.Trim();
    const int sep = strText.Find(chSep);
    if (sep < 0) {
        // No separator: nothing on the left, the whole text on the right.
        strLeft.Empty();
        strRight = strText;
        return;
    }
    strLeft = strText.Left(sep);
    strRight = strText.Mid(sep + 1);
}

double GetRoadStakeValue(CString strStake) {
    strStake.Trim();
    if (strStake.IsEmpty()) return 0.0;
    if (strStake.Find(L'+') < 0) return NumberOrZero(strStake);

    CString kilometres;
    CString metres;
    GetSpeiString(strStake, L'+', kilometres, metres);
    double value = 0.0;
    if (!kilometres.IsEmpty()) {
        if (!StrIsNum(kilometres)) {
            kilometres.TrimLeft(L'K');
            kilometres.TrimLeft(L'k');
        }
        value += NumberOrZero(kilometres) * 1000.0;
    }
    if (!metres.IsEmpty()) value += NumberOrZero(metres);
    return value;
}
