// The About box's hidden game: clicks on the credit line are counted for
// the whole run, and every seventh shows the programmer's name in Japanese.
#pragma once

#include <cstdint>

namespace ui {

enum class CreditText { Unchanged, Latin, Japanese };

// Counts one click on the credit line and says which text it sets.
inline CreditText CountCreditClick(int32_t& counter) {
    if (counter >= 6) {
        counter = 0;
        return CreditText::Japanese;
    }
    if (counter == 0) {
        counter = 1;
        return CreditText::Latin;
    }
    ++counter;  // the second to sixth clicks leave the text as it is
    return CreditText::Unchanged;
}

}  // namespace ui
