#pragma once
// Headless host: the host's character type. Text is wide throughout.
typedef wchar_t ACHAR;
