// The program as assistive technology (AT-SPI on Linux) meets it: named after the product, with
// the windows a user can reach as its children.
#pragma once

namespace accessibleapp {

// Makes the program's accessible root ours. Call before the QApplication is made (or at least
// before anything asks for its accessible interface, which is kept from then on).
void Install();

}  // namespace accessibleapp
