#pragma once

// The one entry point of the Kavrel library, with C linkage and an undecorated name.
//
// Encrypts (mode byte 1) or decrypts (any other mode byte) the terminated text in place with the pass phrase.
// Returns -1 when the text is too long (768 bytes or more to encrypt, 1024 characters or more to decrypt) or a
// pointer is null; the buffer is then untouched. Otherwise returns 1, also when the cipher failed; the failure is
// then written to standard output and the buffer keeps what it held. The caller's buffer must hold the cipher
// text and its terminator: 4 * ceil(8 * (n / 8 + 1) / 3) + 1 bytes for n plain bytes, at most 1025.
extern "C" __attribute__((visibility("default"))) int CryptString(const char* passPhrase, char* text, int mode);
