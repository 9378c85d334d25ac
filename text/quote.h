// Text from a user, a file or a device made fit for a one-line message.
#pragma once

#include <string>
#include <string_view>

// At most limit characters (then "..."); a control character or a line
// break as '?'; a byte that is not UTF-8 or a character that does not show
// (C1 controls, separators, invisible marks) as U+XXXX. Printable UTF-8
// (the é of a name) shows as it stands.
std::string Printable(std::string_view text, size_t limit);

// Printable text of at most 40 characters in single quotes: how a message
// names an argument, a cell or a port.
std::string Quote(std::string_view text);
