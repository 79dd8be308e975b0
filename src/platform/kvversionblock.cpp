// The version block of the executable that links this file (see kvversionblock.h).
#include "kvversionblock.h"

#include "quillon_version.h"

#define KV_STRING_TABLE "\\StringFileInfo\\080904E4\\"

namespace {

// Nothing refers to the block: "used" keeps the compiler from dropping it and
// "retain" keeps the linker from collecting its section.
// clang-format off
[[gnu::used, gnu::retain, gnu::section(".quillon_version")]] const char VersionBlock[] =
    KV_VERSION_BLOCK_MARKER
    "\\VarFileInfo\\Translation\0" "080904E4\0"
    KV_STRING_TABLE "FileVersion\0" QUILLON_VERSION "\0"
    KV_STRING_TABLE "ProductVersion\0" QUILLON_VERSION "\0"
    KV_STRING_TABLE "ProductName\0" QUILLON_NAME "\0"
    KV_STRING_TABLE "CompanyName\0" "Velmora\0"
    ""; // the literal's own NUL is the empty path that ends the block
// clang-format on

} // namespace
