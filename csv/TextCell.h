#pragma once

#include <string>
#include <string_view>

namespace Dexal {

// The bytes of a text cell as they go into the file (opened in binary mode): every LF of the
// text becomes CR LF, as a text-mode stream would store it.

// A bare column: the text as it stands, unless it holds a comma, a double quote, CR or LF;
// then it is quoted as QuotedTextCell does, so the cells after it keep their places.
std::string BareTextCell(std::string_view text);

// A quoted column: always between double quotes, every inner double quote doubled.
std::string QuotedTextCell(std::string_view text);

// True when the text holds a byte that a bare cell cannot carry.
bool NeedsQuoting(std::string_view text);

}  // namespace Dexal
