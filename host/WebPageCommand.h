#pragma once
#include <cstddef>
#include <string_view>

// The browser command line that the home-page button starts: the text of the registered
// "open" command for HTML files, immediately followed by the address. No separator, no
// quoting, no "%1" substitution: the registered text is used as it stands.

// The command line lives in a buffer of this many bytes, terminating zero included.
constexpr std::size_t kWebPageCommandSize = 256;

// Builds the command line into `commandLine`.
//   valueData       the bytes the registry returned for the value (need not end in a zero)
//   bufferSize      how many bytes the registry was allowed to write into valueData
//   reportedSize    the data size the registry reported for the value
//   address         the page to open
// The value's text ends at its first zero byte, or at the end of the data actually returned
// (never past bufferSize). Returns false, leaving an empty string in `commandLine`, when
// nothing may be started: the value did not fit the buffer (its bytes are then not all
// there), its text is empty (no command registered), or text and address together do not
// fit the buffer. A cut command line could start the wrong program.
bool BuildWebPageCommand(const char* valueData, std::size_t bufferSize, std::size_t reportedSize,
                         std::string_view address, char (&commandLine)[kWebPageCommandSize]);
