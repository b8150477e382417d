#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The saver's command line as plain values: how it splits into arguments, which run mode
// the first argument asks for, and how the second names the preview host window.

enum class SaverMode { Configure, Preview, FullScreen };

// True for a byte that starts a two-byte character in the active ANSI code page.
// Windows passes IsDBCSLeadByte; single-byte code pages have no lead bytes.
using LeadBytePredicate = bool (*)(unsigned char byte);

bool NoLeadBytes(unsigned char byte);

// Splits a command line the way the C runtime builds argv: blanks and tabs separate,
// double quotes group, and 2n backslashes before a quote give n backslashes while 2n + 1
// give n and a literal quote. argv[0] (the program) ends at the first blank outside quotes
// and takes no backslash escapes. A trail byte is never read as a quote, backslash or blank.
std::vector<std::string> SplitCommandLine(const std::string& commandLine,
                                          LeadBytePredicate isLeadByte);

// True when `text` holds the character `letter`; a trail byte never matches.
bool ContainsCharacter(const std::string& text, char letter, LeadBytePredicate isLeadByte);

// Only the program name: Configure. Otherwise argv[1] alone decides, case-sensitively:
// a "c" anywhere means Configure, else a "p" anywhere means Preview, else FullScreen.
SaverMode ChooseSaverMode(const std::vector<std::string>& arguments, LeadBytePredicate isLeadByte);

// The number a handle argument holds, read like atol (leading white space, one sign,
// digits up to the first non-digit) but wrapping at 32 bits, so that an unsigned 32-bit
// value written in decimal comes back as the same bit pattern. No digits read as 0.
int32_t ParseHandleArgument(const std::string& text);

// The preview host's handle value: argv[2] read by ParseHandleArgument, 0 when it is missing.
int32_t PreviewHostValue(const std::vector<std::string>& arguments);

// Handles passed between 32- and 64-bit programs carry 32 significant bits and are
// sign-extended to the pointer width.
inline std::intptr_t HandleValueToPointerWidth(int32_t value)
{
    return static_cast<std::intptr_t>(value);
}
