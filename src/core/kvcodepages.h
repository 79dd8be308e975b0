#pragma once

#include <QtGlobal>

// Decode tables of the single-byte Windows code pages, generated from glibc's
// iconv by scripts/gen-codepages.py into kvcodepages.cpp.
namespace KvCodePages {

// The 256 UTF-16 code units that the bytes 0x00..0xFF of a single-byte code page
// (874, 1250..1258) decode to, or nullptr for any other code page. A byte the
// code page leaves undefined decodes to U+0000 + byte.
const char16_t *SingleByteTable(quint32 codePage);

} // namespace KvCodePages
