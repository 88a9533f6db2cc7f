#pragma once
// UTF-8 reader of the plug-in: turns the UTF-8 texts that pages send into
// 16-bit characters (the plug-in then converts them to ANSI).
#include <cstddef>
#include <cstdint>

// Reads one 16-bit character and advances the pointer: bytes below 0x80 stand
// for themselves; 0x80-0xDF take one further byte (low 5 bits, then 6); 0xE0 and
// above take two (low 4 bits, then 6 and 6). Further bytes are taken by their low
// 6 bits without a check of their form. A sequence cut short by the terminating
// NUL gives U+FFFD and leaves the pointer on that NUL.
uint32_t dwReadUtf8(const uint8_t** lppText);

// Bytes that the sequence starting with this byte takes (1, 2 or 3).
size_t ulUtf8SequenceLength(uint8_t bLead);

// Converts UTF-8 text into 16-bit characters, stored little-endian as the
// platform's wide characters are.
//  - *lpdwOutBytes: on entry the room of lpOut in bytes; on return the bytes produced.
//  - lpdwInBytes (optional): on entry the input bytes available; on return the bytes
//    consumed. Without it the input ends only at its NUL.
// Per character: fewer input bytes left than its sequence needs (or a NUL inside
// the sequence) ends the conversion; less than 2 bytes of room ends it without
// storing the character; a NUL, stored and counted, ends it. When not measuring,
// the input used up exactly and 2 bytes of room left, a NUL is appended without
// being counted. With boMeasureOnly nothing is stored (lpOut may be null).
// True when the last character read was NUL, stored or not.
bool boUtf8ToWide(void* lpOut, const char* lpszIn, uint32_t* lpdwOutBytes, uint32_t* lpdwInBytes,
                  bool boMeasureOnly);
