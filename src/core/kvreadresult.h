#pragma once

// What the reads return when they did not read the file. A read that ran
// returns the code page of the reader that ran (KvEncoding in kvmemini.h),
// which is never negative; the plain readers and the encrypted container
// share these codes, so a caller tells every outcome apart with one set.
constexpr int lrFileMissing = -1;   // no such file
constexpr int lrUnparsable = -2;    // the text cannot be parsed completely
constexpr int lrNotContainer = -3;  // not a container of a format the reader takes
constexpr int lrWrongPassword = -4; // the container does not open with this password
// A UTF-32 mark was found or a UTF-32 code given: the 32-bit message has been
// shown and nothing was read. A failed read like the others, so that nothing
// is written over the file.
constexpr int lrRefused32Bit = -5;
