#pragma once
// Text utilities for the texts drawings carry: plain numbers, codes with a
// letter prefix, words, and road stake (chainage) texts such as "K12+345.6".
// All take their text by value and never touch the drawing.
#include "drovik/frame/export.h"
#include "drovik/host/mfc.h"

// True for a plain decimal number after trimming white space: digits with an
// optional leading '-' and at most one '.', at least one digit. No exponent,
// no '+', no thousands separators, no inner blanks ("-.5" and "5." pass).
DROVIK_API bool StrIsNum(CString strText);

// Splits a code such as "YS12A": strPrefix receives the characters before the
// first digit ("YS") and the answer is the number from there on (12, read up
// to the first non-digit; saturated at the int range). A text without digits
// answers 0 with an empty prefix.
DROVIK_API int GetCodeFromStr(CString strText, CString& strPrefix);

// Splits the trimmed text at blanks (the space character; runs of blanks
// count as one; tabs inside a word do not split it) into arrWords, which is
// emptied first. Answers the number of words (0 for a blank text).
DROVIK_API int DecomposeString(CString strText, CStringArray& arrWords);

// Splits the trimmed text at the first chSep: strLeft receives what comes
// before it, strRight what comes after. When chSep does not occur, strLeft
// is empty and strRight is the whole trimmed text.
DROVIK_API void GetSpeiString(CString strText, wchar_t chSep, CString& strLeft, CString& strRight);

// Metres of a stake text "K<km>+<m>" ("K12+345.6" is 12345.6). Leading 'K'
// then 'k' characters of the kilometre part are ignored; a part that is not
// a number counts 0; a text without '+' is taken as metres when it is a
// number ("345.6"), else 0. A blank text answers 0.
DROVIK_API double GetRoadStakeValue(CString strStake);
