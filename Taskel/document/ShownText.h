// Text from a command file shown to the user: a character that would not
// show, would break the line or would reorder the text around it is shown
// as "<U+XXXX>" instead. The info tip and the run's questions share it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// The C0 controls, DEL, the C1 controls, the separators U+2028 and U+2029,
// and the bidirectional controls U+061C, U+200E, U+200F, U+202A to U+202E
// and U+2066 to U+2069.
bool ShownEscaped(wchar_t c);
// "<U+", four upper-case hexadecimal digits and ">", e.g. "<U+202E>".
std::wstring EscapedCharacter(wchar_t c);
// `text` with every character ShownEscaped names escaped, cut after
// `maxUnits` units of the result (whole characters and escapes) with the
// ellipsis U+2026 when longer.
std::wstring ShownText(const std::wstring &text, size_t maxUnits);

// The info tip's phrase of a stored action ("Delete: ", ...), or 0 for an
// unknown action.
UINT ActionPhraseId(uint32_t storedAction);
