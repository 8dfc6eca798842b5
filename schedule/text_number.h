// Text to integer the way the editor, the schedule files and the holiday dialog convert.
#pragma once

#include <cstdint>
#include <string>

namespace tollvane {

// The strict conversion: leading blanks, an optional sign, then decimal digits to the end of
// the text; hexadecimal with a leading "$", "x" or "0x" is accepted too; the value must fit
// 32 bits. Anything else, the empty text included, raises ConversionError with the text.
int32_t StrToInt32(const std::string& text);

// Empty text gives 0; otherwise StrToInt32.
int32_t TextToNumber(const std::string& text);

// Empty text gives 1, and so does a value of 0; otherwise StrToInt32.
int32_t TextToSoundNumber(const std::string& text);

}  // namespace tollvane
