// Checksums of whole files, through a mapped read-only view.
#pragma once
#include <windows.h>
#include <stdint.h>

// The file's checksum; leaves the handle open and its position unchanged.
uint32_t FileCrcOfHandle(HANDLE file);
// Opens path for reading without sharing; 0 when it cannot be opened.
uint32_t FileCrcOfPath(const char* path);
