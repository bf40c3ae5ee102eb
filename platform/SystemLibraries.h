#pragma once
// The system libraries that only some files need, loaded the first time
// such a file comes: libsndfile (WAV payloads other than 8- and 16-bit PCM)
// and libzip (zipped songs and packages). A run that never meets such a
// file never maps them, nor the codecs and the crypto library they bring.
//
// The program calls their functions by their own names, as if linked to
// them; SystemLibraries.cpp defines those names (hidden from other
// libraries in the process) as calls into the library loaded here. Each
// entry point that reaches a library's functions loads it first and stops
// with the reason when it can't: a library that lacks a function counts as
// missing.

#include <string>

namespace vs {

// True once libsndfile is loaded (it is loaded by the first call); false,
// with the reason in *why, when it can't be.
bool LoadSndfile(std::string* why = nullptr);
// The same for libzip.
bool LoadLibZip(std::string* why = nullptr);

}  // namespace vs
