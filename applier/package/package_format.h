// The package appended to the applier exe, and the attachment archive that
// each of its streams decompresses to.
//
//   file offset PackageOffset:
//     record 1: u32 R, u32 U, R-4 bytes of bzip2 stream ("BZh9...")
//     record 2: u32 R, u32 U, R-4 bytes of bzip2 stream
//     (anything after record 2, such as a signature, is ignored)
//   archive:  { name, 0, u32 S, S bytes }*  ended by a name that begins with 0
//
// R counts the bytes after the R field: 4 for U plus the stream's length.
// All integers little-endian. Portable: no Windows header.
#pragma once
#include <stddef.h>
#include <stdint.h>

#ifndef TARVELION_PACKAGE_OFFSET
#define TARVELION_PACKAGE_OFFSET 35840
#endif
enum { PackageOffset = TARVELION_PACKAGE_OFFSET };
