// Letter case, comparison and small text helpers for Windows-1251 strings.
//
// Two families, as callers expect them:
//  - the "Ansi" functions know the whole 1251 alphabet (Latin, Russian with
//    Ё/ё, and the other Cyrillic letters of the code page);
//  - UpperCase, LowerCase, CompareText and SameText touch ASCII letters only
//    and compare bytes, which is what protocol keys and identifiers want.
//
// Collation of AnsiCompareStr / AnsiCompareText (the order of sorted string
// lists and of the script engine's comparisons):
//  1. Every byte that is not a letter or digit (controls, blanks, punctuation,
//     symbols, «», №, the no-break space) sorts first, by byte value.
//  2. Then the digits 0..9.
//  3. Then the Latin letters A..Z.
//  4. Then the Cyrillic letters in one combined alphabet:
//     А Б В Г Ґ Ѓ Д Ђ Е Ё Є Ж З Ѕ И І Ї Й Ј К Ќ Л Љ М Н Њ О П Р С Т Ћ
//     У Ў Ф Х Ц Ч Џ Ш Щ Ъ Ы Ь Э Ю Я — so Ё/ё follows Е/е and precedes Ж/ж
//     (not at its byte position, 0xA8/0xB8, below А).
//  Letters compare first without regard to case. A proper prefix sorts first.
//  AnsiCompareText stops there (equal means equal ignoring 1251 case).
//  AnsiCompareStr breaks ties by case at the first letter that differs only
//  in case, the small letter first ("а" < "А" < "б"), and answers 0 only for
//  identical bytes.
//  No character is ignored, unlike some linguistic sorts that skip hyphens.
//
// Byte order (std::string's operator<, unsigned bytes) is a third, separate
// order; files sorted "by name" use it.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/rtl/strings.h"

namespace rtl {

// Case of one 1251 byte.
char AnsiUpperChar(char c);
char AnsiLowerChar(char c);
bool IsAnsiLetter(char c);

AnsiString AnsiUpperCase(std::string_view s);
AnsiString AnsiLowerCase(std::string_view s);
// ASCII letters only; every other byte stays as it is.
AnsiString UpperCase(std::string_view s);
AnsiString LowerCase(std::string_view s);

// Negative, zero or positive, in the collation above.
int AnsiCompareStr(std::string_view a, std::string_view b);
int AnsiCompareText(std::string_view a, std::string_view b);
bool AnsiSameText(std::string_view a, std::string_view b);
bool AnsiSameStr(std::string_view a, std::string_view b);
// Byte order; CompareText folds ASCII letters to capitals first.
int CompareStr(std::string_view a, std::string_view b);
int CompareText(std::string_view a, std::string_view b);
bool SameText(std::string_view a, std::string_view b);

// Drop the bytes at or below the blank (controls included) at either end.
AnsiString Trim(std::string_view s);
AnsiString TrimLeft(std::string_view s);
AnsiString TrimRight(std::string_view s);

AnsiString IntToStr(std::int64_t value);
// Capital hexadecimal digits, at least `digits` of them; negative values show
// their 64-bit two's complement.
AnsiString IntToHex(std::int64_t value, int digits);

enum TReplaceFlag : unsigned { rfReplaceAll = 1, rfIgnoreCase = 2 };
using TReplaceFlags = unsigned;
// Replaces the first (or, with rfReplaceAll, every) occurrence of oldPattern;
// rfIgnoreCase matches without regard to 1251 case. An empty pattern changes
// nothing.
AnsiString StringReplace(std::string_view s, std::string_view oldPattern, std::string_view newPattern,
                         TReplaceFlags flags);

// 1-based position of sub in s, 0 when absent (or when sub is empty).
int Pos(std::string_view sub, std::string_view s);
// count characters from the 1-based index; out-of-range parts are clipped.
AnsiString Copy(std::string_view s, std::int64_t index, std::int64_t count);
// Removes count characters at the 1-based index; nothing when the index is
// outside the text or count is not positive; count is cut at the end.
void Delete(AnsiString& s, std::int64_t index, std::int64_t count);
// Inserts sub before the 1-based index; below 1 counts as 1, beyond the end appends.
void Insert(std::string_view sub, AnsiString& s, std::int64_t index);

}  // namespace rtl
