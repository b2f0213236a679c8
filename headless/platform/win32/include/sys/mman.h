#pragma once
// Headless host on Windows: read-only file mappings in the POSIX form, over
// the system's file mapping objects. Only PROT_READ with MAP_PRIVATE or
// MAP_SHARED is supported; anything else answers MAP_FAILED (errno EINVAL).
// The descriptor may be closed once the mapping is made.
#include <sys/types.h>

#include <cstddef>

#define PROT_READ 0x1
#define MAP_SHARED 0x01
#define MAP_PRIVATE 0x02
#define MAP_FAILED (reinterpret_cast<void*>(-1))

void* mmap(void* addr, std::size_t length, int prot, int flags, int fd, off_t offset);
int munmap(void* addr, std::size_t length);
