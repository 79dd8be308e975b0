#pragma once

// The version block an executable carries: Linux executables have no version
// resource, so the build embeds this block and FileVersionString finds it by
// its marker. Link an executable with the object library quillon_version_block
// to give it one.
//
// Layout, texts in UTF-8:
//   the 16 bytes of KV_VERSION_BLOCK_MARKER;
//   pairs of NUL-terminated texts, a query path and its value, such as
//     "\VarFileInfo\Translation"             "080904E4"
//     "\StringFileInfo\080904E4\FileVersion"  "0.1.0.0"
//   where the translation holds 16-bit language and code-page numbers as four
//   hexadecimal digits each (0809 British English, 04E4 code page 1252), the
//   first pair choosing the string table;
//   an empty path (one NUL) ending the block, at most KvVersionBlock::MaxSize
//   bytes after the marker.

// clang-format off
#define KV_VERSION_BLOCK_MARKER "\x7F" "KvVersionBlock" "\x01"
// clang-format on

namespace KvVersionBlock {
constexpr int MarkerLength = 16;
constexpr int MaxSize = 4096;
static_assert(sizeof(KV_VERSION_BLOCK_MARKER) - 1 == MarkerLength);
} // namespace KvVersionBlock
