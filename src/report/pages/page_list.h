// Page list texts, as the print dialog and the command line take them:
// "1,3,5-12" selects pages 1, 3 and 5 to 12; "8-" runs from 8 to the last
// page; a range that runs backwards selects nothing; spaces are ignored; an
// empty text selects every page.
#pragma once

#include <string_view>
#include <vector>

namespace talven {

// Which of pageCount pages (1-based numbers, index 0 for page 1) the text
// selects; numbers outside 1 .. pageCount select nothing. An item that is
// no decimal number fails with the runtime's conversion error ("'x' is not
// a valid integer value"), so nothing is selected by a list that is wrong.
std::vector<bool> SelectedPages(std::string_view list, int pageCount);

}  // namespace talven
