#pragma once
// Headless host on Windows: the part of POSIX iconv that the host's text
// readers use, over the system's code page conversions. Encodings: "UTF-8",
// "WCHAR_T" (UTF-16 here), "CPnnnn" for any Windows code page, "GBK" (936)
// and "BIG5" (950). As in glibc, iconv answers (size_t)-1 with errno EILSEQ
// at an invalid sequence, EINVAL at an incomplete one at the end of the
// input and E2BIG when the output is full, leaving *inbuf at the first byte
// not converted; a null inbuf resets the (stateless) converter.
#include <cstddef>

using iconv_t = void*;

iconv_t iconv_open(const char* tocode, const char* fromcode);
std::size_t iconv(iconv_t cd, char** inbuf, std::size_t* inbytesleft, char** outbuf, std::size_t* outbytesleft);
int iconv_close(iconv_t cd);
