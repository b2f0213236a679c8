#pragma once
// Headless host on Windows: the runtime's fcntl.h plus O_CLOEXEC, which it
// lacks. Descriptors the host opens are never inherited, and never
// translate line ends: the host reads and writes files byte for byte.
#include_next <fcntl.h>

#ifndef O_CLOEXEC
#define O_CLOEXEC (_O_NOINHERIT | _O_BINARY)
#endif
